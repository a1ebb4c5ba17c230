#pragma once

#include "capture_backend.h"

namespace lustrelab {

// grim on wlroots compositors (Sway, Hyprland, ...). grim cannot select, so
// slurp asks the user for a rectangle first; a cancelled slurp ends without a
// file. Wayland gives clients no generic way to pick another application's
// window, so the window mode selects a rectangle too.
//
// One monitor is one output, `grim -o NAME`, at that output's own scale.
// Which outputs there are, where they sit and which has the focus comes from
// `swaymsg -t get_outputs` (JSON, and the only listing that tells which
// output is current, since a Wayland client cannot see the pointer); without
// swaymsg, from the screens Qt knows, which number and name the outputs but
// cannot say which is current.
class GrimCaptureBackend : public CaptureBackend
{
    Q_OBJECT

  public:
    GrimCaptureBackend(QString grim, QString slurp, QObject* parent = nullptr);
    ~GrimCaptureBackend() override;

    QString name() const override { return QStringLiteral("grim"); }
    void capture(CaptureMode mode, const QString& path, Done done) override;
    void captureMonitor(const MonitorChoice& choice, const QString& path, Done done) override;

  private:
    void grab(const QStringList& arguments, const QString& path, const Done& done);

    QString m_grim;
    QString m_slurp;
};

} // namespace lustrelab
