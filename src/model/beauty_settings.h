#pragma once

#include "codable_color.h"
#include "custom_gradient.h"
#include "raw_value.h"

#include <QString>

namespace lustrelab {

enum class BackgroundType { gradient, solid, transparent, customGradient, image, match };
enum class ExportFormat { png, jpeg };

template <> struct RawValues<BackgroundType>
{
    static constexpr std::array<std::pair<BackgroundType, const char*>, 6> cases{{
        {BackgroundType::gradient, "gradient"},
        {BackgroundType::solid, "solid"},
        {BackgroundType::transparent, "transparent"},
        {BackgroundType::customGradient, "customGradient"},
        {BackgroundType::image, "image"},
        {BackgroundType::match, "match"}, // colours taken from the screenshot itself
    }};
};

// The raw value doubles as the file-name extension proposed on export.
template <> struct RawValues<ExportFormat>
{
    static constexpr std::array<std::pair<ExportFormat, const char*>, 2> cases{{
        {ExportFormat::png, "png"},
        {ExportFormat::jpeg, "jpeg"},
    }};
};

// The whole look of a composed image. Lengths are in points of the source
// image. One record applies to whichever tab is composed; templates and undo
// snapshots hold copies. The field order is the order of the JSON keys.
struct BeautySettings
{
    double cornerRadius = 12;
    double borderWidth = 0;
    CodableColor borderColor{};
    bool shadowEnabled = true;
    double shadowBlur = 40;
    double shadowOffsetX = 0;
    double shadowOffsetY = 10;            // positive moves the shadow down on screen
    float shadowOpacity = 0.25f;          // deliberately 32-bit: stored files carry its shortest decimal
    CodableColor shadowColor{0, 0, 0, 1}; // its opacity multiplies shadowOpacity
    bool paddingUniform = true;
    double padding = 64;
    double paddingTop = 64;
    double paddingBottom = 64;
    double paddingLeading = 64;
    double paddingTrailing = 64;
    // Trims single-colour margins off the screenshot and pads it in proportion
    // to what is left; the padding fields are then not read.
    bool autoBalance = false;
    BackgroundType backgroundType = BackgroundType::gradient;
    // "ocean" is not a catalogue id, so a default record composes on white.
    QString gradientPresetId = QStringLiteral("ocean");
    CustomGradient customGradient{};
    CodableColor solidColor{};
    QString backgroundImagePath{}; // cover-fitted to the canvas; a missing file gives white
    double backgroundImageBlur = 0; // points
    double backgroundImageDim = 0;  // 0 to 1: how far the image is darkened towards black
    QString canvasPresetId = QStringLiteral("auto");
    // Carried and persisted, never read by composition: saved templates hold them.
    double customWidth = 1920;
    double customHeight = 1080;
    QString deviceFrameId = QStringLiteral("none");
    double exportScale = 2;
    ExportFormat exportFormat = ExportFormat::png;

    friend bool operator==(const BeautySettings&, const BeautySettings&) = default;
};

} // namespace lustrelab
