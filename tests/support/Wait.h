#pragma once

#include <functional>

namespace quillon::test {

// Runs the Qt event loop until the condition holds or the time is up; true when it held.
// Tests wait on conditions, never on fixed sleeps.
bool waitUntil(const std::function<bool()>& condition, int timeoutMs = 5000);

}  // namespace quillon::test
