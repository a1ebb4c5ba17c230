#pragma once

#include "capture_backend.h"

#include <QStringList>
#include <memory>

namespace lustrelab {

// Picks how screenshots are taken, once, at the first capture:
//
//   1. LUSTRELAB_CAPTURE_BACKEND=<name>, when set, forces that backend even if
//      its tool is missing (the capture then fails with the launch error, which
//      is what a user who forced it needs to see).
//   2. A tool named `screencapture` on PATH, invoked like the classic
//      command-line screenshot tool (-i/-w/-m ... path).
//   3. The desktop portal's Screenshot interface on the session bus.
//   4. The first of gnome-screenshot, spectacle, grim (with slurp, Wayland
//      only), maim, scrot, ImageMagick's import (these three on X11 only).
//   5. Otherwise a backend whose every capture fails with a line naming the
//      tools to install.
//
// Names: screencapture, portal, gnome-screenshot, spectacle, grim, maim,
// scrot, import, none.
std::unique_ptr<CaptureBackend> loadCaptureBackend();

// The named backend, or nullptr for an unknown name. With `requireTools` the
// backend must also be usable here (its programs found, its session type
// running, the portal answering); without, it is built regardless.
std::unique_ptr<CaptureBackend> createCaptureBackend(const QString& name, bool requireTools = true);

// Every name, in the order of automatic choice.
QStringList captureBackendNames();

} // namespace lustrelab
