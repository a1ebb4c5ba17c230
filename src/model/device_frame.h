#pragma once

#include "raw_value.h"

#include <QColor>
#include <QList>
#include <QString>

namespace lustrelab {

enum class DeviceCategory { none, iphone, ipad, mac, browser };
enum class FrameColor { black, white, silver, gold, spacegray, natural };

template <>
struct RawValues<DeviceCategory>
{
    static constexpr std::array<std::pair<DeviceCategory, const char*>, 5> cases{{
        {DeviceCategory::none, "None"},
        {DeviceCategory::iphone, "iPhone"},
        {DeviceCategory::ipad, "iPad"},
        {DeviceCategory::mac, "Mac"},
        {DeviceCategory::browser, "Browser"},
    }};
};

template <>
struct RawValues<FrameColor>
{
    static constexpr std::array<std::pair<FrameColor, const char*>, 6> cases{{
        {FrameColor::black, "black"},
        {FrameColor::white, "white"},
        {FrameColor::silver, "silver"},
        {FrameColor::gold, "gold"},
        {FrameColor::spacegray, "spacegray"},
        {FrameColor::natural, "natural"},
    }};
};

struct DeviceFrame
{
    QString id;
    QString name;
    DeviceCategory category = DeviceCategory::none;
    double bezelWidth = 0;         // points
    double cornerRadius = 0;       // outer body corners
    double screenCornerRadius = 0; // screen opening corners
    FrameColor frameColor = FrameColor::black;
    bool hasDynamicIsland = false;
    bool hasNotch = false;

    friend bool operator==(const DeviceFrame&, const DeviceFrame&) = default;
};

QColor frameColorValue(FrameColor color);

// The built-in catalogue; the first entry ("none") stands for no frame.
const QList<DeviceFrame>& deviceFrames();
const DeviceFrame& noDeviceFrame();
// First frame whose id matches exactly, or nullptr.
const DeviceFrame* findDeviceFrame(QStringView id);
// For `none` only the "none" entry; otherwise the frames of that category.
QList<DeviceFrame> framesInCategory(DeviceCategory category);

} // namespace lustrelab
