#pragma once

#include <QColor>
#include <QRectF>
#include <QStringList>
#include <QStringView>

class QPainter;

namespace lustrelab {

// Line drawings of the symbols the sidebars use, for desktops whose icon theme
// lacks them (or only has dark glyphs on a dark window). Each is designed on a
// 16 x 16 grid and scaled into `box`. Returns false, drawing nothing, for a
// name it does not know.
bool drawSymbol(QPainter& painter, QStringView name, const QRectF& box, const QColor& color);

// Every name drawSymbol knows.
QStringList drawnSymbolNames();

} // namespace lustrelab
