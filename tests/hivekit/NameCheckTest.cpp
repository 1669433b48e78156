// Strict UTF-8 in names: forms that are not UTF-8 never alias a valid name, and the component
// refuses them, saying so.
#include <gtest/gtest.h>

#include "StoreFixture.h"
#include "hivekit/CRegistry.h"
#include "hivekit/NameFold.h"

namespace hivekit::test {
namespace {

TEST(NameFoldTest, OnlyTheShortestFormOfACharacterIsUtf8) {
    const auto length = [](std::string_view s) {
        char32_t cp = 0;
        return DecodeUtf8(s, 0, cp);
    };
    // Overlong forms of 'A', '"', LF and NUL; surrogates; beyond U+10FFFF.
    for (const char* bad :
         {"\xC1\x81", "\xC0\xA2", "\xE0\x80\x8A", "\xF0\x80\x80\x80", "\xC0\x80", "\xED\xA0\x80",
          "\xED\xBF\xBF", "\xF4\x90\x80\x80", "\xF5\x80\x80\x80"}) {
        EXPECT_EQ(length(bad), 0u) << bad;
        EXPECT_FALSE(IsValidName(bad));
    }
    // The edges that are characters.
    for (const char* good : {"\xC2\x80", "\xE0\xA0\x80", "\xED\x9F\xBF", "\xEE\x80\x80",
                             "\xF0\x90\x80\x80", "\xF4\x8F\xBF\xBF"}) {
        EXPECT_EQ(length(good), std::string_view(good).size()) << good;
    }
    EXPECT_NE(FoldName("\xC1\x81"), FoldName("A"));
    EXPECT_EQ(FoldName("x\xC0\x80y").find('\0'), std::string::npos);
    EXPECT_FALSE(IsValidName(std::string("a\0b", 3)));
    EXPECT_TRUE(IsValidName("Größe"));
}

class NameCheckTest : public StoreFixture {};

TEST_F(NameCheckTest, NamesThatAreNotUtf8AreRefusedAndLeaveValidOnesAlone) {
    CRegistry r;
    r.PutKey("K");
    Var a = std::string("A");
    Var one = std::string("1");
    ASSERT_TRUE(r.SetValue(a, one, 0));
    notices.clear();
    Var alias = std::string("\xC1\x81");
    Var two = std::string("2");
    EXPECT_FALSE(r.SetValue(alias, two, 0));
    std::string aliasName = "\xC1\x81";
    EXPECT_FALSE(r.DeleteValue(aliasName));
    EXPECT_EQ(r.GetValue(std::string("A")), "1");
    ASSERT_EQ(RawValues("K").size(), 1u);
    EXPECT_EQ(RawValues("K")[0].data, std::string("1\0", 2));
    // The refused write says why and that nothing was written; the refused delete says why.
    EXPECT_EQ(notices, (std::vector<std::string>{std::string("CRegistry|") + kNoticeBadValueName,
                                                 std::string("|") + kNoticeWriteFailed,
                                                 std::string("CRegistry|") + kNoticeBadValueName}));

    notices.clear();
    r.PutKey("x\xC0\x80y");
    EXPECT_FALSE(KeyExists("x\xC0\x80y"));
    ASSERT_EQ(notices.size(), 1u);
    EXPECT_EQ(notices[0], std::string("CRegistry|") + kNoticeBadKeyName);
    r.PutKey("K");
    EXPECT_FALSE(r.DeleteKey("\xC0\xAE"));
    EXPECT_EQ(r.Create("bad\xFF", nullptr, nullptr), 0);
}

TEST_F(NameCheckTest, AValueNameHoldingAZeroWritesNothingAndReportsTheFailedWrite) {
    CRegistry r;
    r.PutKey("K");
    notices.clear();
    // Cut at its zero, the name would be "A" and the write would land on another value.
    Var name = std::string("A\0B", 3);
    Var value = std::string("x");
    EXPECT_FALSE(r.SetValue(name, value, 0));
    EXPECT_TRUE(RawValues("K").empty());
    EXPECT_EQ(r.GetValueCount(), 1);
    EXPECT_EQ(notices, (std::vector<std::string>{std::string("CRegistry|") + kNoticeBadValueName,
                                                 std::string("|") + kNoticeWriteFailed}));
}

}  // namespace
}  // namespace hivekit::test
