#pragma once

#include "capture_backend.h"

#include <QStringList>
#include <functional>
#include <memory>

namespace lustrelab {

// Picks how screenshots are taken, once, at the first capture:
//
//   1. LUSTRELAB_CAPTURE_BACKEND=<name>, when set, forces that backend even if
//      its tool is missing (the capture then fails with the launch error, which
//      is what a user who forced it needs to see).
//   2. A tool named `screencapture` on PATH, invoked like the classic
//      command-line screenshot tool (-i/-w/-m ... path).
//   3. On X11 with slop installed, the X server's own pixels (slop only
//      picks the region or window).
//   4. The desktop portal's Screenshot interface on the session bus.
//   5. The first of gnome-screenshot, spectacle, grim (with slurp, Wayland
//      only), maim, scrot, ImageMagick's import (these three on X11 only).
//   6. Otherwise a backend whose every capture fails with a line naming the
//      tools to install.
//
// Names: screencapture, x11, portal, gnome-screenshot, spectacle, grim, maim,
// scrot, import, none.
//
// Nothing waits for the portal: `chosen` runs with the backend as soon as the
// choice is made, before this returns when no portal needs asking, otherwise
// later on the event loop of context's thread (never once `context` is gone).
// A portal that does not answer within a few seconds counts as absent.
using CaptureBackendChosen = std::function<void(std::unique_ptr<CaptureBackend> backend)>;
void loadCaptureBackend(QObject* context, CaptureBackendChosen chosen);

// The named backend, or nullptr for an unknown name. With `requireTools` the
// backend must also be usable here (its programs found, its session type
// running; for the portal only a session bus, since whether a portal answers
// on it takes a round trip, which loadCaptureBackend makes without waiting);
// without, it is built regardless.
std::unique_ptr<CaptureBackend> createCaptureBackend(const QString& name, bool requireTools = true);

// For a capture of one monitor where the chosen backend takes only the
// whole desktop (the portal, which comes before grim on wlroots desktops):
// the backend of this session that can pick one, needing no selection tool
// (the X server's grab on X11, grim on Wayland), or nullptr when there is
// none or LUSTRELAB_CAPTURE_BACKEND forces a backend.
std::unique_ptr<CaptureBackend> createMonitorBackend();

// Every name, in the order of automatic choice.
QStringList captureBackendNames();

} // namespace lustrelab
