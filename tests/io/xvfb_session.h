#pragma once

// Tests that need a real X server run twice: the process CTest starts launches
// a private Xvfb, runs this executable again on it with the xcb platform,
// reports that run's result and stops the server.

#include <QtTest>
#include <functional>

namespace lustrelab::iotest {

// In the parent, the exit status of the run under Xvfb; in that run, runTests.
int runUnderXvfb(int argc, char** argv, const std::function<int(int, char**)>& runTests);

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
