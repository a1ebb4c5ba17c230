#include "slider_row.h"

#include "sidebar_style.h"

#include <QBoxLayout>
#include <QLabel>
#include <QSlider>
#include <cmath>

namespace lustrelab {

namespace {

constexpr double stepsPerUnit = 100;

int toSteps(double value)
{
    return int(std::lround(value * stepsPerUnit));
}

} // namespace

SliderRow::SliderRow(const QString& label, double minimum, double maximum, const QString& unit,
                     QWidget* parent)
    : QWidget(parent), m_unit(unit), m_minimum(minimum), m_maximum(maximum), m_value(minimum)
{
    auto* caption = makeCaption(label, this);
    m_valueLabel = makeCaption(QString(), this);
    // Room for the longest value, so the caption does not shift while dragging.
    const QString widest = formatValue(std::abs(minimum) > std::abs(maximum) ? minimum : maximum, unit);
    m_valueLabel->setMinimumWidth(m_valueLabel->fontMetrics().horizontalAdvance(widest + QLatin1Char('0')));
    m_valueLabel->setAlignment(Qt::AlignRight | Qt::AlignVCenter);

    m_slider = new QSlider(Qt::Horizontal, this);
    m_slider->setObjectName(QStringLiteral("slider"));
    m_slider->setRange(toSteps(minimum), toSteps(maximum));
    m_slider->setSingleStep(int(stepsPerUnit));
    m_slider->setPageStep(int(stepsPerUnit * 10));
    m_slider->setFocusPolicy(Qt::StrongFocus);
    m_slider->setAccessibleName(label);
    caption->setBuddy(m_slider);

    auto* top = new QHBoxLayout;
    top->setContentsMargins(0, 0, 0, 0);
    top->addWidget(caption);
    top->addStretch(1);
    top->addWidget(m_valueLabel);
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(4);
    column->addLayout(top);
    column->addWidget(m_slider);

    connect(m_slider, &QSlider::valueChanged, this, [this](int steps) {
        const double edited = steps / stepsPerUnit;
        if (toSteps(std::clamp(m_value, m_minimum, m_maximum)) == steps)
            return; // the slider caught up with a value set from outside
        m_value = edited;
        showValue();
        emit valueEdited(m_value);
    });
    connect(m_slider, &QSlider::sliderPressed, this, &SliderRow::dragStarted);
    connect(m_slider, &QSlider::sliderReleased, this, &SliderRow::dragEnded);
    showValue();
}

void SliderRow::setValue(double value)
{
    if (!std::isfinite(value) || value == m_value)
        return;
    // A stored value beyond the slider's range (from a template or the command
    // line) is shown as it is; only the handle stops at the end.
    m_value = value;
    m_slider->setValue(toSteps(std::clamp(value, m_minimum, m_maximum)));
    showValue();
}

QString SliderRow::valueText() const
{
    return m_valueLabel->text();
}

QString SliderRow::formatValue(double value, const QString& unit)
{
    const double whole = std::isfinite(value) ? std::trunc(value) : 0.0;
    return QString::number(static_cast<long long>(whole)) + unit;
}

void SliderRow::showValue()
{
    const QString text = formatValue(m_value, m_unit);
    m_valueLabel->setText(text);
    m_slider->setAccessibleDescription(text);
}

} // namespace lustrelab
