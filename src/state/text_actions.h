#pragma once

#include "model/shape_overlay.h"
#include "model/unit_geometry.h"
#include "text_reader.h"

#include <QObject>
#include <QUuid>
#include <optional>

namespace lustrelab {

class AppState;

// "Copy Text" and "Redact Sensitive": the current tab's composed image is
// read on a worker (so what is found lines up with the canvas, annotations
// and all), then its text goes to the clipboard, or its secrets get redact
// boxes, all in one undo step. One reading runs at a time; asking again
// meanwhile is answered with a message, not queued. The language and the
// shape of the boxes are the user's preferences, read afresh each time.
class TextActions : public QObject
{
    Q_OBJECT

  public:
    explicit TextActions(AppState& state, QObject* parent = nullptr);

    bool isBusy() const { return m_reader.isBusy(); }
    // What the last redaction found ("2 email addresses, 1 IPv4 address"), or empty.
    QString summary() const { return m_summary; }

    // The text of `area` of the canvas (all of it without one).
    void copyText(std::optional<UnitRect> area = std::nullopt);
    void redactSensitive();

    // "2 email addresses, 1 IPv4 address" for what was found; "nothing" for none.
    static QString describe(const QList<SensitiveRegion>& regions);
    // The answer's sentence about words the reader was unsure of, so that
    // the user knows to look; empty when it was sure of every word.
    static QString unsureNote(int unsureWords);
    // The boxes covering `regions` of an image of `imageSize` pixels, as
    // shapes of `style` (one of PreferencesStore::redactionStyle's).
    static QList<ShapeOverlay> redactBoxes(const QList<SensitiveRegion>& regions, QSize imageSize,
                                           ShapeType style = ShapeType::redact);

  signals:
    void busyChanged(bool busy);
    void summaryChanged(const QString& summary);
    // A line for the user: what was copied or found, or why nothing was.
    void message(const QString& text);

  private:
    enum class Purpose { copy, redact };
    bool start(const QImage& image, Purpose purpose);
    void finish(const SensitiveReading& reading, QSize imageSize);

    AppState& m_state;
    TextReader m_reader;
    Purpose m_purpose = Purpose::copy;
    std::optional<QUuid> m_tabId; // the tab that asked
    QString m_summary;
};

} // namespace lustrelab
