#pragma once

#include "capture_backend.h"

namespace lustrelab {

// grim on wlroots compositors (Sway, Hyprland, ...). grim cannot select, so
// slurp asks the user for a rectangle first; a cancelled slurp ends without a
// file. Wayland gives clients no generic way to pick another application's
// window, so the window mode selects a rectangle too.
class GrimCaptureBackend : public CaptureBackend
{
    Q_OBJECT

  public:
    GrimCaptureBackend(QString grim, QString slurp, QObject* parent = nullptr);
    ~GrimCaptureBackend() override;

    QString name() const override { return QStringLiteral("grim"); }
    void capture(CaptureMode mode, const QString& path, Done done) override;

  private:
    QString m_grim;
    QString m_slurp;
};

} // namespace lustrelab
