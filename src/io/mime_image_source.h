#pragma once

#include "image_decoder.h"

class QMimeData;

namespace lustrelab {

// What counts as an image in clipboard and drop data, first item only, in this
// order: image content (encoded bytes under an image/* type, PNG preferred,
// else the toolkit's decoded image), then a reference to a local file, as file
// managers put on the clipboard or drag (text/uri-list, and GNOME's
// x-special/gnome-copied-files and its text/plain form). Text, remote URLs and
// anything else give an empty source. Nothing is decoded here.
ImageSource imageSourceFromMime(const QMimeData& mime);

// The same decision from the offered types alone, without fetching data: what
// a drag-enter or the automatic paste asks before committing to anything.
bool mimeOffersImage(const QMimeData& mime);

} // namespace lustrelab
