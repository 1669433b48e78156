#pragma once

#include <chrono>

namespace quillon {

// Qt stops its helper threads (the global pool's, which the raster painter uses for large fills,
// and the D-Bus connection's, which the tray icon, the accessibility bridge and the keyring use)
// as the application object and Qt's global objects go. But each thread frees its own
// bookkeeping only as it exits, after the stop has returned, so a program that ends at once
// leaves them to the process's exit, where the leak checker of the sanitizer builds can see
// their state as lost.
//
// Waits, at most `limit`, until none of Qt's helper threads is left in this process. True when
// none is.
bool AwaitQtThreadsEnd(std::chrono::milliseconds limit);

// Declared before the application object: arranges that the process's exit waits (at most a
// second) for Qt's helper threads, after Qt's global objects have stopped them. Exit handlers run
// in the reverse order of their registration, so this one, registered before Qt starts any
// thread, runs after theirs.
struct QtThreadsEndBeforeExit {
    QtThreadsEndBeforeExit();
    QtThreadsEndBeforeExit(const QtThreadsEndBeforeExit&) = delete;
    QtThreadsEndBeforeExit& operator=(const QtThreadsEndBeforeExit&) = delete;
};

// The names Qt gives those threads, as the system lists them.
inline constexpr const char* kPooledThreadName = "Thread (pooled)";
inline constexpr const char* kDBusThreadName = "QDBusConnection";

}  // namespace quillon
