#include "color_well.h"

#include <QColorDialog>
#include <QPainter>
#include <QPainterPath>
#include <QStyleOptionButton>
#include <QStylePainter>

namespace lustrelab {

ColorWell::ColorWell(const QString& label, QWidget* parent) : QPushButton(parent), m_label(label)
{
    setAccessibleName(label);
    setToolTip(label);
    setFocusPolicy(Qt::StrongFocus);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    connect(this, &QPushButton::clicked, this, &ColorWell::openDialog);
    setColor(m_color);
}

void ColorWell::setColor(const QColor& color)
{
    m_color = color;
    setAccessibleDescription(color.name(QColor::HexArgb));
    update();
}

void ColorWell::openDialog()
{
    auto* dialog = new QColorDialog(m_color, this);
    dialog->setOption(QColorDialog::ShowAlphaChannel);
    dialog->setWindowTitle(m_label);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    connect(dialog, &QColorDialog::colorSelected, this, [this](const QColor& picked) {
        setColor(picked);
        emit colorPicked(picked);
    });
    dialog->open();
}

void ColorWell::paintEvent(QPaintEvent*)
{
    QStylePainter painter(this);
    QStyleOptionButton option;
    initStyleOption(&option);
    painter.drawControl(QStyle::CE_PushButtonBevel, option);

    const QRectF swatch = QRectF(rect()).adjusted(5.5, 5.5, -5.5, -5.5);
    QPainterPath shape;
    shape.addRoundedRect(swatch, 3, 3);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.save();
    painter.setClipPath(shape);
    const int cell = 5;
    for (int y = 0; y * cell < swatch.height(); ++y)
        for (int x = 0; x * cell < swatch.width(); ++x)
            painter.fillRect(QRectF(swatch.left() + x * cell, swatch.top() + y * cell, cell, cell),
                             (x + y) % 2 ? QColor(204, 204, 204) : QColor(255, 255, 255));
    painter.fillRect(swatch, m_color);
    painter.restore();
    painter.setPen(QPen(palette().color(QPalette::Mid), 1));
    painter.drawPath(shape);
}

} // namespace lustrelab
