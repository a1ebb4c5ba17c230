#pragma once

#include <QObject>
#include <QSet>
#include <QUuid>
#include <memory>

class QAction;
class QMenu;
class QWidget;

namespace lustrelab {

class AppState;
class FileDialogs;
class FileOpener;
class ProjectSaver;
class ProjectStorage;
class RecentFiles;

// The File menu's project commands and what closing asks: "Open..." (images
// and projects, several at once, each in a tab), "Open Recent", "Save
// Project" (names the file the first time) and "Save Project As...".
// Closing a tab, or the window, with unsaved changes asks "Save", "Don't
// Save" or "Cancel" first; "Save" closes once the files are written and
// cancels the close when one cannot be.
class FileCommands : public QObject
{
    Q_OBJECT

  public:
    // The window is the parent of the dialogs. Without a storage, projects
    // can be neither saved nor opened (their commands are disabled); the
    // dialogs and the storage must outlive this object.
    FileCommands(AppState& state, QWidget& window, FileDialogs& dialogs, const ProjectStorage* storage,
                 QObject* parent = nullptr);
    ~FileCommands() override;

    // Puts Open... and Open Recent before `openBefore`, the two saves before
    // `saveBefore`, both in `file`.
    void addTo(QMenu& file, QAction* openBefore, QAction* saveBefore);

    // `interactive`: asked for in the window, so a file that does not open
    // is reported in a message box rather than only on standard error.
    void openFiles(const QStringList& paths, bool interactive = false);
    void closeTab(const QUuid& id);
    // True when the window may close now. Otherwise the user has been asked
    // (or the saves are still being written): readyToClose follows once
    // every file the answer asked for is written.
    bool mayCloseWindow();

    FileOpener& opener() { return *m_opener; }
    RecentFiles& recentFiles() { return *m_recent; }

  signals:
    void readyToClose();

  private:
    void save();
    void saveAs();
    void open();
    // To its file, or one the user names; false when the user cancelled.
    bool saveTab(const QUuid& id, bool askForName);
    void saveFinished(const QUuid& id, const QString& path, const QString& error);
    void fillRecentMenu();
    void updateEnabled();
    QString proposedPath(const QUuid& id) const;
    QString lastFolder() const;

    AppState& m_state;
    QWidget& m_window;
    FileDialogs& m_dialogs;
    const ProjectStorage* m_storage;
    std::unique_ptr<RecentFiles> m_recent;
    std::unique_ptr<FileOpener> m_opener;
    std::unique_ptr<ProjectSaver> m_saver; // none without a storage
    QAction* m_open = nullptr;
    QMenu* m_recentMenu = nullptr;
    QAction* m_save = nullptr;
    QAction* m_saveAs = nullptr;
    QStringList m_askedToOpen;    // files from the window's own Open: failures are shown
    QSet<QUuid> m_closeWhenSaved; // tabs whose close waits for their save
    QSet<QUuid> m_quitWaitsFor;   // tabs whose save a window close waits for
    bool m_closeAnswered = false; // the close's question is answered: close without asking
};

} // namespace lustrelab
