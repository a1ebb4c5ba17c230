#pragma once

#include "model/custom_gradient.h"

#include <QWidget>

namespace lustrelab {

// A custom gradient's stops on a bar: the gradient drawn left to right over a
// checkerboard, a handle under it for each stop. Pressing a handle selects it
// and dragging moves it; pressing the bar elsewhere adds a stop there in the
// colour shown; Delete removes the selected stop (never below two).
class GradientStopBar : public QWidget
{
    Q_OBJECT

  public:
    explicit GradientStopBar(QWidget* parent = nullptr);

    // Shows stops set elsewhere; the selection is kept when it still exists.
    void setStops(const QList<GradientStop>& stops);
    const QList<GradientStop>& stops() const { return m_stops; }
    int selectedIndex() const { return m_selected; } // -1: none
    void setSelectedIndex(int index);

    // Where a gradient position lies on the widget, and back.
    int xAt(double position) const;
    double positionAt(int x) const;

    QSize sizeHint() const override { return {200, 38}; }
    QSize minimumSizeHint() const override { return {80, 38}; }

  signals:
    // The user changed the stops (once a drag step, add or removal).
    void stopsEdited(const QList<GradientStop>& stops);
    void selectionChanged(int index);

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

  private:
    static constexpr int inset = 8;
    static constexpr int barHeight = 20;
    QRect barRect() const;
    void select(int index);

    QList<GradientStop> m_stops;
    int m_selected = -1;
    bool m_dragging = false;
};

} // namespace lustrelab
