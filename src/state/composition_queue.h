#pragma once

#include "model/document.h"
#include "model/image_change.h"

#include <QImage>
#include <QList>
#include <QObject>
#include <QThreadPool>
#include <QUuid>
#include <deque>
#include <memory>
#include <optional>

namespace lustrelab {

class ImageProcessor;

// Everything one composition reads, copied when it is asked for: the worker
// never looks at the model, which belongs to the UI thread.
struct CompositionRequest
{
    QUuid tabId;
    Document document; // its screenshot is not null
    // While a gesture is in progress: the device pixels the result is shown
    // in, so that it may be composed at about that size. Empty: full
    // resolution.
    QSize shownPixels;
};

// Composes tabs on a worker thread, one composition at a time, and hands each
// result back on the owner's thread in the order the requests were made.
//
// A drag asks for a composition on every pointer step, faster than a large
// screenshot composes. So that the picture keeps up with the pointer, a request
// replaces the one still waiting for the same tab (the newest settings and
// annotations win) instead of queueing behind it; a composition already
// running is finished and delivered first. Requests for other tabs keep their
// place.
//
// Compositions for the shown pixels are made by a processor of the queue's
// own, so that the full-resolution one keeps its layers through a gesture:
// the full composition that follows a shape's move then redraws only the
// annotations, and the next gesture finds its reduced layers where it left
// them.
class CompositionQueue : public QObject
{
    Q_OBJECT

  public:
    // The processor is used by the worker only, and only while a composition
    // runs; it must outlive the queue.
    explicit CompositionQueue(ImageProcessor& processor, QObject* parent = nullptr);
    // Waits for the running composition; waiting ones are dropped.
    ~CompositionQueue() override;

    void request(CompositionRequest request);
    // Forgets what was asked for this tab: waiting requests are dropped and a
    // running one is not delivered.
    void discard(const QUuid& tabId);
    // True from a request until the last result has been delivered.
    bool isBusy() const { return m_running.has_value() || !m_waiting.empty(); }

  signals:
    // One per request that was not replaced or discarded, in request order;
    // `change` relates the image to the one delivered before it, if it can.
    // `reduced`: composed below full resolution, for the shown pixels asked for.
    void composed(const QUuid& tabId, const QImage& image, const std::optional<ImageChange>& change,
                  bool reduced);
    // After the last composed() of a busy spell, and when a request starts one.
    void busyChanged(bool busy);

  private:
    void startNext();
    struct Result
    {
        QImage image;
        std::optional<ImageChange> change;
        bool reduced = false;
    };
    void finish(const Result& result);

    struct Running
    {
        QUuid tabId;
        bool deliver = true;
    };

    ImageProcessor& m_processor;
    std::unique_ptr<ImageProcessor> m_previewProcessor; // used by the worker only
    std::deque<CompositionRequest> m_waiting;
    std::optional<Running> m_running;
    QThreadPool m_worker; // one thread: compositions share the processor's kept layers
};

} // namespace lustrelab
