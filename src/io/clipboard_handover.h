#pragma once

#include <QByteArray>
#include <QString>

namespace lustrelab {

// A copy must stay pasteable after the process that made it has exited: a
// command that returns to the shell, or the window quitting. The clipboard
// of X11 and Wayland lives in the process that offers it, so someone else
// has to take it over:
// - on X11 a running clipboard manager, which Qt hands the data to as the
//   application ends; where none runs, a detached holder (this executable as
//   `lustrelab hold-clipboard FILE`) that owns the selection until another
//   program takes it and then exits;
// - on Wayland `wl-copy`, which keeps serving in the background.
// Both need a QGuiApplication on the desktop's own platform.

// Why a copy could not outlive this process here, or empty when it can. For
// commands, to refuse --copy before doing any work.
QString clipboardHandoverProblem();

// Offers `png` on the clipboard so that it remains after exit. Waits (at
// most a few seconds) until the holder or wl-copy has it. Returns why it
// failed, or empty.
QString keepOnClipboardAfterExit(const QByteArray& png);
// The same for text (Copy Text), offered as UTF-8 plain text.
QString keepTextOnClipboardAfterExit(const QString& text);

// Offered by the window as it quits: hands over the clipboard's image, or
// else its text, when this application still owns it. Nothing happens
// otherwise, or offscreen.
void handOverOwnedClipboardImage();

// The holder's main loop, in a QGuiApplication: offers the PNG in `path`
// (or its UTF-8 text, with `text`), removing the file; returns 0 once
// another program owns the clipboard, 1 when the file is not a readable PNG.
int runClipboardHolder(const QString& path, bool text = false);

} // namespace lustrelab
