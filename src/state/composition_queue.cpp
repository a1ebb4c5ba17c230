#include "composition_queue.h"

#include "base/run_then_deliver.h"
#include "render/image_processor.h"

namespace lustrelab {

CompositionQueue::CompositionQueue(ImageProcessor& processor, QObject* parent)
    : QObject(parent), m_processor(processor), m_previewProcessor(std::make_unique<ImageProcessor>())
{
    m_worker.setMaxThreadCount(1);
}

CompositionQueue::~CompositionQueue()
{
    // The worker posts its result to this object: it must be done before the
    // object goes. Its posted result is dropped with the object.
    m_waiting.clear();
    waitForPool(m_worker);
}

void CompositionQueue::request(CompositionRequest request)
{
    const bool wasBusy = isBusy();
    std::erase_if(m_waiting,
                  [&](const CompositionRequest& waiting) { return waiting.tabId == request.tabId; });
    m_waiting.push_back(std::move(request));
    if (!wasBusy)
        emit busyChanged(true);
    if (!m_running)
        startNext();
}

void CompositionQueue::discard(const QUuid& tabId)
{
    const bool wasBusy = isBusy();
    std::erase_if(m_waiting, [&](const CompositionRequest& waiting) { return waiting.tabId == tabId; });
    if (m_running && m_running->tabId == tabId)
        m_running->deliver = false;
    if (wasBusy && !isBusy())
        emit busyChanged(false);
}

void CompositionQueue::startNext()
{
    if (m_waiting.empty())
        return;
    m_running = Running{m_waiting.front().tabId};
    runThenDeliver(
        m_worker, this,
        [this, request = std::move(m_waiting.front())] {
            const Document& document = request.document;
            ImageProcessor& processor = request.shownPixels.isEmpty() ? m_processor : *m_previewProcessor;
            // A full composition ends the gesture: the next one starts its
            // sequence of sizes afresh.
            if (request.shownPixels.isEmpty())
                m_previewProcessor->sourceForDisplay(document.screenshot, document.settings,
                                                     document.annotations.crop, {});
            const QImage source = processor.sourceForDisplay(document.screenshot, document.settings,
                                                             document.annotations.crop, request.shownPixels);
            const bool reduced = source.cacheKey() != document.screenshot.cacheKey();
            // A canvas with room for the whole image gets the full composition.
            ImageProcessor& composer = reduced ? processor : m_processor;
            QImage image = composer.process(source, document.settings, document.annotations);
            return Result{std::move(image), composer.lastChange(), reduced};
        },
        [this](const Result& result) { finish(result); });
    m_waiting.pop_front();
}

void CompositionQueue::finish(const Result& result)
{
    const Running done = *m_running;
    m_running.reset();
    // The next one starts before this result is handed out, so the worker is
    // not idle while the model and the views take it in.
    startNext();
    if (done.deliver)
        emit composed(done.tabId, result.image, result.change, result.reduced);
    if (!isBusy())
        emit busyChanged(false);
}

} // namespace lustrelab
