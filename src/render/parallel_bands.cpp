#include "parallel_bands.h"

#include "base/row_bands.h"

namespace lustrelab {

void runInBands(int rowCount, const std::function<void(int, int)>& work, int minRowsPerBand)
{
    const int bands = bandCountFor(rowCount, minRowsPerBand);
    if (bands == 1) {
        if (rowCount > 0)
            work(0, rowCount);
        return;
    }
    const std::vector<RowBand> rows = splitRows(rowCount, bands);
    runOnPool(bands, [&](int i) { work(rows[size_t(i)].begin, rows[size_t(i)].end); });
}

} // namespace lustrelab
