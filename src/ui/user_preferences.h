#pragma once

namespace lustrelab {

// The two preferences of the preferences window, for the views: each call
// reads or writes the per-user store (see PreferencesStore, which holds the
// keys and defaults), so every reader sees the latest value.

// Whether an image on the clipboard fills the first tab at launch.
bool autoPasteOnLaunch();
void setAutoPasteOnLaunch(bool enabled);

// The export scale offered by default: 1, 2 or 3.
double defaultExportScale();
void setDefaultExportScale(double scale);

} // namespace lustrelab
