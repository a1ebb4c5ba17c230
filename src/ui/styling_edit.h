#pragma once

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

} // namespace lustrelab
