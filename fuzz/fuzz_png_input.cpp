// An input image file as `compose` loads it: sniffed, decoded (PNG by our own
// decoder, anything else by Qt's readers) under a pixel limit, then checked by
// the size guard with every device frame and a canvas of each kind.

#include "io/image_loader.h"
#include "cli/size_guard.h"
#include "fuzz_support.h"
#include "model/canvas_preset.h"
#include "model/device_frame.h"

#include <QFile>
#include <QTemporaryDir>

using namespace lustrelab;

namespace {

// The limit the command line uses is 2^28 pixels; a smaller one takes the
// same paths while keeping every run quick and small.
constexpr qint64 fuzzMaxPixels = qint64(1) << 20;

QString scratchPath()
{
    static QTemporaryDir* folder = new QTemporaryDir;
    return folder->filePath(QStringLiteral("input"));
}

void checkSizes(QSize imageSize)
{
    BeautySettings settings;
    QStringList canvases{QStringLiteral("auto")};
    for (const CanvasPreset& preset : ratioCanvasPresets() + socialCanvasPresets())
        canvases << preset.id;
    for (const DeviceFrame& frame : deviceFrames()) {
        settings.deviceFrameId = frame.id;
        for (const QString& canvas : canvases) {
            settings.canvasPresetId = canvas;
            checkComposedSize(imageSize, settings, maxImagePixels);
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    fuzz::ensureGuiApplication();
    static const bool configured = (configureImageAllocationLimit(), true);
    Q_UNUSED(configured);

    QFile file(scratchPath());
    FUZZ_CHECK(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    FUZZ_CHECK(file.write(reinterpret_cast<const char*>(data), qint64(size)) == qint64(size));
    file.close();

    const LoadedImage loaded = loadImage(file.fileName(), fuzzMaxPixels);
    if (loaded.image.isNull()) {
        FUZZ_CHECK(!loaded.error.isEmpty());
        return 0;
    }
    FUZZ_CHECK(loaded.error.isEmpty());
    // Whatever the format, nothing over the limit reaches composition.
    FUZZ_CHECK(qint64(loaded.image.width()) * loaded.image.height() <= fuzzMaxPixels);
    checkSizes(loaded.image.size());
    return 0;
}
