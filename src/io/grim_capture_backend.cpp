#include "grim_capture_backend.h"

#include "process_capture_backend.h"

#include <QProcess>

namespace lustrelab {

GrimCaptureBackend::GrimCaptureBackend(QString grim, QString slurp, QObject* parent)
    : CaptureBackend(parent), m_grim(std::move(grim)), m_slurp(std::move(slurp))
{
}

GrimCaptureBackend::~GrimCaptureBackend()
{
    ProcessCaptureBackend::stopAll(this);
}

void GrimCaptureBackend::capture(CaptureMode mode, const QString& path, Done done)
{
    const auto grab = [this, path, done](const QStringList& geometry) {
        ProcessCaptureBackend::run(
            this, m_grim, geometry + QStringList{path}, [done](QProcess&) { done({}); }, done);
    };
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
