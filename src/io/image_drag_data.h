#pragma once

#include <QFuture>
#include <QImage>
#include <QMimeData>
#include <QString>
#include <QThreadPool>

namespace lustrelab {

// What dragging the styled image out of the window carries: image/png, which
// chat programs and browsers take, and a text/uri-list naming the same PNG
// written to the cache folder, which file managers take (and the toolkit's
// own image type, for Qt programs). The PNG is encoded and written on
// `pool` from the moment the data is made, so the window never waits for
// it; a drop that asks before it is done waits for the rest of it.
class ImageDragData : public QMimeData
{
    Q_OBJECT

  public:
    // The file is written in `folder` as `baseName`.png.
    ImageDragData(const QImage& image, const QString& folder, const QString& baseName, QThreadPool& pool);

    QStringList formats() const override;
    bool hasFormat(const QString& mimeType) const override;
    // Where the PNG is written (known at once; the file may still be on its way).
    QString filePath() const { return m_path; }
    // Blocks until the file is written; false (with the reason) when it could not be.
    bool waitForFile(QString* error = nullptr) const;

  protected:
    QVariant retrieveData(const QString& mimeType, QMetaType type) const override;

  private:
    struct Written
    {
        QByteArray png;
        QString error;
    };
    QImage m_image;
    QString m_path;
    QFuture<Written> m_written;
};

// $XDG_CACHE_HOME/lustrelab/drags: where dragged images are written. Files
// left by earlier drags older than a day are removed when it is asked for.
QString dragCacheFolder();

} // namespace lustrelab
