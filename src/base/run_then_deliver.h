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
#include <memory>
#include <type_traits>

namespace lustrelab {

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
    const void* tag = &pool;
    publishToThread(tag);
    pool.start([tag, context, work = std::move(work), deliver = std::move(deliver)] {
        receiveFromThread(tag);
        Result result = work();
        publishToThread(tag);
        QMetaObject::invokeMethod(
            context,
            [tag, deliver, result = std::move(result)] {
                receiveFromThread(tag);
                deliver(result);
            },
            Qt::QueuedConnection);
    });
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
    publishToThread(promise.get());
    pool.start([promise, work = std::move(work)] {
        receiveFromThread(promise.get());
        promise->addResult(work());
        promise->finish();
    });
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
