// Whether the window gives memory back: 50 times a 2880 x 1800 screenshot at
// ratio 2 is read from its file into a new tab of the real main window, composed
// and shown, and the tab closed again. Resident memory (VmRSS) is read after
// each cycle, once its composition is on screen and the tab is gone.
//
// Counters, in MB: first_mb after the first cycle, peak_mb the largest after
// any cycle, last_mb after the last; growth_pct is last against first. The
// time is that of all 50 cycles. Run with QT_SCALE_FACTOR=2 for a HiDPI canvas.
#include "io/image_decoder.h"
#include "screenshot_fixture.h"
#include "state/app_state.h"
#include "ui/main_window.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QFile>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

using namespace lustrelab;

namespace {

constexpr int cycles = 50;

double residentMb()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').constFirst().toDouble() / 1024;
    return 0;
}

// Until the tab's composition is stored and the window has drawn it.
bool waitUntilShown(const AppState& state, MainWindow& window)
{
    const QDeadlineTimer deadline(20000);
    while (state.isProcessing() || !state.currentTab() || !state.currentTab()->processedImage) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents, 50);
    }
    window.repaint();
    QCoreApplication::processEvents();
    return true;
}

void BM_OpenAndCloseTabs(benchmark::State& run)
{
    QTemporaryDir dir;
    const ImageSource file = bench::screenshotFile(dir);

    AppState state(dir.filePath(QStringLiteral("templates")));
    MainWindow window(state);
    window.show();
    QCoreApplication::processEvents();
    double first = 0, peak = 0, last = 0;
    for (auto _ : run) {
        for (int cycle = 0; cycle < cycles; ++cycle) {
            QImage image = decodeImage(file);
            image.setDevicePixelRatio(2);
            state.loadImage(image, true);
            image = QImage();
            if (!waitUntilShown(state, window)) {
                run.SkipWithError("a composition never arrived");
                return;
            }
            state.closeTab(state.currentTab()->id);
            QCoreApplication::processEvents();
            window.repaint();
            last = residentMb();
            if (cycle == 0)
                first = last;
            peak = std::max(peak, last);
        }
    }
    run.counters["first_mb"] = first;
    run.counters["peak_mb"] = peak;
    run.counters["last_mb"] = last;
    run.counters["growth_pct"] = first > 0 ? 100 * (last - first) / first : 0;
}
BENCHMARK(BM_OpenAndCloseTabs)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();

} // namespace

int main(int argc, char** argv)
{
    return bench::runBenchmarks<QApplication>(argc, argv);
}
