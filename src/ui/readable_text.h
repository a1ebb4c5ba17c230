#pragma once

#include <QColor>
#include <QPalette>

class QWidget;

namespace lustrelab {

// Text of lesser weight (captions, dates, section symbols) is drawn in the
// palette's PlaceholderText colour. Desktop themes often leave that role at
// a fixed grey that is faint on a dark window, so each of our windows sets it
// from its own text and background colours: the text colour blended towards
// the background, no further than keeps a contrast of 4.5:1 (WCAG AA) against
// both the window and the list background.

// WCAG's contrast ratio of two opaque colours, 1 to 21.
double contrastRatio(const QColor& a, const QColor& b);

// `over` with `color` drawn on it at the colour's own opacity.
QColor composited(const QColor& color, const QColor& over);

QColor readableSecondaryColor(const QPalette& palette);

// Sets `window`'s secondary text colour now and whenever its palette changes
// (a theme switch, say). For each top-level window: palettes do not pass from
// a window to the dialogs it opens.
void keepSecondaryTextReadable(QWidget& window);

} // namespace lustrelab
