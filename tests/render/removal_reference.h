#pragma once

// A deliberately plain version of the removal fill, one double loop over area
// pixels and band samples, to hold the fast one to. Works on and returns
// Format_RGBA8888_Premultiplied.

#include <QImage>
#include <QRect>

QImage referenceRemovalFill(const QImage& image, QRect area);

// Largest difference of any byte between two images of the same size, both
// compared as RGBA8888 premultiplied; -1 when the sizes differ.
int maxByteDifference(const QImage& a, const QImage& b);
