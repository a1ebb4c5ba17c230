// Draws the sample screenshot that ships in assets/: a made-up notes app with
// a title bar, a sidebar, a toolbar, text and a small chart. Everything is
// drawn here, so the picture is the project's own and can be regenerated at
// any size (the benchmark asks for 2880 x 1800).
//
//   make_sample OUTPUT.png [WIDTHxHEIGHT]      (default 1440x900)

#include "sample_picture.h"

#include <QGuiApplication>
#include <QRegularExpression>
#include <cstdio>

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    QSize size(1440, 900);
    if (args.size() == 2) {
        const auto match = QRegularExpression(QStringLiteral("^(\\d+)x(\\d+)$")).match(args[1]);
        size = match.hasMatch() ? QSize(match.captured(1).toInt(), match.captured(2).toInt()) : QSize();
    }
    if (args.isEmpty() || args.size() > 2 || size.isEmpty()) {
        std::fputs("usage: make_sample OUTPUT.png [WIDTHxHEIGHT]\n", stderr);
        return 2;
    }

    if (!drawSamplePicture(size).save(args[0], "PNG")) {
        std::fprintf(stderr, "make_sample: cannot write %s\n", qPrintable(args[0]));
        return 1;
    }
    return 0;
}
