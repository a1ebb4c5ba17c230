#pragma once

namespace lustrelab {

// The two preferences of the preferences window, in the per-user settings
// store ("Lustrelab"/"Lustrelab"). Each call reads or writes the store, so
// every reader sees the latest value.

// Whether an image on the clipboard fills the first tab at launch; default true.
bool autoPasteOnLaunch();
void setAutoPasteOnLaunch(bool enabled);

// The export scale offered by default: 1, 2 or 3; default 2. Anything else in
// the store (edited by hand, or from a later version) reads as 2.
double defaultExportScale();
void setDefaultExportScale(double scale);

} // namespace lustrelab
