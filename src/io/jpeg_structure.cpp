#include "jpeg_structure.h"

namespace lustrelab {

namespace {

constexpr uint8_t markerPrefix = 0xff;
constexpr uint8_t startOfImage = 0xd8;
constexpr uint8_t endOfImage = 0xd9;
constexpr uint8_t startOfScan = 0xda;

bool standsAlone(uint8_t marker) // markers without a length field
{
    return marker == 0x01 || (marker >= 0xd0 && marker <= 0xd7); // TEM, RST0-7
}

} // namespace

bool jpegReachesEnd(QByteArrayView bytes)
{
    const auto* p = reinterpret_cast<const uint8_t*>(bytes.data());
    const qsizetype size = bytes.size();
    if (size < 4 || p[0] != markerPrefix || p[1] != startOfImage)
        return false;
    qsizetype at = 2;
    while (at + 1 < size) {
        if (p[at] != markerPrefix)
            return false;
        const uint8_t marker = p[at + 1];
        if (marker == markerPrefix) { // fill bytes may pad before a marker
            ++at;
            continue;
        }
        at += 2;
        if (marker == endOfImage)
            return true;
        if (standsAlone(marker))
            continue;
        if (at + 1 >= size)
            return false;
        const qsizetype length = p[at] << 8 | p[at + 1];
        if (length < 2 || at + length > size)
            return false;
        at += length;
        if (marker != startOfScan)
            continue;
        // Entropy-coded data runs to the next marker that is neither a
        // stuffed zero (FF 00) nor a restart marker.
        while (at + 1 < size) {
            if (p[at] == markerPrefix && p[at + 1] != 0 && !(p[at + 1] >= 0xd0 && p[at + 1] <= 0xd7) &&
                p[at + 1] != markerPrefix)
                break;
            ++at;
        }
    }
    return false;
}

} // namespace lustrelab
