#pragma once

#include "color_well.h"
#include "slider_row.h"
#include "state/app_state.h"

namespace lustrelab {

// The styling panels' write: change fields of a copy of the current styling,
// store it and compose the current tab again. No undo step is taken; a change
// that leaves the styling as it was composes nothing.
template <typename Change> void editStyling(AppState& state, Change&& change)
{
    BeautySettings settings = state.settings();
    change(settings);
    if (settings == state.settings())
        return;
    state.setSettings(settings);
    state.processImage();
}

// A styling slider being dragged recomposes on every step; the canvas then
// follows it at the resolution it shows, and letting go composes the full one.
inline void composeLiveWhileDragged(SliderRow* row, AppState& state)
{
    QObject::connect(row, &SliderRow::dragStarted, &state, [&state] { state.setLiveComposition(true); });
    QObject::connect(row, &SliderRow::dragEnded, &state, [&state] { state.setLiveComposition(false); });
}

// A colour well of a styling panel: a colour picked in it becomes `field`.
// The well's name is its accessible name and the colour dialog's title.
inline ColorWell* makeStylingColorWell(const QString& name, AppState& state,
                                       CodableColor BeautySettings::*field, QWidget* context)
{
    auto* well = new ColorWell(name, context);
    QObject::connect(well, &ColorWell::colorPicked, context, [&state, field](const QColor& color) {
        editStyling(state, [&](BeautySettings& s) { s.*field = CodableColor::fromPlatformColor(color); });
    });
    return well;
}

} // namespace lustrelab
