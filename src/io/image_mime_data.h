#pragma once

#include <QByteArray>
#include <QImage>
#include <QMimeData>

namespace lustrelab {

// Clipboard data for one image that other programs can paste: it offers
// image/png (what every Linux program reads) beside the toolkit's own image
// type. An empty `png` is encoded when someone first asks for it, on the
// thread that asks: callers on the window's thread encode it beforehand.
class ImageMimeData : public QMimeData
{
    Q_OBJECT

  public:
    explicit ImageMimeData(const QImage& image, const QByteArray& png = {});

    QStringList formats() const override;
    bool hasFormat(const QString& mimeType) const override;

  protected:
    QVariant retrieveData(const QString& mimeType, QMetaType type) const override;

  private:
    QImage m_image;
    mutable QByteArray m_png;
};

} // namespace lustrelab
