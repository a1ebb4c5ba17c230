#include "grim_capture_backend.h"

#include "process_capture_backend.h"
#include "sway_outputs.h"

#include <QGuiApplication>
#include <QProcess>
#include <QScreen>
#include <QStandardPaths>
#include <algorithm>

namespace lustrelab {

GrimCaptureBackend::GrimCaptureBackend(QString grim, QString slurp, QObject* parent)
    : CaptureBackend(parent), m_grim(std::move(grim)), m_slurp(std::move(slurp))
{
}

GrimCaptureBackend::~GrimCaptureBackend()
{
    ProcessCaptureBackend::stopAll(this);
}

namespace {

// The outputs as Qt lists its screens: Qt's logical geometry, and each
// screen's own ratio (on Wayland, its output's scale).
SwayOutputs qtScreens()
{
    SwayOutputs outputs;
    if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        for (const QScreen* screen : QGuiApplication::screens())
            outputs.monitors << ScreenMonitor{screen->name(), screen->geometry(), screen->devicePixelRatio()};
    return outputs;
}

} // namespace

void GrimCaptureBackend::grab(const QStringList& arguments, const QString& path, const Done& done)
{
    ProcessCaptureBackend::run(
        this, m_grim, arguments + QStringList{path}, [done](QProcess&) { done({}); }, done);
}

void GrimCaptureBackend::captureMonitor(const MonitorChoice& choice, const QString& path, Done done)
{
    const auto withOutputs = [this, choice, path, done](const SwayOutputs& outputs) {
        if (choice.kind == MonitorChoice::Kind::all) {
            // grim draws the whole desktop at the greatest scale of its outputs.
            double ratio = 0;
            for (const ScreenMonitor& m : outputs.monitors)
                ratio = std::max(ratio, m.ratio);
            if (ratio > 0)
                done.setRatio(ratio);
            grab({}, path, done);
            return;
        }
        const MonitorPick pick = pickMonitor(outputs.monitors, choice, std::nullopt, outputs.focused);
        if (!pick.monitor) {
            done(pick.error);
            return;
        }
        done.setRatio(pick.monitor->ratio);
        grab({QStringLiteral("-o"), pick.monitor->name}, path, done);
    };
    const QString swaymsg = QStandardPaths::findExecutable(QStringLiteral("swaymsg"));
    if (swaymsg.isEmpty()) {
        withOutputs(qtScreens());
        return;
    }
    ProcessCaptureBackend::run(
        this, swaymsg, {QStringLiteral("-t"), QStringLiteral("get_outputs"), QStringLiteral("-r")},
        [withOutputs](QProcess& process) {
            // Not sway after all (another wlroots desktop): what Qt knows.
            const std::optional<SwayOutputs> outputs = process.exitCode() == 0 && process.exitStatus() == QProcess::NormalExit
                                                           ? parseSwayOutputs(process.readAllStandardOutput())
                                                           : std::nullopt;
            withOutputs(outputs && !outputs->monitors.isEmpty() ? *outputs : qtScreens());
        },
        [withOutputs](const QString&) { withOutputs(qtScreens()); });
}

void GrimCaptureBackend::capture(CaptureMode mode, const QString& path, Done done)
{
    const auto grab = [this, path, done](const QStringList& geometry) { this->grab(geometry, path, done); };
    if (mode == CaptureMode::fullScreen) {
        grab({});
        return;
    }
    ProcessCaptureBackend::run(
        this, m_slurp, {},
        [grab, done](QProcess& slurp) {
            const QString geometry = QString::fromUtf8(slurp.readAllStandardOutput()).trimmed();
            // slurp exits non-zero when the user presses Escape.
            if (slurp.exitStatus() != QProcess::NormalExit || slurp.exitCode() != 0 || geometry.isEmpty())
                done({});
            else
                grab({QStringLiteral("-g"), geometry});
        },
        done);
}

} // namespace lustrelab
