#pragma once

#include "io/export_service.h"

#include <QImage>
#include <QObject>
#include <QThreadPool>
#include <QUrl>
#include <optional>

namespace lustrelab {

// Writes composed images to local files, the window's on a worker thread. A
// large PNG at three times its size takes seconds to resample and encode; the
// window must stay responsive meanwhile, and its reports must come in the
// order the exports were asked for.
class ExportQueue : public QObject
{
    Q_OBJECT

  public:
    // The service is used on the worker too; it must outlive the queue.
    explicit ExportQueue(const ExportService& service, QObject* parent = nullptr);
    // An export under way is finished rather than lost; its report is dropped.
    ~ExportQueue() override;

    // Writes on the caller's thread. Nothing composed, a destination that is
    // not a local file and a write that failed silently are all failures
    // with a reason.
    ExportService::Result write(const std::optional<QImage>& image, const QUrl& destination,
                                ExportFormat format, double scale) const;
    // Returns at once; the write runs on the worker and finished() reports it
    // on this object's thread. Even an export that cannot start is reported
    // through the worker, so that reports keep the order of the requests.
    void enqueue(const std::optional<QImage>& image, const QUrl& destination, ExportFormat format,
                 double scale);

  signals:
    // An empty error means the file was written.
    void finished(const QUrl& destination, const QString& error);

  private:
    const ExportService& m_service;
    QThreadPool m_worker; // one thread: exports finish in the order asked
};

} // namespace lustrelab
