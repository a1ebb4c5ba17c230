#pragma once

#include "annotations.h"
#include "beauty_settings.h"

#include <QImage>

namespace lustrelab {

// What a user makes of one screenshot: the screenshot as it came in, its
// styling and its annotations. A tab holds one; a project file stores one.
//
// `devicePixelRatio` is the ratio the screenshot is composed at; it equals
// screenshot.devicePixelRatio() whenever a screenshot is set, and is kept as
// a field of its own because image files do not carry it. A null screenshot
// is a document without an image (an empty tab).
struct Document
{
    QImage screenshot;
    qreal devicePixelRatio = 1.0;
    BeautySettings settings;
    Annotations annotations;

    // QImage compares pixels, size and format; its ratio is the field above.
    friend bool operator==(const Document&, const Document&) = default;
};

// Equal, with the screenshots compared by identity rather than pixel by
// pixel: a copy of a document shares its screenshot, and telling whether a tab
// changed must not cost a pass over every pixel.
inline bool sameDocument(const Document& a, const Document& b)
{
    return a.screenshot.cacheKey() == b.screenshot.cacheKey() && a.devicePixelRatio == b.devicePixelRatio &&
           a.settings == b.settings && a.annotations == b.annotations;
}

} // namespace lustrelab
