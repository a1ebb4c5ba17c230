#pragma once

#include "model/document.h"

namespace lustrelab {

// One undo step: the current tab's document, copied: the whole styling record
// and the annotation lists. It carries no tab identity, so it is applied to
// whichever tab is current when it comes back (switching tabs clears the
// history).
//
// The tab's screenshot is part of it, because a paste replaces it while
// keeping everything else. QImage shares its pixels, so fifty snapshots of
// one screenshot cost one screenshot; only a replaced one is kept alive. A
// null screenshot (the tab had none) is not restored: that leaves the present
// one, so an edit made on an empty tab never takes a later paste away.
struct HistoryState
{
    Document document;
    // The number the tab's step markers count from: changing it renumbers them.
    int markerStartNumber = 1;

    friend bool operator==(const HistoryState&, const HistoryState&) = default;
};

} // namespace lustrelab
