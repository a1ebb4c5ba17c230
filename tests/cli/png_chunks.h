#pragma once

// Shared by the tests that build PNG files byte by byte.

#include <QByteArray>
#include <QtEndian>
#include <zlib.h>

namespace lustrelab::clitest {

// Writes one chunk: length, type, data, checksum.
inline void appendChunk(QByteArray& png, const char* type, const QByteArray& data)
{
    uchar be[4];
    qToBigEndian(quint32(data.size()), be);
    png.append(reinterpret_cast<const char*>(be), 4);
    const QByteArray body = QByteArray(type, 4) + data;
    png.append(body);
    qToBigEndian(quint32(crc32(0, reinterpret_cast<const Bytef*>(body.constData()), uInt(body.size()))), be);
    png.append(reinterpret_cast<const char*>(be), 4);
}

} // namespace lustrelab::clitest
