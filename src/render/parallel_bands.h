#pragma once

#include <functional>

namespace lustrelab {

// Splits rows [0, rowCount) into one band per core and runs `work(begin, end)`
// on each, the first band on the calling thread. Returns when all are done.
// Bands never overlap, so work that writes only its own rows needs no locks.
// A band gets at least `minRowsPerBand` rows: handing a small job to another
// thread costs tens of microseconds.
void runInBands(int rowCount, const std::function<void(int begin, int end)>& work, int minRowsPerBand = 64);

} // namespace lustrelab
