#include "segmented_picker.h"

#include "choice_group.h"
#include "symbol_icon.h"

#include <QBoxLayout>
#include <QButtonGroup>
#include <QPainter>
#include <QPainterPath>
#include <QStyle>
#include <QStyleOptionFocusRect>
#include <QToolButton>

namespace lustrelab {

namespace {

// One segment: the chosen one filled with the accent colour, the others plain
// on the picker's track.
class Segment : public QToolButton
{
  public:
    using QToolButton::QToolButton;

    QSize sizeHint() const override
    {
        const QSize text = fontMetrics().size(Qt::TextShowMnemonic, this->text());
        const int iconWidth = icon().isNull() ? 0 : 16 + 4;
        return {text.width() + iconWidth + 16, std::max(text.height(), 16) + 8};
    }
    QSize minimumSizeHint() const override
    {
        return {fontMetrics().horizontalAdvance(text()) / 2 + 8, sizeHint().height()};
    }

  protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        const QPalette& pal = palette();
        const QRectF box = QRectF(rect()).adjusted(2, 2, -2, -2);
        if (isChecked()) {
            QPainterPath shape;
            shape.addRoundedRect(box, 5, 5);
            painter.fillPath(shape, pal.color(QPalette::Highlight));
        } else if (underMouse() || isDown()) {
            QColor hover = pal.color(QPalette::ButtonText);
            hover.setAlphaF(isDown() ? 0.16f : 0.08f);
            QPainterPath shape;
            shape.addRoundedRect(box, 5, 5);
            painter.fillPath(shape, hover);
        }
        QColor ink = pal.color(isChecked() ? QPalette::HighlightedText : QPalette::ButtonText);
        if (!isEnabled())
            ink = pal.color(QPalette::Disabled, QPalette::ButtonText);
        const int textWidth = fontMetrics().horizontalAdvance(text());
        const int iconWidth = icon().isNull() ? 0 : 16 + 4;
        const int available = width() - 8;
        const QString shown = fontMetrics().elidedText(text(), Qt::ElideRight, available - iconWidth);
        const int contentWidth = std::min(textWidth, available - iconWidth) + iconWidth;
        int x = (width() - contentWidth) / 2;
        if (!icon().isNull()) {
            const QIcon::Mode mode = !isEnabled()  ? QIcon::Disabled
                                     : isChecked() ? QIcon::Selected
                                                   : QIcon::Normal;
            icon().paint(&painter, QRect(x, (height() - 16) / 2, 16, 16), Qt::AlignCenter, mode);
            x += iconWidth;
        }
        painter.setPen(ink);
        painter.drawText(QRect(x, 0, width() - x, height()), Qt::AlignLeft | Qt::AlignVCenter, shown);
        if (hasFocus()) {
            QStyleOptionFocusRect option;
            option.initFrom(this);
            option.rect = rect().adjusted(3, 3, -3, -3);
            style()->drawPrimitive(QStyle::PE_FrameFocusRect, &option, &painter, this);
        }
    }
};

} // namespace

SegmentedPicker::SegmentedPicker(const QString& accessibleName, QWidget* parent)
    : QWidget(parent), m_group(new QButtonGroup(this)), m_row(new QHBoxLayout(this))
{
    setAccessibleName(accessibleName);
    m_group->setExclusive(true);
    m_row->setContentsMargins(0, 0, 0, 0);
    m_row->setSpacing(0);
    setAutoFillBackground(false);
    connect(m_group, &QButtonGroup::idClicked, this, &SegmentedPicker::activated);
    new ChoiceGroup(*this, ChoiceGroup::Arrows::choose);
}

void SegmentedPicker::addSegment(const QString& text, const QString& symbol)
{
    auto* button = new Segment(this);
    button->setText(text);
    button->setAccessibleName(text);
    button->setCheckable(true);
    button->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    if (!symbol.isEmpty()) {
        setSymbol(button, symbol);
        button->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    }
    m_group->addButton(button, count());
    m_row->addWidget(button);
    if (count() == 1)
        button->setChecked(true);
}

void SegmentedPicker::paintEvent(QPaintEvent*)
{
    // The track behind the segments.
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF track = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    QColor fill = palette().color(QPalette::ButtonText);
    fill.setAlphaF(0.07f);
    QColor edge = palette().color(QPalette::ButtonText);
    edge.setAlphaF(0.2f);
    painter.setPen(QPen(edge, 1));
    painter.setBrush(fill);
    painter.drawRoundedRect(track, 7, 7);
}

int SegmentedPicker::count() const
{
    return int(m_group->buttons().size());
}

int SegmentedPicker::currentIndex() const
{
    return m_group->checkedId();
}

void SegmentedPicker::setCurrentIndex(int index)
{
    if (QAbstractButton* button = m_group->button(index)) {
        button->setChecked(true);
    } else if (QAbstractButton* checked = m_group->checkedButton()) {
        // No valid choice: show none rather than a wrong one.
        m_group->setExclusive(false);
        checked->setChecked(false);
        m_group->setExclusive(true);
    }
}

} // namespace lustrelab
