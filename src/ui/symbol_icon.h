#pragma once

#include <QColor>
#include <QIcon>
#include <QPalette>
#include <QString>

class QAbstractButton;
class QWidget;

namespace lustrelab {

// The icon for one of the symbol names the sidebars use ("trash", "plus",
// "chevron.down", ...). The desktop's icon theme supplies it when it has a
// matching freedesktop icon that stands out against the palette's window
// colour; otherwise the icon is drawn in the palette's text colours, so no
// button is ever blank, on a light or a dark desktop. A valid `tint` always
// draws the symbol in that colour (the red trash buttons).
QIcon symbolIcon(const QString& name, const QPalette& palette, const QColor& tint = {});

// Gives a button the icon of a symbol and remembers which, so that
// refreshSymbols can draw it again for a new palette (a desktop switching to
// its dark theme while the application runs). Destructive symbols are drawn
// in the palette's destructive colour.
void setSymbol(QAbstractButton* button, const QString& name, bool destructive = false);
// Redraws with root's palette: called on root's own palette change, which
// reaches root before its children.
void refreshSymbols(QWidget* root);

// The freedesktop icon name standing in for a symbol, or empty when no
// common theme has one that means the same.
QString themeIconName(const QString& symbol);

// Whether an icon's opaque pixels differ enough in lightness from `background`
// to be seen on it.
bool iconStandsOut(const QIcon& icon, const QColor& background);

} // namespace lustrelab
