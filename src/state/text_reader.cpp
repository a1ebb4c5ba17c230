#include "text_reader.h"

#include "base/run_then_deliver.h"
#include "io/text_recognizer.h"
#include "io/text_redaction.h"

namespace lustrelab {

namespace {

struct Reading
{
    std::optional<SensitiveReading> reading;
    QString error;
    QSize size;
};

} // namespace

TextReader::TextReader(QObject* parent) : QObject(parent)
{
    m_worker.setMaxThreadCount(1);
}

TextReader::~TextReader()
{
    waitForPool(m_worker);
}

bool TextReader::start(const QImage& image, const QString& language, bool findSecrets)
{
    if (m_busy || image.isNull())
        return false;
    m_busy = true;
    emit busyChanged(true);
    runThenDeliver(
        m_worker, this,
        [image, language, findSecrets] {
            Reading reading;
            reading.size = image.size();
            if (findSecrets) {
                reading.reading = findSensitiveText(image, language, &reading.error);
            } else if (std::optional<RecognizedText> text =
                           TextRecognizer::recognize(image, language, &reading.error)) {
                reading.reading = SensitiveReading{std::move(*text), {}};
            }
            return reading;
        },
        [this](const Reading& reading) {
            m_busy = false;
            emit busyChanged(false);
            if (reading.reading)
                emit done(*reading.reading, reading.size);
            else
                emit failed(reading.error);
        });
    return true;
}

} // namespace lustrelab
