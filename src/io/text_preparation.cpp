#include "text_preparation.h"

#include <QList>
#include <algorithm>
#include <array>
#include <vector>

namespace lustrelab {

namespace {

// Tiles are judged on the 3 x 3 tiles around them, a neighbourhood of about
// three lines of screen text: enough to know its background even where a
// tile falls on a word, small enough to follow a terminal inside a page.
constexpr int tileSize = 32;
// Less than this between the background and the ink is a gradient, a
// shadow or noise, not text.
constexpr int minimumContrast = 28;
// Beyond this an enlarged copy costs more than it brings (a ratio-1 screen of 2560 x 1600).
constexpr qint64 maximumEnlargedPixels = 2560 * 1600;

using Histogram = std::array<int, 256>;

// The commonest grey, counted with its neighbours so that a dithered or
// slightly uneven background still has one.
int commonestLevel(const Histogram& histogram)
{
    int level = 0, best = -1;
    for (int v = 0; v < 256; ++v) {
        const int around = 2 * histogram[size_t(v)] + (v > 0 ? histogram[size_t(v - 1)] : 0) +
                           (v < 255 ? histogram[size_t(v + 1)] : 0);
        if (around > best) {
            best = around;
            level = v;
        }
    }
    return level;
}

// The background and the ink of a neighbourhood: its commonest grey, and
// the grey farthest from it that more than a trace of pixels have (the
// lightest for a dark background, the darkest for a light one). The
// backgrounds of other areas that reach into it (a light page beside a
// dark terminal) are not its ink.
struct Levels
{
    int background = 255;
    int ink = 0;
};

Levels levelsOf(const Histogram& histogram, const QList<int>& otherBackgrounds)
{
    int total = 0;
    for (int count : histogram)
        total += count;
    const int background = commonestLevel(histogram);
    const int trace = std::max(2, total / 400);
    Levels levels{background, background};
    const bool dark = background < 128;
    int seen = 0;
    for (int i = 0; i < 256; ++i) {
        const int v = dark ? 255 - i : i; // from the far end towards the background
        if (std::any_of(otherBackgrounds.begin(), otherBackgrounds.end(),
                        [v](int other) { return std::abs(v - other) <= 2; }))
            continue;
        seen += histogram[size_t(v)];
        if (seen >= trace) {
            levels.ink = v;
            break;
        }
    }
    return levels;
}

// Maps a neighbourhood's background to white and its ink to black.
std::array<uchar, 256> stretch(const Levels& levels)
{
    std::array<uchar, 256> table;
    const int span = levels.background - levels.ink; // negative for light ink
    if (std::abs(span) < minimumContrast) {
        table.fill(255);
        return table;
    }
    for (int v = 0; v < 256; ++v)
        table[size_t(v)] = uchar(std::clamp(255 * (v - levels.ink) / span, 0, 255));
    // The background's own unevenness (a dither, a faint gradient) is no ink.
    for (int v = std::max(0, levels.background - 3); v <= std::min(255, levels.background + 3); ++v)
        table[size_t(v)] = 255;
    return table;
}

// The height of the vertical smear that thickens thin horizontal strokes
// (underscores, the bar of a minus), in pixels of the prepared page: a
// ratio-1 underscore, one pixel enlarged to two, needs three; at ratio 2
// three starts to merge dots and commas with the digits beside them.
int smearHeight(int enlarge)
{
    return enlarge > 1 ? 3 : 2;
}

// Text whose lines are at least this many pixels tall reads as well as it
// can without enlarging (14-point screen text at ratio 2 is about 34).
constexpr int largeLineHeight = 26;
// Strips narrow enough that two columns of text rarely share one.
constexpr int stripWidth = 256;

// The usual height of the runs of inked rows in strips of the page: the
// height of its lines of text; 0 without ink.
int typicalLineHeight(const QImage& ink)
{
    std::vector<int> heights;
    for (int left = 0; left < ink.width(); left += stripWidth) {
        const int right = std::min(ink.width(), left + stripWidth);
        int run = 0;
        for (int y = 0; y <= ink.height(); ++y) {
            const uchar* row = y < ink.height() ? ink.constScanLine(y) : nullptr;
            const bool inked = row && std::any_of(row + left, row + right, [](uchar v) { return v < 128; });
            if (inked) {
                ++run;
            } else if (run > 0) {
                if (run >= 4) // specks and rules are no lines
                    heights.push_back(run);
                run = 0;
            }
        }
    }
    if (heights.empty())
        return 0;
    std::nth_element(heights.begin(), heights.begin() + qsizetype(heights.size() / 2), heights.end());
    return heights[heights.size() / 2];
}

// Each pixel the darkest of itself and the `height - 1` pixels below it.
void smearDown(QImage& grey, int height)
{
    if (height < 2)
        return;
    const int width = grey.width();
    for (int y = 0; y + 1 < grey.height(); ++y) {
        uchar* row = grey.scanLine(y);
        for (int k = 1; k < height && y + k < grey.height(); ++k) {
            const uchar* below = grey.constScanLine(y + k);
            for (int x = 0; x < width; ++x)
                row[x] = std::min(row[x], below[x]);
        }
    }
}

} // namespace

QImage normalizedInk(const QImage& source)
{
    QImage grey = source.convertToFormat(QImage::Format_Grayscale8);
    const int width = grey.width(), height = grey.height();
    if (width == 0 || height == 0)
        return grey;
    const int columns = (width + tileSize - 1) / tileSize, rows = (height + tileSize - 1) / tileSize;
    std::vector<Histogram> tiles(size_t(columns) * size_t(rows), Histogram{});
    for (int y = 0; y < height; ++y) {
        const uchar* line = grey.constScanLine(y);
        Histogram* tileRow = &tiles[size_t(y / tileSize) * size_t(columns)];
        for (int x = 0; x < width; ++x)
            ++tileRow[x / tileSize][line[x]];
    }
    // Each tile's backgrounds: the levels that cover two fifths of it or
    // more (two where it straddles the edge of a pane; ink, anti-aliased
    // and thin, never covers as much with one level).
    std::vector<QList<int>> backgrounds(tiles.size());
    for (size_t i = 0; i < tiles.size(); ++i) {
        int total = 0;
        for (int count : tiles[i])
            total += count;
        for (int v = 0; v < 256; ++v)
            if (5 * tiles[i][size_t(v)] >= 2 * total)
                backgrounds[i] << v;
    }
    std::vector<std::array<uchar, 256>> tables(tiles.size());
    for (int ty = 0; ty < rows; ++ty)
        for (int tx = 0; tx < columns; ++tx) {
            Histogram around{};
            QList<int> neighbourModes;
            for (int dy = -1; dy <= 1; ++dy)
                for (int dx = -1; dx <= 1; ++dx) {
                    const int nx = tx + dx, ny = ty + dy;
                    if (nx < 0 || ny < 0 || nx >= columns || ny >= rows)
                        continue;
                    const size_t n = size_t(ny) * size_t(columns) + size_t(nx);
                    for (size_t v = 0; v < 256; ++v)
                        around[v] += tiles[n][v];
                    neighbourModes << backgrounds[n];
                }
            const int background = commonestLevel(around);
            QList<int> others;
            for (int mode : neighbourModes)
                if (std::abs(mode - background) >= minimumContrast)
                    others << mode;
            tables[size_t(ty) * size_t(columns) + size_t(tx)] = stretch(levelsOf(around, others));
        }
    for (int y = 0; y < height; ++y) {
        uchar* line = grey.scanLine(y);
        const auto* tableRow = &tables[size_t(y / tileSize) * size_t(columns)];
        for (int x = 0; x < width; ++x)
            line[x] = tableRow[x / tileSize][line[x]];
    }
    return grey;
}

PreparedPage prepareForReading(const QImage& screenshot)
{
    PreparedPage page;
    page.grey = normalizedInk(screenshot);
    // Screens are about 96 dots an inch at ratio 1; saying so spares the
    // estimate. A file does not say its ratio: large text counts as ratio 2.
    const bool largeText = typicalLineHeight(page.grey) >= largeLineHeight;
    const double ratio = std::max(largeText ? 2.0 : 1.0, screenshot.devicePixelRatio());
    // Small text is read more reliably twice as large.
    page.enlarge =
        !largeText && qint64(screenshot.width()) * screenshot.height() <= maximumEnlargedPixels ? 2 : 1;
    page.dpi = int(96 * ratio * page.enlarge);
    if (page.enlarge > 1)
        page.grey = page.grey.scaled(page.grey.size() * page.enlarge, Qt::IgnoreAspectRatio,
                                     Qt::SmoothTransformation);
    smearDown(page.grey, smearHeight(page.enlarge));
    return page;
}

} // namespace lustrelab
