#include "session_store.h"

#include "app_state.h"
#include "base/run_then_deliver.h"
#include "io/json_file.h"
#include "model/uuid_text.h"
#include "project_storage.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>
#include <QStandardPaths>

namespace lustrelab {

namespace {

constexpr int sessionFormat = 1;
const QString indexName = QStringLiteral("session.json");

// One tab as the worker writes it.
struct TabRecord
{
    QUuid id;
    QString name;
    QString filePath;
    bool modified = false;
    std::optional<Document> document; // none: its project is up to date
    QImage styled;
};

QString projectName(const QUuid& id)
{
    return id.toString(QUuid::WithoutBraces) + QStringLiteral(".lustrelab");
}

// Writes the changed projects, then the index, then removes the projects of
// tabs that are gone. The index names only projects that are written, so a
// kill at any moment leaves a folder that reads.
QString writeSession(const QString& folder, const ProjectStorage& storage, const QList<TabRecord>& tabs,
                     qsizetype current)
{
    if (!QDir().mkpath(folder))
        return QStringLiteral("cannot make %1").arg(folder);
    const QDir dir(folder);
    QJsonArray list;
    QStringList kept;
    for (const TabRecord& tab : tabs) {
        const QString file = projectName(tab.id);
        if (tab.document) {
            if (const QString error = storage.write(dir.filePath(file), *tab.document, tab.styled);
                !error.isEmpty())
                return error;
        }
        kept.append(file);
        list.append(QJsonObject{{"id", uuidText(tab.id)},
                                {"name", tab.name},
                                {"project", file},
                                {"filePath", tab.filePath},
                                {"modified", tab.modified}});
    }
    const QByteArray index =
        QJsonDocument(QJsonObject{{"format", sessionFormat}, {"current", qint64(current)}, {"tabs", list}})
            .toJson(QJsonDocument::Compact);
    QSaveFile out(dir.filePath(indexName));
    if (!out.open(QIODevice::WriteOnly) || out.write(index) != index.size() || !out.commit())
        return out.errorString();
    for (const QString& stale : dir.entryList({QStringLiteral("*.lustrelab")}, QDir::Files))
        if (!kept.contains(stale))
            QFile::remove(dir.filePath(stale));
    return {};
}

} // namespace

QString SessionStore::defaultFolder()
{
    // Qt 6.4 has no state location: the XDG rule, spelled out.
    QString state = qEnvironmentVariable("XDG_STATE_HOME");
    if (state.isEmpty() || !QDir::isAbsolutePath(state))
        state = QDir::home().filePath(QStringLiteral(".local/state"));
    return QDir(state).filePath(QStringLiteral("lustrelab/session"));
}

SessionStore::SessionStore(AppState& state, const ProjectStorage& storage, QString folder, QObject* parent)
    : QObject(parent), m_state(state), m_storage(storage), m_folder(std::move(folder))
{
    m_worker.setMaxThreadCount(1);
    m_quiet.setSingleShot(true);
    m_quiet.setInterval(quietMs);
    connect(&m_quiet, &QTimer::timeout, this, &SessionStore::write);
}

SessionStore::~SessionStore()
{
    waitForPool(m_worker);
}

void SessionStore::follow()
{
    if (m_following)
        return;
    m_following = true;
    connect(&m_state, &AppState::tabsChanged, this, &SessionStore::changed);
    connect(&m_state, &AppState::currentTabIdChanged, this, &SessionStore::changed);
    connect(&m_state, &AppState::settingsChanged, this, &SessionStore::changed);
}

void SessionStore::changed()
{
    if (m_following)
        m_quiet.start();
}

// Copies for the worker: documents share their pixels, so this is cheap.
struct SessionStore::Pending
{
    QList<TabRecord> tabs;
    QHash<QUuid, Document> documents; // as the write leaves them
    qsizetype current = 0;
};

SessionStore::Pending SessionStore::pending() const
{
    Pending pending;
    for (const ScreenshotTab& tab : m_state.tabs()) {
        if (!tab.hasImage())
            continue; // an empty tab has nothing to lose
        if (tab.id == m_state.currentTabId())
            pending.current = pending.tabs.size();
        TabRecord record;
        record.id = tab.id;
        record.name = tab.name;
        record.filePath = tab.filePath;
        record.modified = tab.isModified();
        const auto before = m_written.constFind(tab.id);
        if (before == m_written.cend() || !sameDocument(*before, tab.document)) {
            record.document = tab.document;
            record.styled = tab.processedImage.value_or(QImage());
        }
        pending.documents.insert(tab.id, tab.document);
        pending.tabs.append(std::move(record));
    }
    return pending;
}

void SessionStore::write()
{
    if (!m_following)
        return;
    if (m_writing) {
        m_again = true;
        return;
    }
    Pending next = pending();
    m_writing = true;
    runThenDeliver(
        m_worker, this,
        [folder = m_folder, &storage = m_storage, tabs = std::move(next.tabs), current = next.current] {
            return writeSession(folder, storage, tabs, current);
        },
        [this, documents = std::move(next.documents)](const QString& error) {
            m_writing = false;
            // After a failure every project is written again next time.
            m_written = error.isEmpty() ? documents : QHash<QUuid, Document>();
            emit written(error);
            if (std::exchange(m_again, false))
                write();
        });
}

void SessionStore::flush()
{
    if (!m_following)
        return;
    m_quiet.stop();
    // A write under way may hold an older state: it finishes first, then the
    // present one overwrites it. Its delivery, still queued, can only mark
    // documents as unwritten, which costs a write, never a tab.
    waitForPool(m_worker);
    const Pending now = pending();
    const QString error = writeSession(m_folder, m_storage, now.tabs, now.current);
    m_written = error.isEmpty() ? now.documents : QHash<QUuid, Document>();
    emit written(error);
}

SessionStore::Saved SessionStore::read(const QString& folder, const ProjectStorage& storage)
{
    Saved saved;
    const QDir dir(folder);
    const QString indexPath = dir.filePath(indexName);
    if (!QFile::exists(indexPath))
        return saved;
    const std::optional<QByteArray> bytes = readFileBytes(indexPath, jsonFileLimit, &saved.error);
    if (!bytes)
        return saved;
    // Read leniently, unlike the other files: whatever a crash left, every
    // tab that can come back does, so that its project is not taken for stale.
    QJsonParseError parseError;
    const QJsonObject index = QJsonDocument::fromJson(*bytes, &parseError).object();
    if (parseError.error != QJsonParseError::NoError || index.value("format").toInt() != sessionFormat) {
        saved.error = QStringLiteral("%1 cannot be read").arg(indexPath);
        return saved;
    }
    const QJsonArray tabs = index.value("tabs").toArray();
    const qsizetype current = index.value("current").toInteger();
    for (qsizetype i = 0; i < tabs.size(); ++i) {
        const QJsonObject entry = tabs[i].toObject();
        // Only names this store writes: never a path out of the folder.
        const QString project = QFileInfo(entry.value("project").toString()).fileName();
        ProjectStorage::Read read = storage.read(dir.filePath(project));
        if (!read.document) {
            saved.error = read.error; // the others still come back
            continue;
        }
        if (i == current)
            saved.current = saved.tabs.size();
        ScreenshotTab tab;
        if (const std::optional<QUuid> id = uuidFromText(entry.value("id").toString()))
            tab.id = *id;
        tab.name = entry.value("name").toString();
        tab.filePath = entry.value("filePath").toString();
        tab.document = std::move(*read.document);
        tab.document.screenshot.setDevicePixelRatio(tab.document.devicePixelRatio);
        if (!entry.value("modified").toBool(true))
            tab.savedDocument = tab.document;
        saved.tabs.append(std::move(tab));
    }
    return saved;
}

void SessionStore::restore()
{
    runThenDeliver(
        m_worker, this, [folder = m_folder, &storage = m_storage] { return read(folder, storage); },
        [this](const Saved& saved) {
            m_state.restoreTabs(saved.tabs, saved.current);
            // What was read is on disk already.
            for (const ScreenshotTab& tab : saved.tabs)
                m_written.insert(tab.id, tab.document);
            emit restored(int(saved.tabs.size()));
        });
}

void SessionStore::clear()
{
    m_following = false;
    m_quiet.stop();
    disconnect(&m_state, nullptr, this, nullptr);
    waitForPool(m_worker);
    QDir(m_folder).removeRecursively();
    m_written.clear();
}

} // namespace lustrelab
