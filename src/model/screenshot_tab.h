#pragma once

#include "document.h"
#include "image_change.h"

#include <QDateTime>
#include <QImage>
#include <QList>
#include <QString>
#include <QUuid>
#include <optional>

namespace lustrelab {

// One open document and what the window shows of it.
struct ScreenshotTab
{
    QUuid id = QUuid::createUuid();
    QString name;
    // The screenshot (null for an empty tab), its styling and its annotations.
    Document document;
    std::optional<QImage> processedImage; // absent until composed
    // How processedImage differs from the one it replaced; none when unknown.
    std::optional<ImageChange> processedChange;
    // While a gesture is in progress: a composition at about the canvas's
    // resolution, newer than processedImage and shown instead of it.
    std::optional<QImage> previewImage;
    // How previewImage differs from the preview it replaced; none when unknown.
    std::optional<ImageChange> previewChange;
    QDateTime createdAt = QDateTime::currentDateTime();
    // The project file the document was last saved to or opened from; empty
    // when it has none yet.
    QString filePath;
    // The document as that file holds it; none when the tab was never saved
    // (or when what the file holds is not known, after a restored session).
    std::optional<Document> savedDocument;

    bool hasImage() const { return !document.screenshot.isNull(); }
    const Annotations& annotations() const { return document.annotations; }
    // Changed since it was last saved, or never saved and holding an image:
    // closing it would lose work. Undoing back to what was saved is no change.
    bool isModified() const
    {
        return hasImage() && !(savedDocument && sameDocument(*savedDocument, document));
    }

    // What the canvas shows, and how it differs from what it showed before.
    const std::optional<QImage>& shownImage() const { return previewImage ? previewImage : processedImage; }
    std::optional<ImageChange> shownChange() const { return previewImage ? previewChange : processedChange; }
};

// "Screenshot HH:mm:ss" in local time. Names are not made unique.
QString defaultTabName(const QDateTime& createdAt = QDateTime::currentDateTime());

} // namespace lustrelab
