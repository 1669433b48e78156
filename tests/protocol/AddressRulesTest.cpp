#include <gtest/gtest.h>

#include "protocol/AddressRules.h"

namespace quillon {
namespace {

TEST(AddressRules, FourPartsEachADecimalFrom0To255) {
    struct Case {
        const char* text;
        bool valid;
    };
    // A blank would reach the service inside the address: refused, as are signs and exponents.
    const Case cases[] = {
        {"0.0.0.0", true},    {"255.255.255.255", true}, {"010.001.0.255", true},
        {"1. 2.3.4", false},  {"1.2.3", false},          {"1.2.3.4.5", false},
        {"1.2.3.256", false}, {"1..3.4", false},         {"", false},
        {"1.2.3. ", false},   {"+1.2.3.4", false},       {"1e2.0.0.1", false},
        {"1.2.3.4x", false},  {"1.2.3.0000256", false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(IsValidIPAddress(QString::fromLatin1(c.text)), c.valid) << '"' << c.text << '"';
    }
}

}  // namespace
}  // namespace quillon
