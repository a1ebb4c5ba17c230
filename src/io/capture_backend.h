#pragma once

#include "capture_mode.h"

#include <QObject>
#include <QString>
#include <functional>

namespace lustrelab {

// One way of taking a screenshot on this desktop. Every backend keeps the same
// contract, whatever tool or service does the work:
//
//   capture(mode, path, done) leaves a PNG at `path`, or no file at all when
//   the user cancelled, and then calls `done` once on the backend's thread:
//   with an empty string when the tool ran (whatever it produced), or with the
//   reason when it could not be started.
//
// capture() returns at once; the event loop keeps running while the user
// selects. Several captures may be in flight.
class CaptureBackend : public QObject
{
    Q_OBJECT

  public:
    using Done = std::function<void(const QString& launchError)>;

    using QObject::QObject;

    // Short name, as LUSTRELAB_CAPTURE_BACKEND spells it.
    virtual QString name() const = 0;
    virtual void capture(CaptureMode mode, const QString& path, Done done) = 0;
};

} // namespace lustrelab
