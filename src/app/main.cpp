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

int main(int argc, char** argv)
{
    // Sub-commands, --help and --version; anything else opens the window.
    const int status = lustrelab::runCommandLine(argc, argv);
    if (status >= 0)
        return status;

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
