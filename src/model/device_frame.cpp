#include "device_frame.h"

#include "id_lookup.h"

namespace lustrelab {

namespace {

using D = DeviceCategory;
using F = FrameColor;

struct Entry
{
    const char* id;
    const char* name;
    D category;
    double bezelWidth;
    double cornerRadius;
    double screenCornerRadius;
    F frameColor;
    bool hasDynamicIsland;
    bool hasNotch;
};

// The inch signs are part of the names ("iPad Pro 13\"" ends in one '"').
constexpr Entry entries[] = {
    {"none", "No Frame", D::none, 0, 0, 0, F::black, false, false},
    {"iphone16promax", "iPhone 16 Pro Max", D::iphone, 3, 55, 52, F::natural, true, false},
    {"iphone16pro", "iPhone 16 Pro", D::iphone, 3, 55, 52, F::black, true, false},
    {"iphone16", "iPhone 16", D::iphone, 3, 50, 47, F::white, true, false},
    {"iphone15pro", "iPhone 15 Pro", D::iphone, 3, 55, 52, F::natural, true, false},
    {"iphoneSE", "iPhone SE", D::iphone, 12, 20, 0, F::black, false, false},
    {"ipadpro13", "iPad Pro 13\"", D::ipad, 16, 18, 12, F::spacegray, false, false},
    {"ipadpro11", "iPad Pro 11\"", D::ipad, 14, 18, 12, F::silver, false, false},
    {"macbookpro16", "MacBook Pro 16\"", D::mac, 8, 12, 8, F::spacegray, false, true},
    {"macbookpro14", "MacBook Pro 14\"", D::mac, 8, 12, 8, F::black, false, true},
    {"macbookair15", "MacBook Air 15\"", D::mac, 6, 10, 6, F::silver, false, true},
    {"macbookair13", "MacBook Air 13\"", D::mac, 6, 10, 6, F::natural, false, true},
    {"imac24", "iMac 24\"", D::mac, 20, 24, 16, F::silver, false, false},
    {"studiodisplay", "Studio Display", D::mac, 16, 20, 12, F::silver, false, false},
    {"browsersafari", "Safari", D::browser, 0, 10, 0, F::white, false, false},
    {"browsersafaridark", "Safari Dark", D::browser, 0, 10, 0, F::black, false, false},
    {"browserchrome", "Chrome", D::browser, 0, 8, 0, F::white, false, false},
    {"browserarc", "Arc", D::browser, 0, 12, 0, F::black, false, false},
};

QList<DeviceFrame> buildCatalogue()
{
    QList<DeviceFrame> frames;
    for (const Entry& e : entries)
        frames << DeviceFrame{QString::fromUtf8(e.id),
                              QString::fromUtf8(e.name),
                              e.category,
                              e.bezelWidth,
                              e.cornerRadius,
                              e.screenCornerRadius,
                              e.frameColor,
                              e.hasDynamicIsland,
                              e.hasNotch};
    return frames;
}

} // namespace

QColor frameColorValue(FrameColor color)
{
    switch (color) {
    case FrameColor::black:
        return QColor::fromRgbF(0.11f, 0.11f, 0.12f);
    case FrameColor::white:
        return QColor::fromRgbF(0.96f, 0.96f, 0.97f);
    case FrameColor::silver:
        return QColor::fromRgbF(0.78f, 0.78f, 0.8f);
    case FrameColor::gold:
        return QColor::fromRgbF(0.9f, 0.85f, 0.79f);
    case FrameColor::spacegray:
        return QColor::fromRgbF(0.45f, 0.45f, 0.47f);
    case FrameColor::natural:
        return QColor::fromRgbF(0.55f, 0.53f, 0.51f);
    }
    return QColor::fromRgbF(0.11f, 0.11f, 0.12f);
}

const QList<DeviceFrame>& deviceFrames()
{
    static const QList<DeviceFrame> catalogue = buildCatalogue();
    return catalogue;
}

const DeviceFrame& noDeviceFrame()
{
    return deviceFrames().first();
}

const DeviceFrame* findDeviceFrame(QStringView id)
{
    return recordWithId(deviceFrames(), id);
}

QList<DeviceFrame> framesInCategory(DeviceCategory category)
{
    if (category == DeviceCategory::none)
        return {noDeviceFrame()};
    QList<DeviceFrame> result;
    for (const DeviceFrame& frame : deviceFrames())
        if (frame.category == category)
            result << frame;
    return result;
}

} // namespace lustrelab
