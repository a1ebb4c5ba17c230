#include "project_saver.h"

#include "app_state.h"
#include "base/run_then_deliver.h"
#include "model/id_lookup.h"
#include "project_storage.h"

namespace lustrelab {

ProjectSaver::ProjectSaver(AppState& state, const ProjectStorage& storage, QObject* parent)
    : QObject(parent), m_state(state), m_storage(storage)
{
    m_worker.setMaxThreadCount(1);
}

ProjectSaver::~ProjectSaver()
{
    waitForPool(m_worker);
}

void ProjectSaver::save(const QUuid& tabId, const QString& path)
{
    const ScreenshotTab* tab = recordWithId(m_state.tabs(), tabId);
    if (!tab || !tab->hasImage()) {
        QMetaObject::invokeMethod(
            this, [this, tabId, path] { emit finished(tabId, path, tr("There is no image to save.")); },
            Qt::QueuedConnection);
        return;
    }
    // Copies: the worker never reads the model, which belongs to this thread.
    const Document document = tab->document;
    const QImage styled = tab->processedImage.value_or(QImage());
    ++m_pending;
    runThenDeliver(
        m_worker, this,
        [&storage = m_storage, path, document, styled] { return storage.write(path, document, styled); },
        [this, tabId, path, document](const QString& error) {
            --m_pending;
            if (error.isEmpty())
                m_state.markSaved(tabId, path, document);
            emit finished(tabId, path, error);
        });
}

} // namespace lustrelab
