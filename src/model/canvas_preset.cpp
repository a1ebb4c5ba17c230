#include "canvas_preset.h"

#include "id_lookup.h"

namespace lustrelab {

namespace {

CanvasPreset ratio(const char* id, const char* name, std::optional<double> aspectRatio)
{
    return {QString::fromUtf8(id), QString::fromUtf8(name), CanvasCategory::ratio, aspectRatio, std::nullopt};
}

CanvasPreset social(const char* id, const char* name, double aspectRatio)
{
    return {QString::fromUtf8(id), QString::fromUtf8(name), CanvasCategory::social, aspectRatio,
            std::nullopt};
}

// Searched in this order: the ratio group first, then the social group.
const QList<CanvasPreset>& allCanvasPresets()
{
    static const QList<CanvasPreset> all = ratioCanvasPresets() + socialCanvasPresets();
    return all;
}

} // namespace

const QList<CanvasPreset>& ratioCanvasPresets()
{
    // "auto" has no ratio: the canvas follows the padded image.
    static const QList<CanvasPreset> presets = {
        ratio("auto", "Auto", std::nullopt), ratio("4:3", "4:3", 4.0 / 3.0), ratio("3:2", "3:2", 1.5),
        ratio("16:9", "16:9", 16.0 / 9.0),   ratio("1:1", "1:1", 1.0),       ratio("9:16", "9:16", 0.5625),
        ratio("21:9", "21:9", 21.0 / 9.0),
    };
    return presets;
}

const QList<CanvasPreset>& socialCanvasPresets()
{
    // Social presets fix a shape, never a pixel size.
    static const QList<CanvasPreset> presets = {
        social("twitter", "Twitter/X", 16.0 / 9.0),  social("facebook", "Facebook", 1.91),
        social("instagram", "Instagram", 1.0),       social("instagram-story", "IG Story", 0.5625),
        social("linkedin", "LinkedIn", 1.91),        social("youtube", "YouTube", 16.0 / 9.0),
        social("pinterest", "Pinterest", 2.0 / 3.0), social("tiktok", "TikTok", 0.5625),
    };
    return presets;
}

const CanvasPreset* findCanvasPreset(QStringView id)
{
    return recordWithId(allCanvasPresets(), id);
}

} // namespace lustrelab
