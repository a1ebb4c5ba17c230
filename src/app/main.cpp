#include "app/lustrelab_app.h"
#include "cli/command_line.h"
#include "io/image_limits.h"
#include "ui/main_window.h"

#include <QApplication>
#include <QIcon>
#include <cstdio>
#include <cstring>

int main(int argc, char** argv)
{
    const int status = lustrelab::runCommandLine(argc, argv);
    if (status >= 0)
        return status;
    if (argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
        std::puts(
            "usage: lustrelab [IMAGE...]                           open the window, each image in a tab\n"
            "       lustrelab compose INPUT... [options]           style screenshots headless "
            "(see compose --help)\n"
            "       lustrelab capture [region|window|screen] ...   capture, style and save in one step "
            "(see capture --help)\n"
            "       lustrelab presets [gradients|canvases|frames]  list the built-in ids");
        return 0;
    }

    // Screenshots of large or many screens pass Qt's default decode limit.
    lustrelab::configureImageAllocationLimit();
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Lustrelab"));
    QApplication::setApplicationVersion(QStringLiteral(LUSTRELAB_VERSION));
    // Ties the window to the installed launcher and icon (Wayland app id too).
    QGuiApplication::setDesktopFileName(QStringLiteral("org.lustrelab.Lustrelab"));
    QApplication::setWindowIcon(
        QIcon::fromTheme(QStringLiteral("org.lustrelab.Lustrelab"),
                         QIcon(QStringLiteral(":/icons/org.lustrelab.Lustrelab.svg"))));

    lustrelab::LustrelabApp lustrelab;
    QStringList files = QApplication::arguments();
    files.removeFirst();
    lustrelab.openFiles(files);
    lustrelab.window().show();
    return app.exec();
}
