#pragma once

#include "model/beauty_settings.h"
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
// The background covers every pixel of the canvas image, including the
// partly covered last row or column of a canvas whose size in pixels is
// not whole; a half-transparent fringe there would only look like a fault.
class BackgroundFill
{
  public:
    // Prepares the background for a canvas of `canvasSize` points at `ratio`.
    // The checkerboard is painted straight into `canvas` here; every other
    // background is produced later by fillSpan.
    BackgroundFill(const BeautySettings& settings, QSizeF canvasSize, double ratio, QImage& canvas);
    // A gradient from a preset that need not be in the catalogue.
    BackgroundFill(const GradientPreset& preset, QSizeF canvasSize, double ratio);

    // Whether fillSpan writes anything (the checkerboard is already on the canvas).
    bool writesSpans() const { return m_mode != Mode::prePainted; }

    // Background of canvas pixel row `y`, columns [x0, x1), premultiplied ARGB.
    void fillSpan(int y, int x0, int x1, uint32_t* out) const;

  private:
    enum class Mode { constant, gradient, prePainted };
    static constexpr int tableSize = 1024;

    void prepareGradient(const GradientPreset& preset, QSizeF canvasSize, double ratio);
    static void paintCheckerboard(QImage& canvas, QSizeF canvasSize);

    Mode m_mode = Mode::constant;
    uint32_t m_constant = 0;
    // Gradient parameter of pixel (x, y) is t = dx * x + dy * y + t0, looked up in m_table.
    double m_dx = 0, m_dy = 0, m_t0 = 0;
    std::array<uint32_t, tableSize> m_table{};
};

} // namespace lustrelab
