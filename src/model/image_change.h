#pragma once

#include <QRegion>
#include <QtGlobal>

namespace lustrelab {

// How a composed image relates to the one composed before it: that image
// (known by its cacheKey()) with only the pixels inside `area` drawn anew.
// A view that still shows the earlier image refreshes just that area; one
// that shows anything else redraws the whole image.
struct ImageChange
{
    qint64 since = 0;
    QRegion area; // device pixels of the composed image
};

} // namespace lustrelab
