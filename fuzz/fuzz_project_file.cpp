// A project file: a ZIP archive, its document.json, the screenshot and the
// preview inside it. Whatever it holds, reading ends in a project or in one
// reason, and a project that was read can be saved and read back unchanged.

#include "fuzz_support.h"
#include "io/image_limits.h"
#include "io/project_file.h"

using namespace lustrelab;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    fuzz::ensureGuiApplication();
    const QByteArray bytes = fuzz::bytesOf(data, size);
    QString error;
    const QImage preview = readProjectPreview(bytes, &error);
    FUZZ_CHECK(!preview.isNull() || !error.isEmpty());
    error.clear();
    std::optional<ProjectContents> project = readProject(bytes, &error);
    if (!project) {
        FUZZ_CHECK(!error.isEmpty());
        return 0;
    }
    const Document& document = project->document;
    FUZZ_CHECK(!document.screenshot.isNull());
    FUZZ_CHECK(qint64(document.screenshot.width()) * document.screenshot.height() <= maxImagePixels);
    FUZZ_CHECK(document.devicePixelRatio > 0);
    FUZZ_CHECK(project->backgroundImage.isEmpty() == project->backgroundImageName.isEmpty());
    FUZZ_CHECK(!project->backgroundImageName.contains(u'/'));

    // The writer must not read whatever file the settings name.
    Document again = document;
    again.settings.backgroundImagePath.clear();
    const std::optional<QByteArray> saved = projectBytes(again, {}, &error);
    FUZZ_CHECK(saved);
    const std::optional<ProjectContents> reread = readProject(*saved, &error);
    FUZZ_CHECK(reread);
    FUZZ_CHECK(reread->document.annotations == again.annotations);
    FUZZ_CHECK(reread->document.settings == again.settings);
    FUZZ_CHECK(reread->document.devicePixelRatio == again.devicePixelRatio);
    FUZZ_CHECK(reread->document.screenshot.size() == again.screenshot.size());
    return 0;
}
