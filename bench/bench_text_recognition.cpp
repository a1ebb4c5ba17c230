// Reading a screenshot's text, on pages drawn here (text_pages.h):
//   BM_RecognizeScreenshot/look   the text of a 2880 x 1800 screenshot (a
//       dark terminal, a light web page), what "Copy Text" waits for.
//   BM_FindPlantedSecrets/ratio   every page of textPageRecipes() at ratio 1
//       or 2: counters recall (planted secrets whose ink the found regions
//       cover, 97% of its pixels or more) and precision (found regions that
//       lie on a planted secret), and the time for all the pages. They go
//       through findSensitiveText, as the window and `compose --redact` do.
//       LUSTRELAB_BENCH_VERBOSE=1 prints what was missed or wrongly found;
//       LUSTRELAB_BENCH_PAGES=DIR saves the pages there to look at.
#include "io/text_recognizer.h"
#include "io/text_redaction.h"
#include "screenshot_fixture.h"
#include "text_pages.h"

#include <QElapsedTimer>
#include <QTextStream>

using namespace lustrelab;

namespace {

const QString english = QStringLiteral("eng");

void BM_RecognizeScreenshot(benchmark::State& state)
{
    const bench::PageRecipe recipe =
        state.range(0) == 0
            ? bench::PageRecipe{bench::PageLook::terminal, QStringLiteral("DejaVu Sans Mono"), 14, true}
            : bench::PageRecipe{bench::PageLook::webPage, QStringLiteral("DejaVu Sans"), 15, false};
    const bench::TextPage page = bench::renderTextPage(recipe, 2, 0);
    for (auto _ : state) {
        QString error;
        const auto text = TextRecognizer::recognize(page.image, english, &error);
        if (!text) {
            state.SkipWithError(qPrintable(error));
            return;
        }
        benchmark::DoNotOptimize(text->words.size());
    }
    state.SetLabel(state.range(0) == 0 ? "terminal" : "web page");
}
BENCHMARK(BM_RecognizeScreenshot)
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3)
    ->Repetitions(1);

// The share of `ink`'s pixels that the boxes cover.
double coverage(const QImage& image, const QRect& ink, const QList<QRect>& boxes)
{
    qint64 inked = 0, covered = 0;
    const QRgb background = image.pixel(ink.left() > 0 ? ink.left() - 1 : ink.right() + 1, ink.top());
    for (int y = ink.top(); y <= ink.bottom(); ++y)
        for (int x = ink.left(); x <= ink.right(); ++x) {
            const QRgb p = image.pixel(x, y);
            if (std::max({std::abs(qRed(p) - qRed(background)), std::abs(qGreen(p) - qGreen(background)),
                          std::abs(qBlue(p) - qBlue(background))}) <= 60)
                continue;
            ++inked;
            if (std::any_of(boxes.begin(), boxes.end(), [&](const QRect& box) { return box.contains(x, y); }))
                ++covered;
        }
    return inked == 0 ? 1.0 : double(covered) / double(inked);
}

QString wordsIn(const RecognizedText& text, const QRect& box)
{
    QStringList words;
    int right = -1;
    for (const RecognizedWord& word : text.words)
        if (word.box.intersects(box)) {
            if (qEnvironmentVariableIsSet("LUSTRELAB_BENCH_GAPS") && right >= 0)
                words << QStringLiteral("[%1/%2]")
                             .arg(word.box.left() - right - 1)
                             .arg(double(word.box.width()) / word.text.size(), 0, 'f', 1);
            words << word.text;
            right = word.box.right();
        }
    return words.join(u' ');
}

void BM_FindPlantedSecrets(benchmark::State& state)
{
    const double ratio = double(state.range(0));
    QList<bench::TextPage> pages;
    int first = 0;
    for (const bench::PageRecipe& recipe : bench::textPageRecipes()) {
        pages.append(bench::renderTextPage(recipe, ratio, first));
        first += int(pages.last().secrets.size());
    }
    const bool verbose = qEnvironmentVariableIsSet("LUSTRELAB_BENCH_VERBOSE");
    if (const QString folder = qEnvironmentVariable("LUSTRELAB_BENCH_PAGES"); !folder.isEmpty())
        for (qsizetype i = 0; i < pages.size(); ++i)
            pages[i].image.save(QStringLiteral("%1/page-%2x-%3.png").arg(folder).arg(ratio).arg(i));
    QTextStream err(stderr);
    int planted = 0, recalled = 0, regions = 0, onSecrets = 0;
    for (auto _ : state) {
        planted = recalled = regions = onSecrets = 0;
        for (const bench::TextPage& page : pages) {
            QString error;
            const auto reading = findSensitiveText(page.image, english, &error);
            if (!reading) {
                state.SkipWithError(qPrintable(error));
                return;
            }
            const RecognizedText* text = &reading->text;
            if (qEnvironmentVariableIsSet("LUSTRELAB_BENCH_TEXT"))
                err << text->text << "\n----\n";
            const QList<SensitiveRegion>& found = reading->regions;
            QList<QRect> boxes;
            for (const SensitiveRegion& region : found)
                boxes += region.boxes;
            for (const bench::PlantedSecret& secret : page.secrets) {
                ++planted;
                if (coverage(page.image, secret.ink, boxes) >= 0.97)
                    ++recalled;
                else if (verbose)
                    err << "missed: " << secret.text << " read as: " << wordsIn(*text, secret.ink) << '\n';
            }
            for (const SensitiveRegion& region : found) {
                ++regions;
                const bool onSecret =
                    std::any_of(region.boxes.begin(), region.boxes.end(), [&](const QRect& box) {
                        return std::any_of(
                            page.secrets.begin(), page.secrets.end(),
                            [&](const bench::PlantedSecret& s) { return s.ink.intersects(box); });
                    });
                if (onSecret)
                    ++onSecrets;
                else if (verbose)
                    err << "not a secret: " << wordsIn(*text, region.boxes.first()) << " ("
                        << rawValue(region.kind) << ")\n";
            }
            if (verbose)
                err.flush();
        }
    }
    state.counters["planted"] = planted;
    state.counters["recall"] = planted ? double(recalled) / planted : 0;
    state.counters["precision"] = regions ? double(onSecrets) / regions : 1;
}
BENCHMARK(BM_FindPlantedSecrets)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->Iterations(1);

} // namespace

int main(int argc, char** argv)
{
    return bench::runBenchmarks(argc, argv);
}
