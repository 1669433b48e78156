#pragma once

#include <functional>

class QObject;

namespace quillon {

// Turns SIGTERM, SIGINT and SIGHUP (the system shutting down, the session ending, Ctrl+C in a
// terminal) into a call of `handler` on the user-interface thread, from the event loop, so that
// the program can end in order instead of being cut off. Call once, after the application
// object exists; `context` owns the listener.
void OnTerminationSignal(QObject* context, std::function<void()> handler);

}  // namespace quillon
