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

inline char* toString(const UnitPoint& v)
{
    return printed(v);
}
inline char* toString(const UnitRect& v)
{
    return printed(v);
}
inline char* toString(const CodableColor& v)
{
    return printed(v);
}
inline char* toString(const TextOverlay& v)
{
    return printed(v);
}
inline char* toString(const ShapeOverlay& v)
{
    return printed(v);
}
inline char* toString(const RemovalArea& v)
{
    return printed(v);
}
inline char* toString(const StepMarker& v)
{
    return printed(v);
}
inline char* toString(const PenStroke& v)
{
    return printed(v);
}
inline char* toString(const BeautySettings& v)
{
    return printed(v);
}

} // namespace lustrelab
