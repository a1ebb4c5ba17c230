#include "export_queue.h"

#include "base/run_then_deliver.h"

namespace lustrelab {

ExportQueue::ExportQueue(const ExportService& service, QObject* parent) : QObject(parent), m_service(service)
{
    m_worker.setMaxThreadCount(1);
}

ExportQueue::~ExportQueue()
{
    waitForPool(m_worker);
}

ExportService::Result ExportQueue::write(const std::optional<QImage>& image, const QUrl& destination,
                                         ExportFormat format, double scale) const
{
    if (!image)
        return {false, QStringLiteral("nothing composed to export")};
    if (!destination.isLocalFile())
        return {false, QStringLiteral("not a local file: %1").arg(destination.toString())};
    ExportService::Result result = m_service.saveToFile(*image, destination.toLocalFile(), format, scale);
    if (!result.written && result.error.isEmpty())
        result.error = QStringLiteral("the file was not written");
    return result;
}

void ExportQueue::enqueue(const std::optional<QImage>& image, const QUrl& destination, ExportFormat format,
                          double scale)
{
    runThenDeliver(
        m_worker, this,
        [this, image, destination, format, scale] {
            const ExportService::Result result = write(image, destination, format, scale);
            return result.written ? QString() : result.error;
        },
        [this, destination](const QString& error) { emit finished(destination, error); });
}

} // namespace lustrelab
