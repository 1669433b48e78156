#pragma once

#include <string>

namespace corvane_sim {

class Store;

// Creates the demo accounts that are not there yet: "demo" (two domains, user level 5),
// "free" (a sub-domain account) and "expired" (expiration date in the past). `today` is
// yyyy-MM-dd; the live accounts expire a year after it.
void seedDemo(Store& store, const std::string& today);

// Today's local date as yyyy-MM-dd.
std::string todayText();

// The date one year after a yyyy-MM-dd date (29 February becomes 28 February).
std::string oneYearAfter(const std::string& date);

}  // namespace corvane_sim
