// A styling file as `compose --settings` reads it: JSON text, then the strict
// settings reader, then the size guard that every composition passes.

#include "cli/size_guard.h"
#include "io/image_loader.h"
#include "io/json_file.h"
#include "fuzz_support.h"
#include "model/model_json.h"

using namespace lustrelab;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    QString error;
    const std::optional<Json> json = parseJson(fuzz::bytesOf(data, size), &error);
    if (!json) {
        FUZZ_CHECK(!error.isEmpty());
        return 0;
    }
    const std::optional<BeautySettings> settings = beautySettingsFromJson(*json, &error);
    if (!settings) {
        FUZZ_CHECK(!error.isEmpty());
        return 0;
    }

    // An accepted record is one a template could store: written and read
    // again, it must come back unchanged.
    const std::optional<Json> written =
        parseJson(QByteArray::fromStdString(toJson(*settings).dump()), &error);
    FUZZ_CHECK(written);
    const std::optional<BeautySettings> reread = beautySettingsFromJson(*written, &error);
    FUZZ_CHECK(reread && *reread == *settings);

    for (const QSize image : {QSize(1, 1), QSize(1280, 800), QSize(16384, 16384)})
        checkComposedSize(image, *settings, maxImagePixels);
    return 0;
}
