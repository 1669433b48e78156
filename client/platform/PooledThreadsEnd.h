#pragma once

#include <chrono>

namespace quillon {

// Qt's global thread pool, which the raster painter uses for large fills, ends its threads when
// the application object goes; but each thread frees its own bookkeeping only as it exits, after
// the application's destructor has returned. A program that leaves main at once leaves those
// threads to the process's exit, where the leak checker of the sanitizer builds sees their state
// as lost.
//
// Waits, at most `limit`, until no pooled thread is left in this process. True when none is.
bool AwaitPooledThreadsEnd(std::chrono::milliseconds limit);

// Declared before the application object: waits, as main ends, for the pool's threads that the
// application's destructor stopped.
struct PooledThreadsEndBeforeExit {
    PooledThreadsEndBeforeExit() = default;
    PooledThreadsEndBeforeExit(const PooledThreadsEndBeforeExit&) = delete;
    PooledThreadsEndBeforeExit& operator=(const PooledThreadsEndBeforeExit&) = delete;
    ~PooledThreadsEndBeforeExit() { AwaitPooledThreadsEnd(std::chrono::seconds(1)); }
};

// The name Qt gives a pool's threads, as the system lists it.
inline constexpr const char* kPooledThreadName = "Thread (pooled)";

}  // namespace quillon
