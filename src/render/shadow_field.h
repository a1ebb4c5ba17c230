#pragma once

#include "styled_image.h"

#include <QPointF>
#include <QSize>
#include <cstdint>
#include <optional>
#include <vector>

namespace lustrelab {

// The blurred alpha of an image, as a drop shadow needs it: a Gaussian of
// standard deviation `sigma` (device pixels) of the image's alpha, placed on a
// canvas and shifted by an offset.
//
// A shadow blur is wide and smooth, so it is computed on a grid k times
// coarser than the pixels (k chosen so that sigma still spans three grid
// cells) and read back by bilinear interpolation. The box average of the
// downsampling widens the blur a little; the grid blur is narrowed by exactly
// that much. Against an exact Gaussian the result is off by at most about
// 1.5 levels of 255 at full shadow opacity. Cost is a single read of the
// image's alpha plus work on the small grid.
class ShadowField
{
  public:
    // What the image's alpha is made of: the pixels it was styled from (by
    // cacheKey(); 0 for pixels that have none to trust) and the styling of
    // its edges.
    struct Shape
    {
        qint64 imageKey = 0;
        double cornerRadius = 0;
        double borderWidth = 0;
        friend bool operator==(const Shape&, const Shape&) = default;
    };

    // The image's top-left pixel lands on canvas position `position` +
    // `offset`, in device pixels. A build for the same shape and sigma as the
    // one before reuses its blurred grid; for the same shape and another sigma
    // of the same cell size, its downsampled cells.
    void build(const StyledImage& image, const Shape& shape, QPointF position, QPointF offset, double sigma,
               QSize canvasPixels);

    bool isEmpty() const { return m_grid.empty(); }
    // Canvas rows and columns outside these ranges receive no shadow.
    int firstRow() const { return m_firstRow; }
    int endRow() const { return m_endRow; }
    int firstColumn() const { return m_firstColumn; }
    int endColumn() const { return m_endColumn; }

    // Prepares canvas row `y` in `row` (per-thread memory); false when the
    // row has no shadow at all.
    bool prepareRow(int y, std::vector<float>& row) const;
    // Alpha of the prepared row for canvas columns [x0, x1) (within the column
    // range), multiplied by `opacity` and rounded to 0..255.
    void sampleSpan(const std::vector<float>& row, int x0, int x1, float opacity, uint8_t* out) const;

  private:
    void downsample(const StyledImage& image);
    void blur();

    static constexpr int rowPad = 2; // empty cells each side of a prepared row
    int m_factor = 1;                // pixels per grid cell along each axis
    int m_padCells = 0;              // empty cells around the image, room for the blur's tails
    int m_gridWidth = 0;
    int m_gridHeight = 0;
    double m_sigmaCells = 0;
    double m_originX = 0; // canvas position of the image's top-left corner, plus the offset
    double m_originY = 0;
    std::vector<float> m_cells; // the image's alpha averaged over k x k cells, before the blur
    int m_cellsWidth = 0;
    int m_cellsHeight = 0;
    std::optional<Shape> m_cellsShape; // what m_cells were made from, at m_factor
    std::vector<float> m_grid;         // m_cells padded and blurred
    std::optional<Shape> m_shape;      // what m_grid was built from
    double m_sigma = 0;
    std::vector<int> m_columnCell;   // per canvas column in range: left grid cell
    std::vector<float> m_columnFrac; // and the weight of the cell to its right
    int m_firstRow = 0, m_endRow = 0, m_firstColumn = 0, m_endColumn = 0;
};

} // namespace lustrelab
