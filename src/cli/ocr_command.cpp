#include "ocr_command.h"

#include "console.h"
#include "io/image_loader.h"
#include "io/image_limits.h"
#include "io/text_recognizer.h"

#include <QGuiApplication>

namespace lustrelab {

int runOcrCommand(const QStringList& arguments)
{
    QString language = QStringLiteral("eng");
    QStringList files;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        if (argument == u"-h" || argument == u"--help") {
            printLine(stdout, QStringLiteral("usage: lustrelab ocr [--language LANG] FILE...\n"
                                             "Prints the text of each image. Languages installed: %1")
                                  .arg(TextRecognizer::installedLanguages().join(u' ')));
            return 0;
        }
        if (argument == u"--language" && i + 1 < arguments.size()) {
            language = arguments[++i];
            continue;
        }
        if (argument.startsWith(u"-") && argument.size() > 1) {
            printLine(stderr, QStringLiteral("lustrelab ocr: unknown option '%1'").arg(argument));
            printLine(stderr, QStringLiteral("usage: lustrelab ocr [--language LANG] FILE..."));
            return 2;
        }
        files << argument;
    }
    if (files.isEmpty()) {
        printLine(stderr, QStringLiteral("usage: lustrelab ocr [--language LANG] FILE..."));
        return 2;
    }
    int status = 0;
    for (const QString& file : files) {
        LoadedImage loaded = loadImage(file, maxImagePixels);
        QString error = loaded.error;
        std::optional<RecognizedText> text;
        if (!loaded.image.isNull())
            text = TextRecognizer::recognize(loaded.image, language, &error);
        if (!text) {
            reportFailure(file, error);
            status = 1;
            // The language is the same for every file: one line says it.
            if (loaded.image.isNull())
                continue;
            return status;
        }
        if (files.size() > 1)
            printLine(stdout, QStringLiteral("==> %1 <==").arg(file));
        printLine(stdout, text->text);
    }
    return status;
}

} // namespace lustrelab
