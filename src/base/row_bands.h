#pragma once

// Work on an image split into bands of rows, each band done by one thread.
// Bands never overlap, so work that writes only its own rows needs no locks.
// Every parallel pass (the filters, the removal fill, the encoders, a batch
// of compositions) splits its work here, so that they all cut alike.

#include "base/thread_handover.h"

#include <QThread>
#include <QFuture>
#include <QtConcurrent/QtConcurrentRun>
#include <algorithm>
#include <thread>
#include <vector>

namespace lustrelab {

struct RowBand
{
    int begin = 0;
    int end = 0;
    friend bool operator==(const RowBand&, const RowBand&) = default;
};

// How many bands to make of `rows` rows: as many as there are cores (or
// `most`), but none under `minRowsPerBand` rows, since handing a small job to
// another thread costs tens of microseconds. At least one.
inline int bandCountFor(int rows, int minRowsPerBand, int most = QThread::idealThreadCount())
{
    return std::clamp(rows / std::max(1, minRowsPerBand), 1, std::max(1, most));
}

// Rows [0, rows) as `count` bands in order, of sizes differing by at most
// `unit`; every row is in exactly one. With a `unit` above 1 each band starts
// on a multiple of it (a JPEG stripe is whole rows of blocks), and only the
// last may be shorter.
inline std::vector<RowBand> splitRows(int rows, int count, int unit = 1)
{
    std::vector<RowBand> bands;
    if (rows <= 0 || count <= 0 || unit <= 0)
        return bands;
    const qint64 units = (qint64(rows) + unit - 1) / unit;
    const auto edge = [&](int i) { return int(std::min<qint64>(rows, units * i / count * unit)); };
    bands.reserve(size_t(count));
    for (int i = 0; i < count; ++i)
        bands.push_back({edge(i), edge(i + 1)});
    return bands;
}

// Runs `work(i)` for every i in [0, count) (a band, a job) on Qt's global
// pool, part 0 on the calling thread, and returns when all are done. Safe
// inside a pool job too (a band of a composition in a batch of them): a
// part no pool thread has started yet is run by the thread waiting for it.
template <typename Work> void runOnPool(int count, Work&& work)
{
    std::vector<QFuture<void>> others;
    others.reserve(size_t(std::max(0, count - 1)));
    publishToThread(&work);
    for (int i = 1; i < count; ++i)
        others.push_back(QtConcurrent::run([&work, i] {
            receiveFromThread(&work);
            work(i);
            publishToThread(&work);
        }));
    if (count > 0)
        work(0);
    for (QFuture<void>& part : others)
        part.waitForFinished();
    receiveFromThread(&work);
}

// The same on threads of its own, part 0 on the calling thread: for the
// encoders, which run inside pool jobs (a batch of compositions) and must not
// wait for the pool they are part of.
template <typename Work> void runOnOwnThreads(int count, Work&& work)
{
    std::vector<std::thread> others;
    for (int i = 1; i < count; ++i)
        others.emplace_back([&work, i] { work(i); });
    if (count > 0)
        work(0);
    for (std::thread& thread : others)
        thread.join();
}

} // namespace lustrelab
