#pragma once

// A tall page drawn like a screen of text (letters of varying height on
// lines, blank gaps, flat cards), and the frames a window scrolling over it
// would show: a sticky header on top, a fixed footer at the bottom, an
// optional scroll bar whose thumb moves and a blinking cursor. Shared by the
// stitching tests and the stitching benchmark.

#include <QImage>
#include <QList>
#include <QPainter>
#include <QRandomGenerator>
#include <algorithm>

namespace lustrelab::test {

inline QImage drawnPage(int width, int height, int ratio, quint32 seed = 7)
{
    QImage page(width, height, QImage::Format_ARGB32_Premultiplied);
    page.fill(Qt::white);
    QRandomGenerator random(seed);
    QPainter p(&page);
    int y = 8 * ratio;
    while (y < height) {
        const int kind = random.bounded(12);
        if (kind == 0) {
            y += 18 * ratio; // a blank gap between paragraphs
        } else if (kind == 1) {
            const int h = (30 + random.bounded(60)) * ratio; // a card: many alike rows
            p.fillRect(12 * ratio, y, width - 24 * ratio, h, QColor(225, 232, 245));
            p.fillRect(20 * ratio, y + 6 * ratio, 10 * ratio, 10 * ratio, QColor(60, 90, 200));
            y += h + 8 * ratio;
        } else {
            for (int x = 16 * ratio; x < width - 48 * ratio;) {
                const int letters = 2 + random.bounded(7);
                for (int i = 0; i < letters; ++i) {
                    const int w = (4 + random.bounded(5)) * ratio;
                    const int h = (5 + random.bounded(10)) * ratio;
                    const int shade = random.bounded(90);
                    p.fillRect(x, y + 14 * ratio - h, w - ratio, h, QColor(shade, shade, shade + 30));
                    x += w;
                }
                x += 6 * ratio;
            }
            y += 22 * ratio;
        }
    }
    return page;
}

inline QImage drawnBar(int width, int height, QColor color, int ratio)
{
    QImage bar(width, height, QImage::Format_ARGB32_Premultiplied);
    bar.fill(color);
    QPainter p(&bar);
    for (int x = 10 * ratio; x < width / 2; x += 37 * ratio)
        p.fillRect(x, height / 4, 24 * ratio, std::max(1, height / 2), color.darker(160));
    return bar;
}

struct ScrolledView
{
    QImage page;            // the content that scrolls
    QImage header, footer;  // drawn over the top and bottom of every frame; may be null
    int viewRows = 0;       // rows of page visible between header and footer
    int ratio = 1;
    QRect cursor;           // in page pixels; shown in odd frames (it blinks)
    int scrollBarWidth = 0; // a thumb at the right that moves with the scrolling

    int headerRows() const { return header.isNull() ? 0 : header.height(); }
    int footerRows() const { return footer.isNull() ? 0 : footer.height(); }

    // Scroll positions from the top of the page to its end, `step` rows apart
    // (the last one shorter, as a window stops at the end).
    QList<int> positions(int step) const
    {
        QList<int> at;
        const int last = page.height() - viewRows;
        for (int y = 0;; y += step) {
            at << std::min(y, last);
            if (y >= last)
                return at;
        }
    }

    QImage frame(int scrolledTo, int index) const
    {
        QImage frame(page.width(), headerRows() + viewRows + footerRows(), QImage::Format_ARGB32_Premultiplied);
        QPainter p(&frame);
        p.drawImage(QPoint(0, headerRows()), page, QRect(0, scrolledTo, page.width(), viewRows));
        if (index % 2 == 1 && !cursor.isNull())
            p.fillRect(cursor.translated(0, headerRows() - scrolledTo), QColor(20, 20, 20));
        if (scrollBarWidth > 0) {
            const QRect track(page.width() - scrollBarWidth, headerRows(), scrollBarWidth, viewRows);
            p.fillRect(track, QColor(240, 240, 240));
            const int thumb = std::max(8, viewRows * viewRows / page.height());
            const int top = (viewRows - thumb) * scrolledTo / std::max(1, page.height() - viewRows);
            p.fillRect(track.x() + 2, track.y() + top, scrollBarWidth - 4, thumb, QColor(150, 150, 150));
        }
        if (!header.isNull())
            p.drawImage(0, 0, header);
        if (!footer.isNull())
            p.drawImage(0, headerRows() + viewRows, footer);
        return frame;
    }

    QList<QImage> frames(int step) const
    {
        QList<QImage> frames;
        const QList<int> at = positions(step);
        for (qsizetype i = 0; i < at.size(); ++i)
            frames << frame(at[i], int(i));
        return frames;
    }

    // What stitching the frames should give: the header, the whole page, the footer.
    QImage whole() const
    {
        QImage whole(page.width(), headerRows() + page.height() + footerRows(), QImage::Format_ARGB32_Premultiplied);
        QPainter p(&whole);
        if (!header.isNull())
            p.drawImage(0, 0, header);
        p.drawImage(0, headerRows(), page);
        if (!footer.isNull())
            p.drawImage(0, headerRows() + page.height(), footer);
        return whole;
    }
};

// A view `width` wide over a page `pageRows` high, `viewRows` of it visible.
inline ScrolledView scrolledView(int width, int pageRows, int viewRows, int ratio, bool fixedBars, quint32 seed = 7)
{
    ScrolledView view;
    view.ratio = ratio;
    view.page = drawnPage(width, pageRows, ratio, seed);
    view.viewRows = viewRows;
    if (fixedBars) {
        view.header = drawnBar(width, 28 * ratio, QColor(50, 60, 80), ratio);
        view.footer = drawnBar(width, 18 * ratio, QColor(235, 235, 235), ratio);
    }
    return view;
}

} // namespace lustrelab::test
