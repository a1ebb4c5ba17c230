#include "file_commands.h"

#include "file_dialogs.h"
#include "model/id_lookup.h"
#include "state/app_state.h"
#include "state/file_opener.h"
#include "state/project_saver.h"
#include "state/project_storage.h"
#include "state/recent_files.h"

#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QMenu>
#include <QMimeDatabase>
#include <QStandardPaths>

namespace lustrelab {

namespace {

const QString projectSuffix = QStringLiteral("lustrelab");
const QString projectMime = QStringLiteral("application/x-lustrelab-project");

// A file name from a tab's name: an image's suffix goes, and characters that
// file managers and shells make awkward become dashes.
QString fileNameFor(const QString& tabName)
{
    QString base = QFileInfo(tabName).suffix() == projectSuffix ? QFileInfo(tabName).completeBaseName()
                   : QFileInfo(tabName).suffix().isEmpty()      ? tabName
                                                                : QFileInfo(tabName).completeBaseName();
    base.replace(QLatin1Char('/'), QLatin1Char('-')).replace(QLatin1Char(':'), QLatin1Char('-'));
    if (base.trimmed().isEmpty())
        base = QStringLiteral("Screenshot");
    return base + QLatin1Char('.') + projectSuffix;
}

} // namespace

FileCommands::FileCommands(AppState& state, QWidget& window, FileDialogs& dialogs,
                           const ProjectStorage* storage, QObject* parent)
    : QObject(parent), m_state(state), m_window(window), m_dialogs(dialogs), m_storage(storage),
      m_recent(std::make_unique<RecentFiles>(state.preferences())),
      m_opener(std::make_unique<FileOpener>(state, storage))
{
    if (storage) {
        m_saver = std::make_unique<ProjectSaver>(state, *storage);
        connect(m_saver.get(), &ProjectSaver::finished, this, &FileCommands::saveFinished);
    }
    connect(m_opener.get(), &FileOpener::opened, this, [this](const QString& path, bool project) {
        m_askedToOpen.removeAll(path);
        m_recent->add(path, project ? projectMime : QMimeDatabase().mimeTypeForFile(path).name());
    });
    connect(m_opener.get(), &FileOpener::failed, this, [this](const QString& path, const QString& error) {
        if (m_askedToOpen.removeAll(path) > 0)
            m_dialogs.showError(&m_window, tr("Could Not Open"),
                                tr("%1 could not be opened: %2").arg(QFileInfo(path).fileName(), error));
    });
    connect(&m_state, &AppState::tabsChanged, this, &FileCommands::updateEnabled);
    connect(&m_state, &AppState::currentTabIdChanged, this, &FileCommands::updateEnabled);
}

FileCommands::~FileCommands() = default;

void FileCommands::addTo(QMenu& file, QAction* openBefore, QAction* saveBefore)
{
    m_open = new QAction(tr("Open..."), &file);
    m_open->setObjectName(QStringLiteral("open"));
    m_open->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
    file.insertAction(openBefore, m_open);
    m_recentMenu = new QMenu(tr("Open Recent"), &file);
    m_recentMenu->setObjectName(QStringLiteral("openRecent"));
    file.insertMenu(openBefore, m_recentMenu);
    file.insertSeparator(openBefore);
    m_save = new QAction(tr("Save Project"), &file);
    m_save->setObjectName(QStringLiteral("saveProject"));
    m_save->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
    m_saveAs = new QAction(tr("Save Project As..."), &file);
    m_saveAs->setObjectName(QStringLiteral("saveProjectAs"));
    m_saveAs->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S));
    file.insertAction(saveBefore, m_save);
    file.insertAction(saveBefore, m_saveAs);
    connect(m_open, &QAction::triggered, this, &FileCommands::open);
    connect(m_save, &QAction::triggered, this, &FileCommands::save);
    connect(m_saveAs, &QAction::triggered, this, &FileCommands::saveAs);
    connect(m_recentMenu, &QMenu::aboutToShow, this, &FileCommands::fillRecentMenu);
    connect(m_recent.get(), &RecentFiles::changed, this, &FileCommands::fillRecentMenu);
    fillRecentMenu();
    updateEnabled();
}

void FileCommands::updateEnabled()
{
    const ScreenshotTab* tab = m_state.currentTab();
    const bool savable = m_saver && tab && tab->hasImage();
    if (m_save)
        m_save->setEnabled(savable);
    if (m_saveAs)
        m_saveAs->setEnabled(savable);
}

void FileCommands::fillRecentMenu()
{
    if (!m_recentMenu)
        return;
    m_recentMenu->clear();
    const QStringList files = m_recent->files();
    for (int i = 0; i < files.size(); ++i) {
        // Numbered, so that the keyboard reaches each with one key.
        QAction* action = m_recentMenu->addAction(
            QStringLiteral("&%1 %2").arg(i + 1 == 10 ? 0 : i + 1).arg(QFileInfo(files[i]).fileName()));
        action->setToolTip(files[i]);
        action->setData(files[i]);
        connect(action, &QAction::triggered, this, [this, path = files[i]] { openFiles({path}, true); });
    }
    if (files.isEmpty()) {
        m_recentMenu->addAction(tr("No Recent Files"))->setEnabled(false);
        return;
    }
    m_recentMenu->addSeparator();
    connect(m_recentMenu->addAction(tr("Clear Menu")), &QAction::triggered, m_recent.get(),
            &RecentFiles::clear);
}

