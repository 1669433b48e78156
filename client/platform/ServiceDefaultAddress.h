#pragma once

// The address the service gives a free account's host while the host points nowhere of its own
// (a documentation address): the service parks the host there before the client first points it
// and after the client removes it, and the client removes that parking record after a login.
// Kept free of Qt so that corvane-sim, which stands in for the service, uses the same value.

namespace quillon {

inline constexpr const char* kServiceDefaultAddress = "198.51.100.1";

}  // namespace quillon
