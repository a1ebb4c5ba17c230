// The made-up notes app that stands in for a real screenshot wherever the
// project needs one of its own: the sample in assets/, the benchmark input and
// the pictures of the window in data/screenshots/. Drawn at a 1440 x 900 design
// size and scaled, so any size looks the same.

#include "sample_picture.h"

#include <QFont>
#include <QPainter>
#include <QPainterPath>

namespace {

constexpr double kDesignWidth = 1440;
constexpr double kDesignHeight = 900;

QFont uiFont(double pixelSize, QFont::Weight weight = QFont::Normal)
{
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(int(pixelSize));
    font.setWeight(weight);
    return font;
}

void fillRounded(QPainter& p, const QRectF& rect, double radius, const QColor& color)
{
    QPainterPath path;
    path.addRoundedRect(rect, radius, radius);
    p.fillPath(path, color);
}

void drawTitleBar(QPainter& p)
{
    p.fillRect(QRectF(0, 0, kDesignWidth, 44), QColor(0x2b, 0x2d, 0x33));
    p.setPen(QColor(0xe6, 0xe7, 0xea));
    p.setFont(uiFont(15, QFont::DemiBold));
    p.drawText(QRectF(0, 0, kDesignWidth, 44), Qt::AlignCenter, QStringLiteral("Fieldnotes — Q3 planning"));
    const QColor buttons[] = {QColor(0x6b, 0x6e, 0x76), QColor(0x6b, 0x6e, 0x76), QColor(0xe0, 0x5d, 0x5d)};
    for (int i = 0; i < 3; ++i) {
        p.setPen(Qt::NoPen);
        p.setBrush(buttons[i]);
        p.drawEllipse(QPointF(kDesignWidth - 88 + i * 32, 22), 8, 8);
    }
}

void drawSidebar(QPainter& p)
{
    const QRectF sidebar(0, 44, 280, kDesignHeight - 44);
    p.fillRect(sidebar, QColor(0xf3, 0xf4, 0xf7));
    p.fillRect(QRectF(279, 44, 1, kDesignHeight - 44), QColor(0xdd, 0xdf, 0xe4));

    fillRounded(p, QRectF(20, 68, 240, 36), 8, QColor(0xe4, 0xe6, 0xeb));
    p.setPen(QColor(0x8a, 0x8f, 0x98));
    p.setFont(uiFont(14));
    p.drawText(QRectF(36, 68, 200, 36), Qt::AlignVCenter, QStringLiteral("Search notes"));

    const char* items[] = {"Inbox", "Today", "Planning", "Design review", "Release notes", "Archive"};
    const QColor tags[] = {QColor(0x63, 0x66, 0xf1), QColor(0xf5, 0x9e, 0x0b), QColor(0x10, 0xb9, 0x81),
                           QColor(0xec, 0x48, 0x99), QColor(0x0e, 0xa5, 0xe9), QColor(0x94, 0xa3, 0xb8)};
    for (int i = 0; i < 6; ++i) {
        const double y = 132 + i * 44;
        if (i == 2)
            fillRounded(p, QRectF(12, y - 4, 256, 40), 8, QColor(0xdf, 0xe3, 0xfb));
        fillRounded(p, QRectF(28, y + 6, 20, 20), 5, tags[i]);
        p.setPen(i == 2 ? QColor(0x31, 0x2e, 0x81) : QColor(0x37, 0x3a, 0x41));
        p.setFont(uiFont(15, i == 2 ? QFont::DemiBold : QFont::Normal));
        p.drawText(QRectF(62, y, 190, 32), Qt::AlignVCenter, QString::fromLatin1(items[i]));
    }
    p.setPen(QColor(0x9a, 0x9e, 0xa6));
    p.setFont(uiFont(12, QFont::DemiBold));
    p.drawText(QRectF(28, 420, 220, 20), Qt::AlignVCenter, QStringLiteral("RECENT"));
    for (int i = 0; i < 5; ++i)
        fillRounded(p, QRectF(28, 454 + i * 30, 120 + (i * 37) % 90, 10), 5, QColor(0xd5, 0xd8, 0xde));
}

void drawDocument(QPainter& p)
{
    const double left = 340;
    p.fillRect(QRectF(280, 44, kDesignWidth - 280, kDesignHeight - 44), Qt::white);
    p.fillRect(QRectF(280, 44, kDesignWidth - 280, 56), QColor(0xfa, 0xfa, 0xfb));
    p.fillRect(QRectF(280, 99, kDesignWidth - 280, 1), QColor(0xe6, 0xe8, 0xec));
    for (int i = 0; i < 6; ++i)
        fillRounded(p, QRectF(left - 28 + i * 44, 58, 30, 28), 6, QColor(0xe9, 0xeb, 0xef));
    fillRounded(p, QRectF(kDesignWidth - 164, 58, 124, 28), 6, QColor(0x4f, 0x46, 0xe5));
    p.setPen(Qt::white);
    p.setFont(uiFont(13, QFont::DemiBold));
    p.drawText(QRectF(kDesignWidth - 164, 58, 124, 28), Qt::AlignCenter, QStringLiteral("Share"));

    p.setPen(QColor(0x11, 0x18, 0x27));
    p.setFont(uiFont(34, QFont::Bold));
    p.drawText(QRectF(left, 128, 900, 50), Qt::AlignVCenter, QStringLiteral("Q3 planning"));
    p.setPen(QColor(0x6b, 0x72, 0x80));
    p.setFont(uiFont(14));
    p.drawText(QRectF(left, 178, 900, 24), Qt::AlignVCenter,
               QStringLiteral("Edited 2 hours ago · 4 collaborators"));

    // Paragraph lines stand in for prose; their lengths vary like real text.
    const int lengths[] = {720, 690, 705, 430, 0, 650, 712, 560};
    for (int i = 0; i < 8; ++i)
        if (lengths[i] > 0)
            fillRounded(p, QRectF(left, 232 + i * 26, lengths[i], 11), 5, QColor(0xd9, 0xdc, 0xe1));

    const QRectF card(left, 470, 500, 330);
    fillRounded(p, card.adjusted(-1, -1, 1, 1), 13, QColor(0xe5, 0xe7, 0xeb));
    fillRounded(p, card, 12, QColor(0xfb, 0xfb, 0xfd));
    p.setPen(QColor(0x11, 0x18, 0x27));
    p.setFont(uiFont(17, QFont::DemiBold));
    p.drawText(QRectF(card.left() + 24, card.top() + 18, 400, 28), Qt::AlignVCenter,
               QStringLiteral("Weekly active teams"));
    const double heights[] = {92, 128, 110, 164, 150, 196, 224, 210};
    for (int i = 0; i < 8; ++i) {
        const QRectF bar(card.left() + 36 + i * 56, card.bottom() - 36 - heights[i], 34, heights[i]);
        fillRounded(p, bar, 6, i == 6 ? QColor(0x4f, 0x46, 0xe5) : QColor(0xc7, 0xd2, 0xfe));
    }

    const QRectF side(left + 540, 470, 440, 330);
    fillRounded(p, side, 12, QColor(0xf5, 0xf3, 0xff));
    p.setPen(QColor(0x31, 0x2e, 0x81));
    p.setFont(uiFont(17, QFont::DemiBold));
    p.drawText(QRectF(side.left() + 24, side.top() + 18, 380, 28), Qt::AlignVCenter,
               QStringLiteral("Milestones"));
    for (int i = 0; i < 4; ++i) {
        const double y = side.top() + 74 + i * 62;
        p.setPen(Qt::NoPen);
        p.setBrush(i < 2 ? QColor(0x10, 0xb9, 0x81) : QColor(0xd4, 0xd4, 0xd8));
        p.drawEllipse(QPointF(side.left() + 36, y + 10), 9, 9);
        fillRounded(p, QRectF(side.left() + 60, y + 4, 250 - i * 30, 11), 5, QColor(0xc4, 0xb5, 0xfd));
        fillRounded(p, QRectF(side.left() + 60, y + 26, 150 + i * 20, 9), 4, QColor(0xdd, 0xd6, 0xfe));
    }
}

} // namespace

QImage drawSamplePicture(QSize size)
{
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    painter.scale(size.width() / kDesignWidth, size.height() / kDesignHeight);
    drawTitleBar(painter);
    drawSidebar(painter);
    drawDocument(painter);
    painter.end();
    // Opaque like a real window capture, so no alpha channel is stored.
    return image.convertToFormat(QImage::Format_RGB32);
}
