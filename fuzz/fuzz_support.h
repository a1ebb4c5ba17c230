#pragma once

// Shared by the fuzz harnesses. Each harness is built twice: with libFuzzer
// (scripts/fuzz.sh) and with replay_main.cpp, which feeds it the files of its
// corpus as an ordinary test.

#include <QByteArray>
#include <QGuiApplication>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

// A broken invariant is a finding: abort so that both libFuzzer and the
// replay test report it, also in builds where assert() is compiled out.
#define FUZZ_CHECK(condition)                                                                              \
    do {                                                                                                   \
        if (!(condition)) {                                                                                \
            std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #condition);             \
            std::abort();                                                                                  \
        }                                                                                                  \
    } while (false)

namespace lustrelab::fuzz {

inline QByteArray bytesOf(const std::uint8_t* data, std::size_t size)
{
    return QByteArray(reinterpret_cast<const char*>(data), qsizetype(size));
}

// Image readers and fonts need a GUI application; the offscreen platform
// needs no display. Created once and kept for the life of the process.
inline void ensureGuiApplication()
{
    if (QCoreApplication::instance())
        return;
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "lustrelab-fuzz";
    static char* argv[] = {name, nullptr};
    static QGuiApplication* application = new QGuiApplication(argc, argv);
    Q_UNUSED(application);
}

} // namespace lustrelab::fuzz
