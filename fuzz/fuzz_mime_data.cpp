// Clipboard and drop data: which image, if any, an offer of formats holds.
// Input: format name, NUL, payload, NUL, format name, NUL, payload...

#include "fuzz_support.h"
#include "io/mime_image_source.h"

#include <QMimeData>

using namespace lustrelab;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    fuzz::ensureGuiApplication(); // image data offered decoded needs QtGui

    QMimeData mime;
    const QList<QByteArray> parts = fuzz::bytesOf(data, size).split('\0');
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2)
        if (!parts[i].isEmpty())
            mime.setData(QString::fromUtf8(parts[i]), parts[i + 1]);

    const ImageSource source = imageSourceFromMime(mime);
    // A paste or drop is only offered when this says yes; an image it
    // would then find must not be turned away.
    if (!source.isEmpty())
        FUZZ_CHECK(mimeOffersImage(mime));
    switch (source.kind) {
    case ImageSource::Kind::none:
        break;
    case ImageSource::Kind::image:
        FUZZ_CHECK(!source.image.isNull());
        break;
    case ImageSource::Kind::data:
        FUZZ_CHECK(!source.data.isEmpty());
        break;
    case ImageSource::Kind::file:
        FUZZ_CHECK(!source.filePath.isEmpty());
        break;
    }
    return 0;
}
