#pragma once

#include "io/launch_activation.h"

#include <QDateTime>
#include <QImage>
#include <QString>

namespace lustrelab {

// `capture --open`: the unstyled capture becomes a new tab of the window,
// the running one when there is one, else a window started for it. The
// image travels as a PNG in `folder` (a window started afterwards needs a
// path), named after `now` like any capture; files there older than a week
// are removed on the way, so the folder does not grow without end.
// `activation` is the launcher's permission for the window to take the
// focus. Returns why it failed, or empty.
QString openCaptureInWindow(const QImage& capture, const QString& folder, const QDateTime& now,
                            const QString& programPath, const LaunchActivation& activation = {});

} // namespace lustrelab
