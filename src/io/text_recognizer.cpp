#include "text_recognizer.h"

#include <QDir>
#include <QFileInfo>
#include <memory>

#include <tesseract/baseapi.h>
#include <tesseract/resultiterator.h>

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
    for (const QFileInfo& file : QDir(dataFolder()).entryInfoList({QStringLiteral("*.traineddata")}, QDir::Files))
        if (file.baseName() != QLatin1String("osd")) // orientation data, not a language
            languages << file.baseName();
    languages.sort();
    if (languages.removeOne(QStringLiteral("eng")))
        languages.prepend(QStringLiteral("eng"));
    return languages;
}

std::optional<RecognizedText> TextRecognizer::recognize(const QImage& image, const QString& language,
                                                        QString* error)
{
    const QString folder = dataFolder();
    if (!QFileInfo::exists(QDir(folder).filePath(language + QStringLiteral(".traineddata")))) {
        // Checked here, since Tesseract would print its own lines before failing.
        *error = QStringLiteral("no text recognition data for language '%1' in %2 (Debian: apt install tesseract-ocr-%1)")
                     .arg(language, folder);
        return std::nullopt;
    }
    if (image.isNull()) {
        *error = QStringLiteral("no image");
        return std::nullopt;
    }
    auto api = std::make_unique<tesseract::TessBaseAPI>();
    // Quiet: what goes wrong is reported by the caller, in one line.
    api->SetVariable("debug_file", "/dev/null");
    if (api->Init(folder.toLocal8Bit().constData(), language.toLatin1().constData(), tesseract::OEM_LSTM_ONLY) != 0) {
        *error = QStringLiteral("the text recognition engine could not start for language '%1'").arg(language);
        return std::nullopt;
    }
    api->SetPageSegMode(tesseract::PSM_AUTO);
    // Screens are about 96 dots an inch at ratio 1; saying so spares the estimate.
    const int dpi = int(96 * std::max(1.0, image.devicePixelRatio()));
    api->SetVariable("user_defined_dpi", QByteArray::number(dpi).constData());

    const QImage grey = image.convertToFormat(QImage::Format_Grayscale8);
    api->SetImage(grey.constBits(), grey.width(), grey.height(), 1, int(grey.bytesPerLine()));
    if (api->Recognize(nullptr) != 0) {
        *error = QStringLiteral("text recognition failed");
        return std::nullopt;
    }

    RecognizedText result;
    std::unique_ptr<tesseract::ResultIterator> it(api->GetIterator());
    bool newLine = false;
    if (it) {
        do {
            const std::unique_ptr<char[]> word(it->GetUTF8Text(tesseract::RIL_WORD));
            int left = 0, top = 0, right = 0, bottom = 0;
            if (word && it->BoundingBox(tesseract::RIL_WORD, &left, &top, &right, &bottom)) {
                const QString text = QString::fromUtf8(word.get()).trimmed();
                if (!text.isEmpty()) {
                    result.append(text, QRect(QPoint(left, top), QPoint(right - 1, bottom - 1)), newLine);
                    newLine = false;
                }
            }
            if (it->IsAtFinalElement(tesseract::RIL_TEXTLINE, tesseract::RIL_WORD))
                newLine = true;
        } while (it->Next(tesseract::RIL_WORD));
    }
    api->End();
    return result;
}

} // namespace lustrelab
