#include "gradient_stop_bar.h"

#include "model/gradient_stops.h"

#include <QKeyEvent>
#include <QLinearGradient>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <cmath>

namespace lustrelab {

GradientStopBar::GradientStopBar(QWidget* parent) : QWidget(parent)
{
    setFocusPolicy(Qt::StrongFocus);
    setAccessibleName(tr("Gradient stops"));
    setToolTip(tr("Click to add a stop, drag to move it, Delete to remove it"));
}

void GradientStopBar::setStops(const QList<GradientStop>& stops)
{
    m_stops = stops;
    if (m_selected >= m_stops.size())
        select(-1);
    update();
}

void GradientStopBar::setSelectedIndex(int index)
{
    select(index >= 0 && index < m_stops.size() ? index : -1);
}

void GradientStopBar::select(int index)
{
    if (index == m_selected)
        return;
    m_selected = index;
    update();
    emit selectionChanged(index);
}

QRect GradientStopBar::barRect() const
{
    return {inset, 2, std::max(1, width() - 2 * inset), barHeight};
}

int GradientStopBar::xAt(double position) const
{
    const QRect bar = barRect();
    return bar.left() + int(std::lround(position * (bar.width() - 1)));
}

double GradientStopBar::positionAt(int x) const
{
    const QRect bar = barRect();
    return std::clamp(double(x - bar.left()) / std::max(1, bar.width() - 1), 0.0, 1.0);
}

void GradientStopBar::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRect bar = barRect();
    // The checkerboard shows where stops are see-through.
    constexpr int square = 5;
    for (int y = bar.top(); y < bar.bottom(); y += square)
        for (int x = bar.left(); x < bar.right(); x += square)
            painter.fillRect(QRect(x, y, square, square).intersected(bar),
                             ((x - bar.left()) / square + (y - bar.top()) / square) % 2 ? Qt::lightGray : Qt::white);
    QList<GradientStop> sorted = m_stops;
    std::stable_sort(sorted.begin(), sorted.end(),
                     [](const GradientStop& a, const GradientStop& b) { return a.position < b.position; });
    QLinearGradient ramp(bar.left(), 0, bar.right(), 0);
    for (const GradientStop& stop : sorted)
        ramp.setColorAt(stop.position, stop.color.toPlatformColor());
    painter.fillRect(bar, ramp);
    painter.setPen(palette().color(QPalette::Mid));
    painter.drawRect(QRectF(bar).adjusted(0.5, 0.5, -0.5, -0.5));

    for (int i = 0; i < m_stops.size(); ++i) {
        const double x = xAt(m_stops[i].position) + 0.5;
        const double top = bar.bottom() + 3;
        QPainterPath handle;
        handle.moveTo(x, top);
        handle.lineTo(x + 6, top + 6);
        handle.lineTo(x + 6, top + 13);
        handle.lineTo(x - 6, top + 13);
        handle.lineTo(x - 6, top + 6);
        handle.closeSubpath();
        QColor fill = m_stops[i].color.toPlatformColor();
        fill.setAlphaF(1);
        painter.fillPath(handle, fill);
        const bool selected = i == m_selected;
        painter.setPen(QPen(palette().color(selected ? QPalette::Highlight : QPalette::Text), selected ? 2 : 1));
        painter.drawPath(handle);
    }
}

void GradientStopBar::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    setFocus(Qt::MouseFocusReason);
    const int x = int(event->position().x());
    const QRect bar = barRect();
    // A handle is found within its own half width, wherever on its column.
    const double tolerance = 7.0 / std::max(1, bar.width() - 1);
    if (const auto near = stopNear(m_stops, positionAt(x), tolerance)) {
        select(int(*near));
        m_dragging = true;
        return;
    }
    if (event->position().y() > bar.bottom() + 2)
        return; // below the bar and off any handle
    QList<GradientStop> stops = m_stops;
    if (const auto added = addStop(stops, positionAt(x))) {
        m_stops = stops;
        m_dragging = true;
        update();
        emit stopsEdited(m_stops);
        select(int(*added));
    }
}

void GradientStopBar::mouseMoveEvent(QMouseEvent* event)
{
    if (!m_dragging || m_selected < 0)
        return;
    const double position = positionAt(int(event->position().x()));
    if (position == m_stops[m_selected].position)
        return;
    moveStop(m_stops, m_selected, position);
    update();
    emit stopsEdited(m_stops);
}

void GradientStopBar::mouseReleaseEvent(QMouseEvent*)
{
    m_dragging = false;
}

void GradientStopBar::keyPressEvent(QKeyEvent* event)
{
    if ((event->key() == Qt::Key_Delete || event->key() == Qt::Key_Backspace) && m_selected >= 0) {
        if (removeStop(m_stops, m_selected)) {
            const int removed = m_selected;
            m_selected = -1;
            update();
            emit stopsEdited(m_stops);
            select(std::min(removed, int(m_stops.size()) - 1));
        }
        return;
    }
    QWidget::keyPressEvent(event);
}

} // namespace lustrelab
