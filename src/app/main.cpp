#include "app/lustrelab_app.h"
#include "cli/command_line.h"
#include "io/image_limits.h"
#include "io/instance_channel.h"
#include "io/launch_activation.h"
#include "ui/main_window.h"

#include <QApplication>
#include <QDir>
#include <QIcon>
#include <cstdio>
#include <cstring>

int main(int argc, char** argv)
{
    const int status = lustrelab::runCommandLine(argc, argv);
    if (status >= 0)
        return status;
    if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
        std::puts("lustrelab " LUSTRELAB_VERSION);
        return 0;
    }
    if (argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
        std::puts(
            "usage: lustrelab [IMAGE...]                           open the window, each image in a tab\n"
            "       lustrelab compose INPUT... [options]           style screenshots headless "
            "(see compose --help)\n"
            "       lustrelab capture [region|window|screen] ...   capture, style and save in one step "
            "(see capture --help)\n"
            "       lustrelab stitch IMAGE IMAGE... -o OUT         join overlapping screenshots into one "
            "(see stitch --help)\n"
            "       lustrelab ocr [--language LANG] FILE...        print the text an image shows "
            "(see ocr --help)\n"
            "       lustrelab presets [gradients|canvases|frames]  list the built-in ids\n"
            "       lustrelab --version                            print the version\n"
            "\n"
            "While a window runs, a later 'lustrelab IMAGE...' opens the images as new\n"
            "tabs of that window and returns at once.");
        return 0;
    }

    // Qt's X11 platform takes the startup id as it connects; a start that
    // hands over passes it on to the running window.
    const lustrelab::LaunchActivation activation = lustrelab::launchActivationFromEnvironment();
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

    QStringList arguments = QApplication::arguments();
    arguments.removeFirst();
    const QStringList files = lustrelab::absoluteLaunchArguments(arguments, QDir::currentPath());
    lustrelab::InstanceChannel channel;
    if (channel.claim() == lustrelab::InstanceChannel::Claim::taken) {
        const QString failure = lustrelab::InstanceChannel::handOver(files, activation);
        if (failure.isEmpty())
            return 0;
        // A window that holds the name but does not answer is no reason to
        // leave the user with nothing: this start becomes a window of its own.
        std::fprintf(stderr, "lustrelab: the running window did not answer (%s); opening another\n",
                     qPrintable(failure));
    }

    lustrelab::LustrelabApp lustrelab;
    lustrelab.listenTo(channel);
    lustrelab.openFiles(files);
    lustrelab.window().show();
    return app.exec();
}
