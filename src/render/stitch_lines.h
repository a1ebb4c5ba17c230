#pragma once

#include <QImage>
#include <cstdint>
#include <optional>
#include <vector>

namespace lustrelab {

// One row of a frame reduced to what the overlap search compares: a 64-bit
// hash of its pixels, and whether the row is one flat colour. Flat rows
// (margins, gaps between paragraphs) match anywhere, so they never count as
// evidence for an overlap on their own.
struct StitchLine
{
    uint64_t hash = 0;
    bool flat = false;

    friend bool operator==(const StitchLine&, const StitchLine&) = default;
};

using StitchLines = std::vector<StitchLine>;

// The rows of `image` (premultiplied ARGB or RGB32), columns [skipLeft,
// width - skipRight) only; a scroll bar at the side moves its thumb between
// frames and is left out this way when the whole rows do not match.
StitchLines stitchLines(const QImage& image, int skipLeft = 0, int skipRight = 0);

// How many rows are the same at the top (and at the bottom) of every frame:
// a sticky header, a fixed footer. Each is at most `limit` rows.
int commonLeadingLines(const std::vector<const StitchLines*>& frames, int limit);
int commonTrailingLines(const std::vector<const StitchLines*>& frames, int limit);

// The rules a shift must pass to be taken for an overlap.
struct OverlapRules
{
    int minimumOverlap = 12;      // rows shared, fewer is coincidence
    double minimumAgreement = 0.8; // share of the shared rows that must be equal (a blinking
                                   // cursor, a hover highlight differ)
};

// By how many rows the content moved from `previous` to `next`: next[j]
// shows what previous[j + shift] showed. Candidates come from the rows that
// differ from the row above them, looked up by the hashes of both (linear
// in the height, not quadratic); a change seen more than a few times votes
// for nothing. The best-voted few are then confirmed over the whole overlap. Among confirmed shifts the best agreement wins, then the
// smallest shift. None when nothing is confirmed. A shift of 0 means the
// frames show the same rows.
std::optional<int> findShift(const StitchLines& previous, const StitchLines& next, const OverlapRules& rules = {});

} // namespace lustrelab
