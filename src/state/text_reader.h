#pragma once

#include "io/text_redaction.h"

#include <QImage>
#include <QObject>
#include <QThreadPool>

namespace lustrelab {

// Reads the text of a composed image on a worker, one reading at a time,
// for the window's "Copy Text" and "Redact Sensitive". A request while one
// runs is refused (start returns false) rather than queued: the user asked
// once and sees the first answer.
class TextReader : public QObject
{
    Q_OBJECT

  public:
    explicit TextReader(QObject* parent = nullptr);
    ~TextReader() override;

    bool isBusy() const { return m_busy; }

    // Reads `image` in `language`, and with `findSecrets` looks for its
    // secrets the way the command line does; `done` or `failed` follows on
    // this object's thread.
    bool start(const QImage& image, const QString& language, bool findSecrets);

  signals:
    void busyChanged(bool busy);
    // `reading.regions` is empty unless secrets were looked for.
    void done(const lustrelab::SensitiveReading& reading, QSize imageSize);
    void failed(const QString& reason);

  private:
    QThreadPool m_worker;
    bool m_busy = false;
};

} // namespace lustrelab
