#pragma once

// The entry point of the tests that need a real X server: the process CTest
// starts runs the same executable again on a private Xvfb with the xcb
// platform, and that child runs the test object.

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QtTest>
#include <cstdio>

namespace lustrelab::test {

// The clipboard holders (`lustrelab hold-clipboard`) serving this process's
// X server.
inline QList<qint64> clipboardHolders()
{
    QList<qint64> holders;
    const QByteArray display = "DISPLAY=" + qgetenv("DISPLAY");
    for (const QString& pid : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
        QFile command(QStringLiteral("/proc/%1/cmdline").arg(pid)),
            environment(QStringLiteral("/proc/%1/environ").arg(pid));
        if (command.open(QIODevice::ReadOnly) && command.readAll().contains("hold-clipboard") &&
            environment.open(QIODevice::ReadOnly) && environment.readAll().split('\0').contains(display))
            holders << pid.toLongLong();
    }
    return holders;
}

template <typename Application, typename Test> int runOnXvfb(int argc, char** argv, const char* screen)
{
    if (!qEnvironmentVariableIsSet("LUSTRELAB_XVFB_CHILD")) {
        QCoreApplication app(argc, argv);
        if (QStandardPaths::findExecutable(QStringLiteral("xvfb-run")).isEmpty()) {
            std::puts("SKIP: xvfb-run is not installed");
            return 0;
        }
        qputenv("LUSTRELAB_XVFB_CHILD", "1");
        qputenv("QT_QPA_PLATFORM", "xcb");
        qunsetenv("WAYLAND_DISPLAY");
        // -a: a free display number, so that parallel runs do not meet.
        const QString server = QStringLiteral("-screen 0 %1 -nolisten tcp").arg(QLatin1String(screen));
        return QProcess::execute(QStringLiteral("xvfb-run"),
                                 QStringList{QStringLiteral("-a"), QStringLiteral("-s"), server} +
                                     app.arguments());
    }
    Application app(argc, argv);
    Test test;
    return QTest::qExec(&test, argc, argv);
}

} // namespace lustrelab::test
