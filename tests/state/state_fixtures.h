#pragma once

// Shared by the tests that read text out of a screenshot, here and in the
// window's tests: a terminal, one command a line.

#include <QImage>
#include <QPainter>
#include <QStringList>

namespace lustrelab::statetest {

// `lines` in light grey, 20 pixels high, on a dark terminal of `size`,
// starting `left` pixels in; line n (from 0) stands on y = 50 (n + 1).
inline QImage terminalImage(QSize size, int left, const QStringList& lines)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(QColor(28, 28, 32));
    QPainter painter(&image);
    QFont font(QStringLiteral("DejaVu Sans Mono"));
    font.setPixelSize(20);
    painter.setFont(font);
    painter.setPen(QColor(225, 225, 225));
    for (qsizetype n = 0; n < lines.size(); ++n)
        painter.drawText(left, int(50 * (n + 1)), lines[n]);
    return image;
}

} // namespace lustrelab::statetest
