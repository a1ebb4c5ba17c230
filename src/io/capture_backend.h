#pragma once

#include "capture_mode.h"
#include "monitor_choice.h"

#include <QImage>
#include <QObject>
#include <QString>
#include <functional>
#include <type_traits>
#include <utility>

namespace lustrelab {

// How a backend ends one capture. Called like a function with the launch
// error (empty when the tool ran, whatever it produced), as every tool that
// writes a file does; a backend that reads the pixels itself hands them over
// with withPixels() instead, and no file is involved. Either ends the capture.
class CaptureDone
{
  public:
    using Ended = std::function<void(const QString& launchError)>;
    using Pixels = std::function<void(QImage pixels)>;
    using Ratio = std::function<void(double ratio)>;

    CaptureDone() = default;
    // Any callable taking the launch error; pixels handed to such a receiver
    // end the capture as if the tool had written nothing.
    template <typename F, typename = std::enable_if_t<!std::is_same_v<std::decay_t<F>, CaptureDone> &&
                                                      std::is_invocable_v<F&, const QString&>>>
    CaptureDone(F ended) : m_ended(std::move(ended))
    {
    }
    CaptureDone(Ended ended, Pixels pixels, Ratio ratio = {})
        : m_ended(std::move(ended)), m_pixels(std::move(pixels)), m_ratio(std::move(ratio))
    {
    }

    void operator()(const QString& launchError) const
    {
        if (m_ended)
            m_ended(launchError);
    }
    void withPixels(QImage pixels) const
    {
        if (m_pixels)
            m_pixels(std::move(pixels));
        else
            (*this)(QString());
    }
    // A backend that took one monitor says, before it ends, how many device
    // pixels that monitor shows per logical pixel; without it the capture
    // takes the primary screen's ratio.
    void setRatio(double ratio) const
    {
        if (m_ratio)
            m_ratio(ratio);
    }

  private:
    Ended m_ended;
    Pixels m_pixels;
    Ratio m_ratio;
};

// One way of taking a screenshot on this desktop. Every backend keeps the same
// contract, whatever tool or service does the work:
//
//   capture(mode, path, done) leaves a PNG at `path`, or no file at all when
//   the user cancelled, and then calls `done` once on the backend's thread:
//   with an empty string when the tool ran (whatever it produced), or with the
//   reason when it could not be started. A backend that grabs the pixels
//   itself calls done.withPixels(image) and writes no file.
//
// capture() returns at once; the event loop keeps running while the user
// selects. Several captures may be in flight.
class CaptureBackend : public QObject
{
    Q_OBJECT

  public:
    using Done = CaptureDone;

    using QObject::QObject;

    // Short name, as LUSTRELAB_CAPTURE_BACKEND spells it.
    virtual QString name() const = 0;
    virtual void capture(CaptureMode mode, const QString& path, Done done) = 0;
    // One monitor, by the same contract. "all" is the full screen; a backend
    // that cannot tell monitors apart refuses any other choice with a line
    // saying so.
    virtual void captureMonitor(const MonitorChoice& choice, const QString& path, Done done);
};

} // namespace lustrelab
