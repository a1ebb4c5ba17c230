#pragma once

#include <QString>
#include <QWidget>

class QLabel;
class QSlider;

namespace lustrelab {

// A caption with the current value beside it ("12px", "25%") over a slider.
// The slider moves in hundredths of a unit, fine enough to feel continuous;
// the shown value is the whole part of the value, cut toward zero.
class SliderRow : public QWidget
{
    Q_OBJECT

  public:
    SliderRow(const QString& label, double minimum, double maximum, const QString& unit,
              QWidget* parent = nullptr);

    double value() const { return m_value; }
    // Shows a value set from outside (a model change); does not emit valueEdited.
    void setValue(double value);
    QString valueText() const;

    // "12px" for 12.9, "0px" for -0.5, "-49px" for -49.7.
    static QString formatValue(double value, const QString& unit);

  signals:
    // The user moved the slider (mouse or keyboard): once per change.
    void valueEdited(double value);
    // The handle was taken with the pointer, and let go.
    void dragStarted();
    void dragEnded();

  private:
    void showValue();

    QLabel* m_valueLabel;
    QSlider* m_slider;
    QString m_unit;
    double m_minimum;
    double m_maximum;
    double m_value;
};

} // namespace lustrelab
