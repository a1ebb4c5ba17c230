#pragma once

// QCOMPARE finds these by argument lookup, so a failing comparison of two
// records prints both instead of only "Compared values are not the same".

#include "model/model_debug.h"

#include <QByteArray>
#include <cstring>

namespace lustrelab {

template <typename T> char* printed(const T& value)
{
    QString text;
    QDebug(&text) << value;
    return qstrdup(text.toUtf8().constData());
}

#define LUSTRELAB_PRINTER(Type) inline char* toString(const Type& v) { return printed(v); }
LUSTRELAB_PRINTER(UnitPoint)
LUSTRELAB_PRINTER(UnitRect)
LUSTRELAB_PRINTER(CodableColor)
LUSTRELAB_PRINTER(TextOverlay)
LUSTRELAB_PRINTER(ShapeOverlay)
LUSTRELAB_PRINTER(RemovalArea)
LUSTRELAB_PRINTER(StepMarker)
LUSTRELAB_PRINTER(PenStroke)
LUSTRELAB_PRINTER(BeautySettings)
#undef LUSTRELAB_PRINTER

} // namespace lustrelab
