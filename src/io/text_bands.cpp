#include "text_bands.h"

#include <algorithm>
#include <cstdlib>
#include <vector>

namespace lustrelab {

namespace {

// A band shorter than this gains less from its own thread than the engine's set-up costs.
constexpr int minimumBandHeight = 240;
// Anti-aliasing and gradients leave a "flat" row slightly uneven.
constexpr int flatTolerance = 24;

bool isFlatRow(const uchar* row, int width)
{
    const auto [low, high] = std::minmax_element(row, row + width);
    return *high - *low <= flatTolerance;
}

} // namespace

QList<int> textBandCuts(const QImage& grey, int bands)
{
    const int height = grey.height(), width = grey.width();
    bands = std::min(bands, height / minimumBandHeight);
    if (bands < 2 || width == 0)
        return {};
    std::vector<bool> flat(static_cast<size_t>(height));
    for (int y = 0; y < height; ++y)
        flat[size_t(y)] = isFlatRow(grey.constScanLine(y), width);

    QList<int> cuts;
    const int reach = height / (2 * bands); // how far from the even split a cut may move
    for (int band = 1; band < bands; ++band) {
        const int target = band * height / bands;
        // The flat row nearest the even split, then the middle of its gap,
        // so that both bands keep a margin around their text.
        for (int offset = 0; offset <= reach; ++offset) {
            for (const int y : {target - offset, target + offset}) {
                if (y <= 0 || y >= height || !flat[size_t(y)])
                    continue;
                int top = y, bottom = y;
                while (top > 0 && flat[size_t(top - 1)])
                    --top;
                while (bottom + 1 < height && flat[size_t(bottom + 1)])
                    ++bottom;
                const int cut = (top + bottom + 1) / 2;
                if (cut > (cuts.isEmpty() ? 0 : cuts.last()) && cut < height)
                    cuts.append(cut);
                offset = reach + 1; // found: next band
                break;
            }
        }
    }
    return cuts;
}

} // namespace lustrelab
