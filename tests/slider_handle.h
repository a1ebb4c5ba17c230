#pragma once

// Where a slider draws its handle, as its style lays it out: a drag that
// starts there moves the handle, one that starts beside it pages instead.
// Shared by the tests and the benchmarks that drag styling sliders.

#include <QSlider>
#include <QStyle>
#include <QStyleOptionSlider>

namespace lustrelab::test {

inline QRect sliderHandleRect(const QSlider* slider)
{
    QStyleOptionSlider option;
    option.initFrom(slider);
    option.orientation = slider->orientation();
    option.minimum = slider->minimum();
    option.maximum = slider->maximum();
    option.sliderPosition = slider->sliderPosition();
    option.sliderValue = slider->value();
    return slider->style()->subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderHandle, slider);
}

} // namespace lustrelab::test
