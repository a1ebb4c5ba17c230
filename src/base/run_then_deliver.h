#pragma once

// The one way work leaves the calling thread for a QThreadPool and comes
// back: the hand-overs are marked for ThreadSanitizer here (see
// thread_handover.h), so the code that uses a pool never has to.

#include "thread_handover.h"

#include <QFuture>
#include <QMetaObject>
#include <QObject>
#include <QPromise>
#include <QThreadPool>
#include <functional>
#include <memory>
#include <type_traits>

namespace lustrelab {

namespace handover {

// The pool thread must name its hand-over tag before its first read of the
// task, so the tag cannot be stored in the task: each kind of work (each
// call site) has an address of its own that every thread knows without
// reading memory another thread wrote.
template <typename Work> inline constexpr char tag = 0;

} // namespace handover

// Runs `work()` on `pool`, then `deliver(result)` on `context`'s thread
// through a queued call, so the result reaches its owner only through the
// owner's event loop, never inside the caller. A pool of one thread delivers
// in the order the work was started.
//
// `context` must stay alive until the pool is done (its owner calls
// waitForPool first thing when it goes): a result posted to it is dropped with
// it, but one posted after it is gone would reach freed memory.
template <typename Work, typename Deliver>
void runThenDeliver(QThreadPool& pool, QObject* context, Work work, Deliver deliver)
{
    using Result = std::invoke_result_t<const Work&>;
    static_assert(!std::is_void_v<Result>, "the work must give the result to deliver");
    const void* const tag = &handover::tag<Work>;
    std::function<void()> task = [pool = &pool, context, work = std::move(work),
                                  deliver = std::move(deliver)] {
        receiveFromThread(&handover::tag<Work>);
        Result result = work();
        publishToThread(pool); // for waitForPool
        publishToThread(&handover::tag<Work>);
        QMetaObject::invokeMethod(
            context,
            [deliver, result = std::move(result)] {
                receiveFromThread(&handover::tag<Work>);
                deliver(result);
            },
            Qt::QueuedConnection);
    };
    publishToThread(tag);
    pool.start(std::move(task));
}

// Runs `work()` on `pool`; its result arrives through the returned future,
// for callers that have no object to deliver to (the future's continuation
// picks the thread).
template <typename Work> auto runOnPool(QThreadPool& pool, Work work)
{
    using Result = std::invoke_result_t<const Work&>;
    auto promise = std::make_shared<QPromise<Result>>();
    promise->start();
    QFuture<Result> future = promise->future();
    std::function<void()> task = [pool = &pool, promise, work = std::move(work)] {
        receiveFromThread(&handover::tag<Work>);
        promise->addResult(work());
        publishToThread(pool); // for waitForPool
        promise->finish();
    };
    publishToThread(&handover::tag<Work>);
    pool.start(std::move(task));
    return future;
}

// Waits until everything started on `pool` has run: what that work did
// happens before what the caller does next. Owners call it before the members
// the work uses go away.
inline void waitForPool(QThreadPool& pool)
{
    pool.waitForDone();
    receiveFromThread(&pool);
}

} // namespace lustrelab
