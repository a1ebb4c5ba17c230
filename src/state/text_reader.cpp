#include "text_reader.h"

#include "base/run_then_deliver.h"
#include "io/text_recognizer.h"

namespace lustrelab {

namespace {

struct Reading
{
    std::optional<RecognizedText> text;
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

bool TextReader::start(const QImage& image, const QString& language)
{
    if (m_busy || image.isNull())
        return false;
    m_busy = true;
    emit busyChanged(true);
    runThenDeliver(
        m_worker, this,
        [image, language] {
            Reading reading;
            reading.size = image.size();
            reading.text = TextRecognizer::recognize(image, language, &reading.error);
            return reading;
        },
        [this](const Reading& reading) {
            m_busy = false;
            emit busyChanged(false);
            if (reading.text)
                emit done(*reading.text, reading.size);
            else
                emit failed(reading.error);
        });
    return true;
}

} // namespace lustrelab
