#include "capture_backend.h"

namespace lustrelab {

void CaptureBackend::captureMonitor(const MonitorChoice& choice, const QString& path, Done done)
{
    if (choice.kind == MonitorChoice::Kind::all) {
        capture(CaptureMode::fullScreen, path, std::move(done));
        return;
    }
    done(QStringLiteral("the %1 capture backend takes every monitor at once and cannot pick one "
                        "(on X11 install slop, on wlroots desktops grim; or use --monitor all)")
             .arg(name()));
}

} // namespace lustrelab
