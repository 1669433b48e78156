#pragma once

#include <string>

namespace corvane_sim {

class SimStore;

// Creates the demo accounts that are not there yet: "demo" (two domains, user level 5),
// "free" (a sub-domain account) and "expired" (expiration date in the past). `today` is
// yyyy-MM-dd; the live accounts expire a year after it.
void seedDemo(SimStore& store, const std::string& today);

// Today's local date as yyyy-MM-dd.
std::string todayText();

// The date one year after a yyyy-MM-dd date (29 February becomes 28 February).
std::string oneYearAfter(const std::string& date);

// A stored expiration date ("yyyy-MM-dd", optionally followed by " HH:mm:ss") as the service
// writes it in its login reply: month first, the way a server set to US English writes a date
// ("1/31/2020", "1/31/2020 3:45:00 PM"). A text in another form is returned unchanged.
std::string monthFirstDate(const std::string& stored);

}  // namespace corvane_sim
