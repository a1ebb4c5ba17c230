#pragma once

#include "model/document.h"
#include "model/screenshot_tab.h"

#include <QHash>
#include <QList>
#include <QObject>
#include <QString>
#include <QThreadPool>
#include <QTimer>
#include <QUuid>

namespace lustrelab {

class AppState;
class ProjectStorage;

// Keeps the open tabs on disk while the window runs, so that a crash, a kill
// or a logout loses none of them: a short while after the tabs last changed,
// every tab's document (as a project file), the tabs' order, names, files and
// modified marks and the current tab are written to the session folder, on
// a worker thread. A clean quit clears the folder; a start that finds it
// filled puts its tabs back. The undo history is not kept.
//
// The folder holds session.json,
//   {"format": 1, "current": 1, "tabs": [{"id": "{...}", "name": "...",
//    "project": "<id>.lustrelab", "filePath": "...", "modified": true}, ...]}
// and one project per tab; a tab's project is written again only when its
// document changed.
class SessionStore : public QObject
{
    Q_OBJECT

  public:
    static constexpr int quietMs = 1000; // after the last change, then written

    // The standard folder: $XDG_STATE_HOME/lustrelab/session
    // (~/.local/state/lustrelab/session by default).
    static QString defaultFolder();

    // Both must outlive the store; the storage is used on the worker.
    SessionStore(AppState& state, const ProjectStorage& storage, QString folder = defaultFolder(),
                 QObject* parent = nullptr);
    // A write under way is finished, so the folder is never left half written.
    ~SessionStore() override;

    // Starts following the tabs.
    void follow();
    // Reads what an earlier session left, on the worker, and puts its tabs
    // back into the state; restored() reports how many. Nothing left: 0.
    void restore();
    // After a clean quit: stops following, waits for a write under way and
    // empties the folder, so that the next start restores nothing.
    void clear();
    // At a logout or a termination signal, when the process is about to end:
    // what the tabs hold now is on disk when this returns, whether or not the
    // quiet time after the last change has passed. Written on this thread.
    void flush();
    bool isWriting() const { return m_writing; }

    struct Saved
    {
        QList<ScreenshotTab> tabs;
        qsizetype current = 0;
        QString error; // why nothing (or not everything) could be read
    };
    // What the folder holds (any thread).
    static Saved read(const QString& folder, const ProjectStorage& storage);

  signals:
    void restored(int tabs);
    // After each write; an empty error means the folder is up to date.
    void written(const QString& error);

  private:
    struct Pending; // what one write puts on disk
    void changed();
    void write();
    Pending pending() const;

    AppState& m_state;
    const ProjectStorage& m_storage;
    QString m_folder;
    QTimer m_quiet;
    bool m_following = false;
    bool m_writing = false;
    bool m_again = false;             // changed while a write was under way
    QHash<QUuid, Document> m_written; // each tab's document as its project holds it
    QThreadPool m_worker;             // one thread: writes never overlap
};

} // namespace lustrelab
