#include "css_color.h"

namespace lustrelab {

namespace {

int hexDigit(QChar c)
{
    const char16_t u = c.unicode();
    if (u >= '0' && u <= '9')
        return u - '0';
    if (u >= 'a' && u <= 'f')
        return u - 'a' + 10;
    if (u >= 'A' && u <= 'F')
        return u - 'A' + 10;
    return -1;
}

} // namespace

std::optional<CodableColor> parseCssColor(QStringView text)
{
    if (!text.startsWith(u'#') || (text.size() != 7 && text.size() != 9))
        return std::nullopt;
    double channels[4] = {255, 255, 255, 255};
    for (qsizetype i = 1, channel = 0; i < text.size(); i += 2, ++channel) {
        const int high = hexDigit(text[i]);
        const int low = hexDigit(text[i + 1]);
        if (high < 0 || low < 0)
            return std::nullopt;
        channels[channel] = high * 16 + low;
    }
    return CodableColor{channels[0] / 255.0, channels[1] / 255.0, channels[2] / 255.0, channels[3] / 255.0};
}

} // namespace lustrelab
