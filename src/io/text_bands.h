#pragma once

#include <QImage>
#include <QList>

namespace lustrelab {

// Where a screenshot can be cut into horizontal bands that are read on
// separate threads without cutting through a line of text: rows of one
// colour (a gap between lines, a bar's flat edge). Returns the rows where
// the bands after the first begin, in order; at most `bands - 1` of them,
// fewer when the image is short or has no gap near an even split.
QList<int> textBandCuts(const QImage& grey, int bands);

} // namespace lustrelab
