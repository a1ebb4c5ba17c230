#pragma once

#include "io/image_limits.h"

#include <QString>
#include <QtGlobal>

namespace lustrelab::project {

// Entry names and the limits a reader holds every project to. They belong to
// the file format: changing one makes files that older versions refuse.
inline constexpr char mimetypeEntry[] = "mimetype";
inline constexpr char documentEntry[] = "document.json";
inline constexpr char screenshotEntry[] = "screenshot.png";
inline constexpr char previewEntry[] = "preview.png";
inline constexpr char backgroundStem[] = "background";

inline constexpr quint64 mimetypeLimit = 256;
// Pen strokes of a hundred thousand points each fit many times over.
inline constexpr quint64 documentLimit = quint64(64) << 20;
// A PNG of the largest image Lustrelab handles, stored without any gain from
// compression, and then some: more than this cannot be an image we read.
inline constexpr quint64 imageEntryLimit = quint64(maxImagePixels) * 4 + (quint64(64) << 20);
inline constexpr quint64 previewEntryLimit = quint64(16) << 20;
inline constexpr qint64 previewPixelLimit = qint64(4096) * 4096;

// A name document.json gives for an entry: one plain file name, nothing that
// could mean a folder or a place outside the archive.
inline bool isPlainEntryName(const QString& name)
{
    return !name.isEmpty() && name.size() <= 255 && !name.contains(u'/') && !name.contains(u'\\') &&
           name != QLatin1String(".") && name != QLatin1String("..") && !name.contains(QChar(0));
}

} // namespace lustrelab::project
