#pragma once

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "hivekit/Notice.h"
#include "hivekit/Store.h"

namespace hivekit::test {

// Each test gets its own store file in a fresh folder (HIVEKIT_STORE), and the component's
// notices are collected instead of going to the system log.
class StoreFixture : public ::testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;

    // Notices given since the test began, as "title|text".
    std::vector<std::string> notices;
    std::string dir;
    std::string storePath;

    // The rows of a key as the store holds them.
    std::vector<ValueRow> RawValues(const std::string& key,
                                    std::int32_t root = static_cast<std::int32_t>(0x80000002u));
    // Writes a row straight into the store (types the component would not write itself).
    void PutRaw(const std::string& key, const std::string& name, std::int32_t type,
                const std::string& data);
    bool KeyExists(const std::string& key);

  private:
    NoticeSink oldSink_;
};

// A name made of a prefix and a number ("a7"). It appends rather than writing
// `"a" + std::to_string(7)`: in a loop, GCC 12 at -O3 inlines that concatenation's insert and
// reports a false -Wrestrict overlap in it.
inline std::string Numbered(std::string prefix, long long number) {
    prefix += std::to_string(number);
    return prefix;
}

}  // namespace hivekit::test
