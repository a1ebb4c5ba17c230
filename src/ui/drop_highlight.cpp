#include "drop_highlight.h"

#include "shell_palette.h"

#include <QIcon>
#include <QPainter>
#include <QPainterPath>

namespace lustrelab {

namespace {

constexpr int symbolSize = 48;
constexpr int spacing = 12;
constexpr int cardPadding = 24;

// A page with a folded corner and an arrow pointing down into it.
void paintDocumentSymbol(QPainter& painter, const QRectF& box, const QColor& color)
{
    const qreal unit = box.width() / 48.0;
    const QRectF page(box.left() + 9 * unit, box.top() + 3 * unit, 30 * unit, 42 * unit);
    const qreal fold = 9 * unit;
    QPainterPath outline;
    outline.moveTo(page.left(), page.top());
    outline.lineTo(page.right() - fold, page.top());
    outline.lineTo(page.right(), page.top() + fold);
    outline.lineTo(page.right(), page.bottom());
    outline.lineTo(page.left(), page.bottom());
    outline.closeSubpath();
    outline.moveTo(page.right() - fold, page.top());
    outline.lineTo(page.right() - fold, page.top() + fold);
    outline.lineTo(page.right(), page.top() + fold);
    QPen pen(color, 2.5 * unit);
    pen.setJoinStyle(Qt::RoundJoin);
    pen.setCapStyle(Qt::RoundCap);
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(outline);
    const qreal x = page.center().x();
    painter.drawLine(QPointF(x, page.top() + 13 * unit), QPointF(x, page.bottom() - 9 * unit));
    painter.drawLine(QPointF(x - 7 * unit, page.bottom() - 16 * unit), QPointF(x, page.bottom() - 9 * unit));
    painter.drawLine(QPointF(x + 7 * unit, page.bottom() - 16 * unit), QPointF(x, page.bottom() - 9 * unit));
}

} // namespace

DropHighlight::DropHighlight(QWidget* parent) : QWidget(parent)
{
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_NoSystemBackground);
    setAcceptDrops(false);
}

QString DropHighlight::message()
{
    return tr("Drop image here");
}

void DropHighlight::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QColor accent = shell::accentColor(palette());
    painter.fillRect(rect(), shell::withOpacity(accent, 0.1));

    const QFont font = shell::titleFont(this->font());
    const QFontMetrics metrics(font);
    const int height = symbolSize + spacing + metrics.height();
    const QPoint centre = rect().center();
    const QRect symbolBox(centre.x() - symbolSize / 2, centre.y() - height / 2, symbolSize, symbolSize);

    // Over a composed image the message would drown in its colours; a
    // window-coloured card behind it keeps it legible on any picture.
    const int textWidth = metrics.horizontalAdvance(message());
    const QRect card = QRect(centre.x() - textWidth / 2, symbolBox.top(), textWidth, height)
                           .united(symbolBox)
                           .adjusted(-cardPadding, -cardPadding, cardPadding, cardPadding);
    painter.setPen(Qt::NoPen);
    painter.setBrush(shell::withOpacity(palette().color(QPalette::Window), 0.85));
    painter.drawRoundedRect(card, 12, 12);

    const QIcon themed = QIcon::fromTheme(QStringLiteral("document-import"));
    if (!themed.isNull())
        themed.paint(&painter, symbolBox);
    else
        paintDocumentSymbol(painter, symbolBox, accent);

    painter.setFont(font);
    painter.setPen(shell::secondaryColor(palette()));
    const QRect textBox(rect().left(), symbolBox.bottom() + 1 + spacing, width(), metrics.height());
    painter.drawText(textBox, Qt::AlignHCenter | Qt::AlignTop, message());
}

} // namespace lustrelab
