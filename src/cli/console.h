#pragma once

#include <QString>
#include <cstdio>

namespace lustrelab {

// The command line's only output channels: results on standard output, one
// "lustrelab: FILE: reason" line per failure on standard error. Flushed at
// once so that lines keep their order when both streams go to one terminal.
inline void printLine(std::FILE* stream, const QString& line)
{
    std::fputs(line.toLocal8Bit().constData(), stream);
    std::fputc('\n', stream);
    std::fflush(stream);
}

inline void reportFailure(const QString& file, const QString& reason)
{
    printLine(stderr, QStringLiteral("lustrelab: %1: %2").arg(file, reason));
}

} // namespace lustrelab
