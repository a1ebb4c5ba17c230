#include "xvfb_session.h"

#include <QCoreApplication>
#include <QProcess>
#include <QStandardPaths>
#include <cstdio>

namespace lustrelab::iotest {

int runUnderXvfb(int argc, char** argv, const std::function<int(int, char**)>& runTests)
{
    if (qEnvironmentVariableIsSet("LUSTRELAB_XVFB_CHILD"))
        return runTests(argc, argv);
    QCoreApplication app(argc, argv);
    if (QStandardPaths::findExecutable(QStringLiteral("Xvfb")).isEmpty()) {
        std::puts("SKIP: Xvfb is not installed");
        return 0;
    }
    QProcess server;
    // -displayfd: the server takes a free display number and writes it to fd 1.
    server.start(QStringLiteral("Xvfb"),
                 {"-displayfd", "1", "-screen", "0", "640x480x24", "-nolisten", "tcp"});
    QByteArray number;
    while (!number.contains('\n') && server.waitForReadyRead(15000))
        number += server.readAllStandardOutput();
    if (number.trimmed().isEmpty()) {
        std::fprintf(stderr, "Xvfb did not start: %s\n", server.readAllStandardError().constData());
        return 1;
    }
    QProcess tests;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("DISPLAY"), QLatin1Char(':') + QString::fromLatin1(number.trimmed()));
    environment.insert(QStringLiteral("LUSTRELAB_XVFB_CHILD"), QStringLiteral("1"));
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    environment.remove(QStringLiteral("WAYLAND_DISPLAY"));
    tests.setProcessEnvironment(environment);
    tests.setProcessChannelMode(QProcess::ForwardedChannels);
    tests.start(QCoreApplication::applicationFilePath(), app.arguments().mid(1));
    const bool finished = tests.waitForFinished(300000);
    server.terminate();
    if (!server.waitForFinished(5000))
        server.kill();
    server.waitForFinished(2000);
    if (!finished || tests.exitStatus() != QProcess::NormalExit) {
        std::fprintf(stderr, "the tests under Xvfb %s\n", finished ? "crashed" : "timed out");
        return 1;
    }
    return tests.exitCode();
}

} // namespace lustrelab::iotest
