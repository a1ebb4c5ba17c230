#pragma once

// Tests that need a real X server run twice: the process that CTest starts
// launches a private Xvfb (on a display number the server picks itself), runs
// this same executable again with DISPLAY set and the xcb platform, reports
// that run's result, and stops the server.

#include <QtTest>
#include <functional>

namespace lustrelab::iotest {

// In the parent, returns the exit status of the run under Xvfb; in that run
// (LUSTRELAB_XVFB_DISPLAY is set), calls runTests.
int runUnderXvfb(int argc, char** argv, const std::function<int(int, char**)>& runTests);

// The display the tests run on, ":N".
QString xvfbDisplay();

// Runs xdotool with the arguments against the test display; true on success.
bool xdotool(const QStringList& arguments);

} // namespace lustrelab::iotest

#define LUSTRELAB_XVFB_TEST_MAIN(TestClass)                                                                  \
    int main(int argc, char** argv)                                                                          \
    {                                                                                                        \
        return lustrelab::iotest::runUnderXvfb(argc, argv, [](int c, char** v) {                             \
            QGuiApplication app(c, v);                                                                       \
            TestClass test;                                                                                  \
            return QTest::qExec(&test, c, v);                                                                \
        });                                                                                                  \
    }
