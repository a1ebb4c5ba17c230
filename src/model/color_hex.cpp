#include "color_hex.h"

namespace lustrelab {

QColor colorFromHex(QStringView hex)
{
    qsizetype begin = 0;
    qsizetype end = hex.size();
    while (begin < end && !hex[begin].isLetterOrNumber())
        ++begin;
    while (end > begin && !hex[end - 1].isLetterOrNumber())
        --end;
    const QStringView trimmed = hex.mid(begin, end - begin);

    // Scan like a C hex scanner: stop at the first non-hex character.
    quint64 value = 0;
    for (QChar c : trimmed) {
        const int digit = QChar(c).isDigit() ? c.unicode() - '0'
                          : (c.toLower() >= QLatin1Char('a') && c.toLower() <= QLatin1Char('f'))
                              ? c.toLower().unicode() - 'a' + 10
                              : -1;
        if (digit < 0 || c.unicode() > 127)
            break;
        value = value * 16 + quint64(digit);
    }

    int r = 0, g = 0, b = 0, a = 255;
    switch (trimmed.size()) {
    case 3:
        r = int((value >> 8) & 15) * 17;
        g = int((value >> 4) & 15) * 17;
        b = int(value & 15) * 17;
        break;
    case 6:
        r = int((value >> 16) & 255);
        g = int((value >> 8) & 255);
        b = int(value & 255);
        break;
    case 8:
        a = int((value >> 24) & 255);
        r = int((value >> 16) & 255);
        g = int((value >> 8) & 255);
        b = int(value & 255);
        break;
    default:
        break;
    }
    return QColor::fromRgbF(r / 255.0f, g / 255.0f, b / 255.0f, a / 255.0f);
}

} // namespace lustrelab
