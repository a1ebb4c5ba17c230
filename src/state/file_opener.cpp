#include "file_opener.h"

#include "app_state.h"
#include "base/run_then_deliver.h"
#include "io/image_decoder.h"
#include "project_storage.h"

#include <QFileInfo>
#include <QUrl>
#include <cstdio>

namespace lustrelab {

namespace {

// What the worker hands back for one file.
struct Loaded
{
    QString path;
    bool project = false;
    std::optional<Document> document; // a project's
    QImage image;                     // an image's
    QString error;
};

} // namespace

FileOpener::FileOpener(AppState& state, const ProjectStorage* storage, QObject* parent)
    : QObject(parent), m_state(state), m_storage(storage)
{
    m_worker.setMaxThreadCount(1);
}

FileOpener::~FileOpener()
{
    waitForPool(m_worker);
}

void FileOpener::open(const QStringList& paths)
{
    for (const QString& path : paths) {
        // Desktop launchers may hand over file URLs rather than paths.
        const QUrl url(path);
        m_pending.append(url.isLocalFile() ? url.toLocalFile() : path);
    }
    if (!m_busy && !m_pending.isEmpty())
        openNext();
}

void FileOpener::openNext()
{
    if (m_pending.isEmpty()) {
        m_busy = false;
        emit idle();
        return;
    }
    m_busy = true;
    const QString path = QFileInfo(m_pending.takeFirst()).absoluteFilePath();
    for (const ScreenshotTab& tab : m_state.tabs())
        if (!tab.filePath.isEmpty() && QFileInfo(tab.filePath) == QFileInfo(path)) {
            m_state.selectTab(tab.id);
            emit opened(path, true);
            openNext();
            return;
        }
    runThenDeliver(
        m_worker, this,
        [storage = m_storage, path] {
            Loaded loaded;
            loaded.path = path;
            if (storage && storage->isProject(path)) {
                loaded.project = true;
                ProjectStorage::Read read = storage->read(path);
                loaded.document = std::move(read.document);
                loaded.error = read.error;
            } else {
                ImageSource source;
                source.kind = ImageSource::Kind::file;
                source.filePath = path;
                loaded.image = decodeImage(source, &loaded.error);
            }
            return loaded;
        },
        [this](const Loaded& loaded) {
            const QString name = QFileInfo(loaded.path).fileName(); // the tab is named after its file
            if (loaded.project && loaded.document) {
                m_state.openDocument(*loaded.document, name, loaded.path);
                emit opened(loaded.path, true);
            } else if (!loaded.project && !loaded.image.isNull()) {
                m_state.loadImage(loaded.image, false, name);
                emit opened(loaded.path, false);
            } else {
                const QString error = loaded.error.isEmpty() ? QStringLiteral("unreadable") : loaded.error;
                // For the user's logs, as every input that is skipped.
                std::fputs(qPrintable(QStringLiteral("lustrelab: ignored %1: %2\n").arg(loaded.path, error)),
                           stderr);
                std::fflush(stderr);
                emit failed(loaded.path, error);
            }
            openNext();
        });
}

} // namespace lustrelab
