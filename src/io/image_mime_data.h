#pragma once

#include <QByteArray>
#include <QImage>
#include <QMimeData>

namespace lustrelab {

// Clipboard data for one image that other programs can paste: it offers
// image/png (what every Linux program reads) beside the toolkit's own image
// type. The PNG is encoded only when someone asks for it, once, so that
// copying a large image costs nothing until it is pasted.
class ImageMimeData : public QMimeData
{
    Q_OBJECT

  public:
    explicit ImageMimeData(const QImage& image);

    QStringList formats() const override;
    bool hasFormat(const QString& mimeType) const override;

  protected:
    QVariant retrieveData(const QString& mimeType, QMetaType type) const override;

  private:
    QImage m_image;
    mutable QByteArray m_png;
};

} // namespace lustrelab