QString FileCommands::lastFolder() const
{
    const QStringList files = m_recent->files();
    if (!files.isEmpty())
        return QFileInfo(files.first()).absolutePath();
    return QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
}

QString FileCommands::proposedPath(const QUuid& id) const
{
    const ScreenshotTab* tab = recordWithId(m_state.tabs(), id);
    if (!tab)
        return {};
    if (!tab->filePath.isEmpty())
        return tab->filePath;
    return QDir(lastFolder()).filePath(fileNameFor(tab->name));
}

void FileCommands::openFiles(const QStringList& paths, bool interactive)
{
    if (interactive)
        for (const QString& path : paths)
            m_askedToOpen.append(QFileInfo(path).absoluteFilePath());
    m_opener->open(paths);
}

void FileCommands::open()
{
    const QStringList paths = m_dialogs.filesToOpen(&m_window, lastFolder());
    if (!paths.isEmpty())
        openFiles(paths, true);
}

void FileCommands::save()
{
    if (const std::optional<QUuid> id = m_state.currentTabId())
        saveTab(*id, false);
}

void FileCommands::saveAs()
{
    if (const std::optional<QUuid> id = m_state.currentTabId())
        saveTab(*id, true);
}

bool FileCommands::saveTab(const QUuid& id, bool askForName)
{
    const ScreenshotTab* tab = recordWithId(m_state.tabs(), id);
    if (!m_saver || !tab || !tab->hasImage())
        return false;
    QString path = tab->filePath;
    if (askForName || path.isEmpty()) {
        path = m_dialogs.projectSavePath(&m_window, proposedPath(id));
        if (path.isEmpty())
            return false;
        // A project is known by its suffix: the file chooser does not always add it.
        if (QFileInfo(path).suffix() != projectSuffix)
            path += QLatin1Char('.') + projectSuffix;
    }
    m_saver->save(id, path);
    return true;
}

void FileCommands::saveFinished(const QUuid& id, const QString& path, const QString& error)
{
    const bool closeWaited = m_closeWhenSaved.remove(id);
    const bool quitWaited = m_quitWaitsFor.remove(id);
    if (!error.isEmpty()) {
        // Nothing closes over work that is not safely written.
        m_closeWhenSaved.clear();
        m_quitWaitsFor.clear();
        m_closeAnswered = false;
        m_dialogs.showError(&m_window, tr("Could Not Save"),
                            tr("%1 could not be saved: %2").arg(QFileInfo(path).fileName(), error));
        return;
    }
    m_recent->add(path, projectMime);
    if (closeWaited)
        m_state.closeTab(id);
    if (quitWaited && m_quitWaitsFor.isEmpty())
        emit readyToClose();
}

void FileCommands::closeTab(const QUuid& id)
{
    const ScreenshotTab* tab = recordWithId(m_state.tabs(), id);
    // The last tab is never closed: there is nothing to ask about.
    if (!tab || m_state.tabs().size() < 2)
        return;
    if (!tab->isModified()) {
        m_state.closeTab(id);
        return;
    }
    switch (m_dialogs.askToSave(&m_window, {tab->name})) {
    case FileDialogs::Answer::save:
        if (saveTab(id, false))
            m_closeWhenSaved.insert(id);
        break;
    case FileDialogs::Answer::discard:
        m_state.closeTab(id);
        break;
    case FileDialogs::Answer::cancel:
        break;
    }
}

bool FileCommands::mayCloseWindow()
{
    if (m_closeAnswered) {
        // Answered "Save" and waiting for the files; closes once they are in.
        if (!m_quitWaitsFor.isEmpty())
            return false;
        m_closeAnswered = false;
        return true;
    }
    QList<QUuid> modified;
    QStringList names;
    for (const ScreenshotTab& tab : m_state.tabs())
        if (tab.isModified()) {
            modified.append(tab.id);
            names.append(tab.name);
        }
    if (modified.isEmpty())
        return true;
    switch (m_dialogs.askToSave(&m_window, names)) {
    case FileDialogs::Answer::cancel:
        return false;
    case FileDialogs::Answer::discard:
        return true;
    case FileDialogs::Answer::save:
        break;
    }
    for (const QUuid& id : modified) {
        if (!saveTab(id, false)) {
            // A name the user declined to give: the window stays, and the
            // saves already asked for still finish.
            m_quitWaitsFor.clear();
            return false;
        }
        m_quitWaitsFor.insert(id);
    }
    m_closeAnswered = true;
    return false;
}

} // namespace lustrelab
