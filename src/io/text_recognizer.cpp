#include "text_recognizer.h"

#include "tesseract_library.h"
#include "text_bands.h"
#include "text_preparation.h"

#include <QDir>
#include <QFileInfo>
#include <QThread>
#include <memory>
#include <thread>
#include <vector>
#ifdef _OPENMP
#include <omp.h>
#endif

namespace lustrelab {

QString TextRecognizer::dataFolder()
{
    // TESSDATA_PREFIX as Tesseract reads it, then where Debian installs the data.
    QStringList candidates;
    const QString prefix = qEnvironmentVariable("TESSDATA_PREFIX");
    if (!prefix.isEmpty())
        candidates << prefix << QDir(prefix).filePath(QStringLiteral("tessdata"));
    candidates << QStringLiteral("/usr/share/tesseract-ocr/5/tessdata")
               << QStringLiteral("/usr/share/tesseract-ocr/4.00/tessdata")
               << QStringLiteral("/usr/share/tessdata");
    for (const QString& folder : candidates)
        if (!QDir(folder).entryList({QStringLiteral("*.traineddata")}, QDir::Files).isEmpty())
            return folder;
    return candidates.value(prefix.isEmpty() ? 0 : 2);
}

QStringList TextRecognizer::installedLanguages()
{
    QStringList languages;
    for (const QFileInfo& file :
         QDir(dataFolder()).entryInfoList({QStringLiteral("*.traineddata")}, QDir::Files))
        if (file.baseName() != QLatin1String("osd")) // orientation data, not a language
            languages << file.baseName();
    languages.sort();
    if (languages.removeOne(QStringLiteral("eng")))
        languages.prepend(QStringLiteral("eng"));
    return languages;
}

namespace {

struct BandText
{
    int top = 0; // the band's first row in the whole image
    struct Word
    {
        QString text;
        QRect box; // in the band's pixels
        float confidence = 100;
    };
    QList<Word> words;
    QList<qsizetype> lineStarts; // indices of the words that begin a line
    QString error;
};

// Tesseract's own threads wait for each other at every step of a line and,
// on a machine with two cores and anything else running, take several times
// longer than one thread would; this reader runs its own threads, one band
// each, and turns the engine's off on each of them (the setting belongs to
// the calling thread).
void keepEngineOnThisThread()
{
#ifdef _OPENMP
    omp_set_max_active_levels(0);
#endif
}

struct EngineDeleter
{
    const TesseractLibrary* tesseract;
    void operator()(TessBaseAPI* api) const
    {
        tesseract->end(api);
        tesseract->destroy(api);
    }
};

struct IteratorDeleter
{
    const TesseractLibrary* tesseract;
    void operator()(TessResultIterator* it) const { tesseract->deleteIterator(it); }
};

struct TextDeleter
{
    const TesseractLibrary* tesseract;
    void operator()(char* text) const { tesseract->deleteText(text); }
};

// Reads one band with an engine of its own (engines are not shared across threads).
void readBand(const TesseractLibrary& tesseract, const QString& folder, const QString& language, int dpi,
              QImage grey, BandText& band)
{
    keepEngineOnThisThread();
    const std::unique_ptr<TessBaseAPI, EngineDeleter> api(tesseract.create(), {&tesseract});
    // Quiet: what goes wrong is reported by the caller, in one line.
    tesseract.setVariable(api.get(), "debug_file", "/dev/null");
    if (tesseract.init(api.get(), folder.toLocal8Bit().constData(), language.toLatin1().constData(),
                       tesseract::OEM_LSTM_ONLY) != 0) {
        band.error =
            QStringLiteral("the text recognition engine could not start for language '%1'").arg(language);
        return;
    }
    tesseract.setPageSegMode(api.get(), tesseract::PSM_AUTO);
    tesseract.setVariable(api.get(), "user_defined_dpi", QByteArray::number(dpi).constData());
    tesseract.setImage(api.get(), grey.constBits(), grey.width(), grey.height(), 1, int(grey.bytesPerLine()));
    if (tesseract.recognize(api.get(), nullptr) != 0) {
        band.error = QStringLiteral("text recognition failed");
        return;
    }
    const std::unique_ptr<TessResultIterator, IteratorDeleter> it(tesseract.iterator(api.get()),
                                                                  {&tesseract});
    bool newLine = true;
    if (it) {
        const TessPageIterator* page = tesseract.pageIterator(it.get());
        do {
            const std::unique_ptr<char, TextDeleter> word(tesseract.text(it.get(), tesseract::RIL_WORD),
                                                          {&tesseract});
            int left = 0, top = 0, right = 0, bottom = 0;
            if (word && tesseract.boundingBox(page, tesseract::RIL_WORD, &left, &top, &right, &bottom)) {
                const QString text = QString::fromUtf8(word.get()).trimmed();
                if (!text.isEmpty()) {
                    if (newLine)
                        band.lineStarts.append(band.words.size());
                    band.words.append({text, QRect(QPoint(left, top), QPoint(right - 1, bottom - 1)),
                                       tesseract.confidence(it.get(), tesseract::RIL_WORD)});
                    newLine = false;
                }
            }
            if (tesseract.isAtFinalElement(page, tesseract::RIL_TEXTLINE, tesseract::RIL_WORD))
                newLine = true;
        } while (tesseract.next(it.get(), tesseract::RIL_WORD));
    }
}

// A line of one character drawn as a near-solid patch: the corner of a dark
// pane whose soft shadow the preparation turned to ink, read as a letter
// (an "r" at the top-left corner of a terminal). A glyph alone on its line
// covers well under half of its box, but for thin strokes (l, 1, |), which
// are too narrow to count here.
bool isSpeck(const BandText& band, qsizetype word, const QImage& grey)
{
    const bool startsLine = band.lineStarts.contains(word);
    const bool endsLine = word + 1 == band.words.size() || band.lineStarts.contains(word + 1);
    const BandText::Word& w = band.words[word];
    if (!startsLine || !endsLine || w.text.size() != 1 || w.box.width() < w.box.height() / 2)
        return false;
    const QRect box = w.box.translated(0, band.top).intersected(grey.rect());
    if (box.isEmpty())
        return false;
    qint64 ink = 0;
    for (int y = box.top(); y <= box.bottom(); ++y) {
        const uchar* line = grey.constScanLine(y);
        for (int x = box.left(); x <= box.right(); ++x)
            ink += line[x] < 128;
    }
    return 20 * ink > 9 * qint64(box.width()) * box.height();
}

// A box found on an enlarged copy, in the pixels of the image itself.
QRect shrunk(const QRect& box, int factor)
{
    if (factor == 1)
        return box;
    return QRect(QPoint(box.left() / factor, box.top() / factor),
                 QPoint(box.right() / factor, box.bottom() / factor));
}

} // namespace

std::optional<RecognizedText> TextRecognizer::recognize(const QImage& image, const QString& language,
                                                        QString* error)
{
    const QString folder = dataFolder();
    if (!QFileInfo::exists(QDir(folder).filePath(language + QStringLiteral(".traineddata")))) {
        // Checked here, since Tesseract would print its own lines before failing.
        *error =
            QStringLiteral(
                "no text recognition data for language '%1' in %2 (Debian: apt install tesseract-ocr-%1)")
                .arg(language, folder);
        return std::nullopt;
    }
    if (image.isNull()) {
        *error = QStringLiteral("no image");
        return std::nullopt;
    }
    const TesseractLibrary* tesseract = tesseractLibrary(error);
    if (!tesseract)
        return std::nullopt;
    const PreparedPage prepared = prepareForReading(image);
    const QImage& grey = prepared.grey;
    const int enlarge = prepared.enlarge, dpi = prepared.dpi;

    QList<int> rows = textBandCuts(grey, std::clamp(QThread::idealThreadCount(), 1, 4));
    rows.prepend(0);
    rows.append(grey.height());
    std::vector<BandText> bands(size_t(rows.size() - 1));
    {
        std::vector<std::jthread> readers;
        for (size_t i = 0; i < bands.size(); ++i) {
            bands[i].top = rows[qsizetype(i)];
            const QImage band =
                grey.copy(0, rows[qsizetype(i)], grey.width(), rows[qsizetype(i) + 1] - rows[qsizetype(i)]);
            readers.emplace_back(readBand, std::cref(*tesseract), folder, language, dpi, band,
                                 std::ref(bands[i]));
        }
    }

    RecognizedText result;
    for (const BandText& band : bands) {
        if (!band.error.isEmpty()) {
            *error = band.error;
            return std::nullopt;
        }
        for (qsizetype i = 0; i < band.words.size(); ++i) {
            if (isSpeck(band, i, grey))
                continue;
            result.append(band.words[i].text, shrunk(band.words[i].box.translated(0, band.top), enlarge),
                          band.lineStarts.contains(i), band.words[i].confidence);
        }
    }
    return result;
}

} // namespace lustrelab
