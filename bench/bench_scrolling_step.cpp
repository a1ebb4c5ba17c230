// One step of a scrolling capture on X11 at 2880 x 1800: the frame read
// from the X server, its rows hashed and its shift found against the frame
// before. Needs an X server the size of the frame:
//   xvfb-run -a -s "-screen 0 2880x1800x24" build/bench/bench_scrolling_step
// A window over the whole screen shows a drawn page, scrolled by 360 rows
// between steps, so the search works on real content.

#include "io/x11_scroll_driver.h"
#include "render/stitch_lines.h"
#include "scrolled_page.h"

#include <QGuiApplication>
#include <QPainter>
#include <QRasterWindow>
#include <benchmark/benchmark.h>

namespace {

class PageWindow : public QRasterWindow
{
  public:
    QImage page;
    int top = 0;

  protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter(this).drawImage(QPoint(0, 0), page, QRect(0, top, width(), height()));
    }
};

void scrollingStep(benchmark::State& state)
{
    constexpr int width = 2880, height = 1800, step = 360;
    lustrelab::X11ScrollDriver driver;
    if (!driver.open()) {
        state.SkipWithError("needs an X11 display with XTest");
        return;
    }
    PageWindow window;
    window.setFlags(Qt::FramelessWindowHint);
    window.page = lustrelab::test::drawnPage(width, height + 40 * step, 2);
    window.setGeometry(0, 0, width, height);
    window.show();
    for (int i = 0; i < 20; ++i)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    const QRect area(0, 0, width, height);
    lustrelab::StitchLines previous = lustrelab::stitchLines(driver.grab(area));
    int found = 0;
    for (auto _ : state) {
        state.PauseTiming(); // the window scrolling is not ours to time
        window.top = (window.top + step) % (40 * step);
        window.update();
        QCoreApplication::processEvents();
        QCoreApplication::processEvents();
        state.ResumeTiming();
        const QImage frame = driver.grab(area);
        lustrelab::StitchLines lines = lustrelab::stitchLines(frame);
        found += lustrelab::findShift(previous, lines).has_value() ? 1 : 0;
        previous = std::move(lines);
    }
    state.counters["found"] = benchmark::Counter(found, benchmark::Counter::kAvgIterations);
}

} // namespace

BENCHMARK(scrollingStep)->Unit(benchmark::kMillisecond)->UseRealTime();

int main(int argc, char** argv)
{
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
