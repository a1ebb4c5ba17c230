#include "xvfb_session.h"

#include <QCoreApplication>
#include <QProcess>
#include <QStandardPaths>
#include <cstdio>

namespace lustrelab::iotest {

namespace {

const char* const displayVariable = "LUSTRELAB_XVFB_DISPLAY";

int runParent(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (QStandardPaths::findExecutable(QStringLiteral("Xvfb")).isEmpty()) {
        std::puts("SKIP: Xvfb is not installed (see scripts/packages.txt)");
        return 0;
    }
    QProcess server;
    server.setProcessChannelMode(QProcess::SeparateChannels);
    // -displayfd: the server takes a free display number and writes it to fd 1.
    server.start(QStringLiteral("Xvfb"),
                 {QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-screen"),
                  QStringLiteral("0"), QStringLiteral("640x480x24"), QStringLiteral("-nolisten"),
                  QStringLiteral("tcp")});
    QByteArray number;
    while (!number.contains('\n') && server.waitForReadyRead(15000))
        number += server.readAllStandardOutput();
    number = number.trimmed();
    if (number.isEmpty()) {
        std::fprintf(stderr, "Xvfb did not start: %s\n", server.readAllStandardError().constData());
        return 1;
    }
    const QString display = QLatin1Char(':') + QString::fromLatin1(number);

    QProcess tests;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("DISPLAY"), display);
    environment.insert(QString::fromLatin1(displayVariable), display);
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

} // namespace

int runUnderXvfb(int argc, char** argv, const std::function<int(int, char**)>& runTests)
{
    if (qEnvironmentVariableIsSet(displayVariable))
        return runTests(argc, argv);
    return runParent(argc, argv);
}

QString xvfbDisplay()
{
    return qEnvironmentVariable(displayVariable);
}

bool xdotool(const QStringList& arguments)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process.start(QStringLiteral("xdotool"), arguments);
    return process.waitForFinished(10000) && process.exitStatus() == QProcess::NormalExit &&
           process.exitCode() == 0;
}

} // namespace lustrelab::iotest
