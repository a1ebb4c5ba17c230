#include "parallel_bands.h"

#include "base/thread_handover.h"

#include <QFuture>
#include <QThread>
#include <QtConcurrent/QtConcurrentRun>
#include <algorithm>
#include <vector>

namespace lustrelab {

void runInBands(int rowCount, const std::function<void(int, int)>& work, int minRowsPerBand)
{
    const int cores = std::max(1, QThread::idealThreadCount());
    const int bands = std::clamp(rowCount / std::max(1, minRowsPerBand), 1, cores);
    if (bands == 1) {
        if (rowCount > 0)
            work(0, rowCount);
        return;
    }
    std::vector<QFuture<void>> others;
    others.reserve(bands - 1);
    publishToThread(&work);
    for (int band = 1; band < bands; ++band) {
        const int begin = rowCount * band / bands;
        const int end = rowCount * (band + 1) / bands;
        others.push_back(QtConcurrent::run([&work, begin, end] {
            receiveFromThread(&work);
            work(begin, end);
            publishToThread(&work);
        }));
    }
    work(0, rowCount / bands);
    for (QFuture<void>& f : others)
        f.waitForFinished();
    receiveFromThread(&work);
}

} // namespace lustrelab
