#pragma once

#include <QImage>
#include <QString>
#include <QStringList>

namespace lustrelab {

struct DelayOption
{
    int seconds = 0;
    QString usageError; // non-empty: not a whole number of seconds from 0 to 60
};

// Takes "--delay SECONDS" (or "--delay=SECONDS") out of `arguments`.
DelayOption takeDelayOption(QStringList& arguments);

// Counts `seconds` down in the overlay (Escape cancels) on the running
// application's event loop. False when the user cancelled.
bool waitOutDelay(int seconds);

// `capture scrolling`: the user drags out a region, which is then captured
// while the window under it scrolls, and stitched. `failure` says why
// nothing could be taken; a null image without one: cancelled.
struct ScrollingOutcome
{
    QImage image;
    QString failure;
    QString note; // how it ended, when early
};
ScrollingOutcome captureScrollingRegion();

// `capture --pin`: shows the styled capture pinned over the desktop and
// returns once the user has closed it. Ctrl+C in it copies in a way that
// outlives this process.
void showPinnedUntilClosed(const QImage& styled);

} // namespace lustrelab
