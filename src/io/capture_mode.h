#pragma once

namespace lustrelab {

// What the user picks on screen: a dragged rectangle, one window, or the
// whole screen.
enum class CaptureMode { region, window, fullScreen };

} // namespace lustrelab
