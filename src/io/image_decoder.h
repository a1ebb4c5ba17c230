#pragma once

#include <QByteArray>
#include <QFuture>
#include <QImage>
#include <QString>

namespace lustrelab {

// Where an incoming image comes from, taken out of clipboard or drop data
// without decoding anything yet: a decoded image (in-process data), encoded
// bytes (image/png, image/jpeg, ...), or a local file.
struct ImageSource
{
    enum class Kind { none, image, data, file };

    Kind kind = Kind::none;
    QImage image;
    QByteArray data;
    QString filePath;

    bool isEmpty() const { return kind == Kind::none; }
    friend bool operator==(const ImageSource&, const ImageSource&) = default;
};

// Decoding of untrusted input. Anything Qt's image plugins read is accepted;
// EXIF orientation is applied; the result is ARGB32 premultiplied at ratio 1.
// A source that does not decode gives a null image and the reason in *error.
// Files are read as the command line reads them (image_loader.h), and PNG
// data takes the same decoder; images over maxImagePixels, and whatever
// Qt's readers refuse by their allocation limit, fail instead of exhausting
// memory.
QImage decodeImage(const ImageSource& source, QString* error = nullptr);

// Decodes on a pool thread so a slow or large file never stalls the event
// loop. The future gives a null image when nothing decoded; that failure also
// leaves one line on standard error naming the source, for the user's logs.
QFuture<QImage> decodeImageAsync(const ImageSource& source);

} // namespace lustrelab
