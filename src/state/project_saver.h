#pragma once

#include "model/document.h"

#include <QObject>
#include <QThreadPool>
#include <QUuid>

namespace lustrelab {

class AppState;
class ProjectStorage;

// Saves tabs as project files on a worker thread: encoding a large
// screenshot takes far longer than the window may stand still. A tab is
// marked saved (AppState::markSaved) once its file is written, as of the
// moment it was asked for, so an edit made while it was being written still
// counts as unsaved.
class ProjectSaver : public QObject
{
    Q_OBJECT

  public:
    // Both must outlive the saver; the storage is used on the worker.
    ProjectSaver(AppState& state, const ProjectStorage& storage, QObject* parent = nullptr);
    // A save under way is finished rather than lost; its report is dropped.
    ~ProjectSaver() override;

    // Writes the tab's document as it is now to `path`; finished() reports it
    // on this object's thread, in the order asked. A tab without an image, or
    // none with that id, is reported as a failure at once.
    void save(const QUuid& tabId, const QString& path);
    // True from a save() until its report.
    bool isBusy() const { return m_pending > 0; }

  signals:
    // An empty error means the file was written.
    void finished(const QUuid& tabId, const QString& path, const QString& error);

  private:
    AppState& m_state;
    const ProjectStorage& m_storage;
    QThreadPool m_worker; // one thread: saves finish in the order asked
    int m_pending = 0;
};

} // namespace lustrelab
