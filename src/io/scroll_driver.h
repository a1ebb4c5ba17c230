#pragma once

#include <QImage>
#include <QRect>
#include <QString>
#include <functional>

namespace lustrelab {

// What a scrolling capture needs of the desktop: the pixels of a region,
// again and again, and, where the desktop lets a client do it, the wheel
// turned over the window under the region. Regions are in the desktop's
// logical pixels; frames come in device pixels.
class ScrollDriver
{
  public:
    using Frame = std::function<void(QImage frame)>;

    virtual ~ScrollDriver() = default;

    // Ready for a capture of `region`, whose device pixel ratio is `ratio`;
    // false (and why in error()) when this desktop cannot read it.
    virtual bool begin(const QRect& region, double ratio) = 0;
    // One frame of the region, handed to `done` (at once or later on the
    // event loop; a null image when it could not be read). One at a time.
    virtual void grab(Frame done) = 0;
    // Whether scrollDown() turns the wheel; without it the user scrolls.
    virtual bool scrolls() const = 0;
    virtual void scrollDown(int clicks) = 0;
    virtual QString error() const { return {}; }
};

} // namespace lustrelab
