#pragma once

#include "capture_backend.h"

#include <QByteArray>
#include <QRect>
#include <optional>

namespace lustrelab {

// Captures on an X11 desktop by reading the pixels from the X server itself
// (shared memory, else the plain request), handing them over without a file.
// slop only lets the user pick: a dragged rectangle, or, in window mode, a
// click on a window, whose frame comes with it as the window manager drew it.
// The full screen needs no tool at all. A cancelled selection (Escape or a
// right click in slop) ends without an image.
class X11CaptureBackend : public CaptureBackend
{
    Q_OBJECT

  public:
    explicit X11CaptureBackend(QString slop, QObject* parent = nullptr);
    ~X11CaptureBackend() override;

    QString name() const override { return QStringLiteral("x11"); }
    void capture(CaptureMode mode, const QString& path, Done done) override;
    // The monitor's part of the root window, from XRandR's monitor list and
    // the pointer's place; no tool is started. Its ratio is the one Qt gives
    // the screen of that name (QT_SCREEN_SCALE_FACTORS sets one per monitor).
    void captureMonitor(const MonitorChoice& choice, const QString& path, Done done) override;

    // What slop is asked for, and how its answer reads: "X Y W H WINDOW".
    static QStringList slopArguments(CaptureMode mode);
    struct Selection
    {
        QRect area;         // in root pixels, as slop showed it
        quint32 window = 0; // the window clicked on, 0 for a dragged area
        bool operator==(const Selection&) const = default;
    };
    static std::optional<Selection> parseSelection(const QByteArray& slopOutput);

  private:
    QString m_slop;
};

} // namespace lustrelab
