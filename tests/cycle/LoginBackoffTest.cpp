#include <gtest/gtest.h>

#include "cycle/UpdateCycle.h"

namespace quillon::test {
namespace {

TEST(LoginBackoff, TenSecondsDoublingAtMostTheRefreshPeriod) {
    struct Case {
        int failures;
        int refresh;
        int wait;
    };
    const Case cases[] = {
        {1, 60, 10},  {2, 60, 20},   {3, 60, 40},        {4, 60, 60}, {5, 60, 60},
        {4, 120, 80}, {5, 120, 120}, {100000, 120, 120},  // no overflow on a long outage
        {0, 60, 10},  {1, 5, 10},    {3, 5, 10},          // never under one tick
    };
    for (const Case& c : cases) {
        EXPECT_EQ(LoginRetrySeconds(c.failures, c.refresh), c.wait)
            << c.failures << " failures, refresh " << c.refresh;
    }
}

}  // namespace
}  // namespace quillon::test
