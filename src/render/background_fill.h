#pragma once

#include "model/beauty_settings.h"
#include "model/custom_gradient.h"
#include "model/gradient_preset.h"

#include <QImage>
#include <QSizeF>
#include <array>
#include <cstdint>

namespace lustrelab {

// The canvas background, produced a row span at a time so that it can be
// written in the same pass as the shadow and the screenshot.
//
// Gradients run from (cx - R cos θ, cy - R sin θ) to (cx + R cos θ, cy + R sin θ)
// in the y-up canvas, R half the longer side, colours evenly spaced and held
// before the start and after the end. An id missing from the catalogue gives
// opaque white. The checkerboard has 10-point squares counted from the
// bottom-left corner, grey (white level 0.9) where row + column is even.
//
// Custom gradients place their stops where they say. A radial one reaches
// its last stop at the canvas corner farthest from its centre; a conic one
// turns counter-clockwise from its angle, all the way round once.
//
// The image background and the matched one are made from inputs that cost
// more than a composition to prepare, so the caller keeps them (see
// CompositionInputs) and hands them in; without them the background is white.
//
// The background covers every pixel of the canvas image, including the
// partly covered last row or column of a canvas whose size in pixels is
// not whole; a half-transparent fringe there would only look like a fault.
class BackgroundFill
{
  public:
    // Prepares the background for a canvas of `canvasSize` points at `ratio`.
    // The checkerboard is painted straight into `canvas` here; every other
    // background is produced later by fillSpan.
    // `picture` is the image background already fitted to the canvas pixels
    // (any size with the canvas's proportions); `matched` the gradient made
    // from the screenshot's colours.
    BackgroundFill(const BeautySettings& settings, QSizeF canvasSize, double ratio, QImage& canvas,
                   const QImage& picture = {}, const CustomGradient* matched = nullptr);
    // A gradient from a preset that need not be in the catalogue.
    BackgroundFill(const GradientPreset& preset, QSizeF canvasSize, double ratio);

    // Whether every pixel of the background is opaque, so that nothing drawn
    // over it leaves a pixel that is not. A picture counts as not opaque:
    // finding out would cost a pass over it on every composition.
    bool isOpaque() const;

    // Whether fillSpan writes anything (the checkerboard is already on the canvas).
    bool writesSpans() const { return m_mode != Mode::prePainted; }

    // Background of canvas pixel row `y`, columns [x0, x1), premultiplied ARGB.
    void fillSpan(int y, int x0, int x1, uint32_t* out) const;

  private:
    enum class Mode { constant, gradient, radial, conic, picture, prePainted };
    static constexpr int tableSize = 1024;
    using Stops = QList<std::pair<double, QColor>>;

    void prepare(const CustomGradient& gradient, QSizeF canvasSize, double ratio);
    bool fillTable(const Stops& stops);
    void prepareLinear(double angleDegrees, QSizeF canvasSize, double ratio);
    void preparePicture(const QImage& picture, double dim, QSize canvasPixels);
    static void paintCheckerboard(QImage& canvas, QSizeF canvasSize);
    void fillRound(int y, int x0, int x1, uint32_t* out) const;
    void fillPicture(int y, int x0, int x1, uint32_t* out) const;

    Mode m_mode = Mode::constant;
    uint32_t m_constant = 0;
    // Linear: the gradient parameter of pixel (x, y) is t = dx * x + dy * y + t0.
    // Radial and conic: the centre is (cx, cy) in pixels, y down; radial t is
    // the distance times `scale`, conic t the turn from `start` (in turns).
    double m_dx = 0, m_dy = 0, m_t0 = 0;
    double m_cx = 0, m_cy = 0, m_scale = 0, m_start = 0;
    std::array<uint32_t, tableSize> m_table{};
    // Picture: canvas pixel centres map to picture pixel centres by these factors.
    QImage m_picture;
    double m_pictureScaleX = 1, m_pictureScaleY = 1;
    uint32_t m_keep = 256; // 256 - 256 * dim: the part of the picture that is not darkened
};

} // namespace lustrelab
