#pragma once

namespace lustrelab {

// Contrast as WCAG 2 measures it, for text the user has to read on a colour
// (a step marker's number, secondary text on a theme's window).

// The relative luminance of an sRGB colour with channels from 0 to 1: 0 for
// black, 1 for white.
double relativeLuminance(double red, double green, double blue);

// The contrast ratio of two relative luminances, from 1 (alike) to 21 (black on white).
double contrastRatio(double luminanceA, double luminanceB);

} // namespace lustrelab
