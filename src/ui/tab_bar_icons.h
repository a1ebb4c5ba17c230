#pragma once

#include <QColor>
#include <QIcon>

namespace lustrelab {

// The three symbols of the tab strip. The desktop's icon theme supplies them
// where it has them; otherwise a small drawing in `color` stands in, so no
// button is ever blank on a desktop without an icon theme.
enum class TabBarSymbol { photo, close, plus };

QIcon tabBarIcon(TabBarSymbol symbol, const QColor& color);

} // namespace lustrelab
