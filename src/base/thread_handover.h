#pragma once

// Marks where data passes from one thread to another through Qt's thread pool,
// QFuture or a queued call. Qt orders those hand-overs with futex-based locks
// inside its own libraries; a ThreadSanitizer build of our code against an
// uninstrumented Qt cannot see them and would report every hand-over as a
// race. These calls tell it about the ordering that is really there. They
// cost nothing in every other build.
//
// Both sides name the same `tag`, any address the two threads share for the
// hand-over (the work item, the object that owns the worker). The sender
// calls publishToThread() after its last write the receiver relies on; the
// receiver calls receiveFromThread() before its first read.
//
// Work handed to a QThreadPool goes through run_then_deliver.h, which makes
// these calls; only code that shares memory across threads some other way
// (several pool threads on one buffer) calls them itself.

#if defined(__has_feature)
#if __has_feature(thread_sanitizer)
#define LUSTRELAB_THREAD_SANITIZER 1
#endif
#endif
#if defined(__SANITIZE_THREAD__) && !defined(LUSTRELAB_THREAD_SANITIZER)
#define LUSTRELAB_THREAD_SANITIZER 1
#endif

#ifdef LUSTRELAB_THREAD_SANITIZER
extern "C" {
void __tsan_acquire(void* address);
void __tsan_release(void* address);
}
#endif

namespace lustrelab {

// Everything this thread did so far happens before what a thread does after
// receiveFromThread(tag).
inline void publishToThread([[maybe_unused]] const void* tag)
{
#ifdef LUSTRELAB_THREAD_SANITIZER
    __tsan_release(const_cast<void*>(tag));
#endif
}

// What any thread did before publishToThread(tag) happens before what this
// thread does next.
inline void receiveFromThread([[maybe_unused]] const void* tag)
{
#ifdef LUSTRELAB_THREAD_SANITIZER
    __tsan_acquire(const_cast<void*>(tag));
#endif
}

} // namespace lustrelab
