#pragma once

#include <QImage>
#include <QList>
#include <QSize>
#include <QString>

namespace lustrelab {

enum class StitchDirection { vertical, horizontal };

struct StitchOptions
{
    StitchDirection direction = StitchDirection::vertical;
    // Images across the joining direction of different sizes are scaled to
    // the narrowest (vertical) or the lowest (horizontal) instead of refused.
    bool fit = false;
    // A pair that shares no rows is joined edge to edge instead of refused.
    bool appendWithoutOverlap = false;
};

// Why nothing was stitched. `first` and `second` are indexes into the
// images given, so the caller can name them (file names, tab names).
struct StitchFailure
{
    enum class Kind { tooFew, sizeMismatch, noOverlap, outOfMemory };
    Kind kind = Kind::tooFew;
    int first = 0;
    int second = 0;
    QSize firstSize;  // in pixels, for sizeMismatch
    QSize secondSize;

    friend bool operator==(const StitchFailure&, const StitchFailure&) = default;
};

struct StitchResult
{
    QImage image; // null on failure
    std::optional<StitchFailure> failure;
    int fixedStart = 0; // rows (columns) kept once at the top (left): a sticky header
    int fixedEnd = 0;   // and at the bottom (right): a fixed footer, a scroll bar
    QList<int> shifts;  // per neighbouring pair, how far the content moved; -1 joined edge to edge

    bool ok() const { return !failure.has_value(); }
};

// Joins images that overlap, in the order given, into one: each image adds
// only what it shows beyond the one before. The overlap is found from the
// pixels. Rows identical at the top and at the bottom of every image are
// kept once. The result has the first image's device pixel ratio and is
// premultiplied ARGB. Pure: any thread.
StitchResult stitchImages(const QList<QImage>& images, const StitchOptions& options = {});

// One line for the user, naming the images with `names` (same order).
QString describeStitchFailure(const StitchFailure& failure, const QStringList& names,
                              StitchDirection direction);

} // namespace lustrelab
