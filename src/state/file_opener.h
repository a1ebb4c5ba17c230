#pragma once

#include <QObject>
#include <QStringList>
#include <QThreadPool>

namespace lustrelab {

class AppState;
class ProjectStorage;

// Opens files in tabs: a project whole, in a tab named after its file; an
// image into the current tab while that is empty, else into a tab of its
// own. Files are read on a worker thread, one after another, so the tabs come
// in the order given however long each file takes. A project that is open
// already is brought forward rather than opened twice.
class FileOpener : public QObject
{
    Q_OBJECT

  public:
    // Without a storage, projects cannot be opened (and say so). Both must
    // outlive the opener; the storage is used on the worker.
    FileOpener(AppState& state, const ProjectStorage* storage, QObject* parent = nullptr);
    ~FileOpener() override;

    void open(const QStringList& paths);
    // True from an open() until its last file is in (or refused).
    bool isBusy() const { return m_busy; }

  signals:
    // A file now shown in a tab.
    void opened(const QString& path, bool project);
    // A file that did not open, and why (also said on standard error);
    // nothing changed for it.
    void failed(const QString& path, const QString& error);
    // After the last file of the paths asked for.
    void idle();

  private:
    void openNext();

    AppState& m_state;
    const ProjectStorage* m_storage;
    QStringList m_pending;
    bool m_busy = false;
    QThreadPool m_worker; // one thread: files come in the order given
};

} // namespace lustrelab
