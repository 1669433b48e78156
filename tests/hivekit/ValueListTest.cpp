// The value list (colRegistry and clsRegKeyData) and CountChar.
#include <gtest/gtest.h>

#include "hivekit/ComError.h"
#include "hivekit/Module1.h"
#include "hivekit/colRegistry.h"

namespace hivekit::test {
namespace {

// Item fails with the error, and Find, which the value reads use, reports it without raising.
void ExpectCollectionError(const colRegistry& list, const Var& index, const char* description) {
    colRegistry::Miss miss;
    EXPECT_EQ(list.Find(index, miss), nullptr);
    EXPECT_EQ(miss.number, 1200);
    EXPECT_STREQ(miss.source, "Registry Collection");
    EXPECT_STREQ(miss.description, description);
    try {
        list.Item(index);
        ADD_FAILURE() << "lookup succeeded: " << description;
    } catch (const ComError& e) {
        EXPECT_EQ(e.Number(), 1200);
        EXPECT_EQ(e.Source(), "Registry Collection");
        EXPECT_EQ(e.Description(), description);
    }
}

TEST(ValueList, KeysAreUniqueWithoutRegardToCaseAndLookupsFailWithTheirTexts) {
    colRegistry list;
    list.Add("Name", "Name", 1, std::string("a"));
    EXPECT_THROW(list.Add("NAME", "NAME", 1, std::string("b")), ComError);
    list.Add("other", "other", 4, std::int32_t{7});
    list.Add("", "", 1, std::string("unfiled"));
    EXPECT_EQ(list.Count(), 2);
    EXPECT_EQ(list.Item(std::string("name"))->GetDataStr(), "a");
    EXPECT_EQ(list.Item(std::int16_t{2})->GetDataLong(), 7);
    ExpectCollectionError(list, std::int16_t{0}, "Invalid Index");
    ExpectCollectionError(list, std::int16_t{3}, "Invalid Index");
    ExpectCollectionError(list, std::string("missing"), "Name not Found in Current Key");
    list.Remove(std::string("NAME"));
    EXPECT_EQ(list.Item(std::int16_t{1})->ItemName, "other");
}

TEST(ValueList, MultiStringsAreCountedAndSplit) {
    colRegistry list;
    auto item = list.Add("m", "m", 7, std::string("first\0second\0\0", 14));
    EXPECT_EQ(item->GetMultiStringCount(), 2);
    std::vector<std::string> strings(2);
    EXPECT_EQ(item->GetDataMultiStr(strings), "");
    EXPECT_EQ(strings, (std::vector<std::string>{"first", "second"}));
    // A caller's array that is too short is filled as far as it reaches.
    std::vector<std::string> one(1);
    item->GetDataMultiStr(one);
    EXPECT_EQ(one[0], "first");
}

TEST(ValueList, BinaryKeepsNameAndTypeOnlyAndOtherTypesWantBytes) {
    colRegistry list;
    auto binary = list.Add("b", "b", 3, Bytes{1, 2, 3});
    EXPECT_EQ(binary->GetDataType(), 3);
    EXPECT_EQ(binary->GetDataStr(), "");
    EXPECT_EQ(binary->GetDataLong(), 0);
    EXPECT_EQ(binary->GetMultiStringCount(), 0);
    EXPECT_THROW(list.Add("odd", "odd", 11, std::string("text")), ComError);
    EXPECT_EQ(list.Add("odd", "odd", 11, Bytes{9, 9})->GetDataType(), 11);
    EXPECT_THROW(list.Add("big", "big", 11, Bytes(514, 1)), ComError);
}

TEST(ValueList, CountCharCountsOneCharacter) {
    EXPECT_EQ(CountChar("a%b%c", "%"), 2);
    EXPECT_EQ(CountChar(std::string("a\0b\0", 4), std::string_view("\0", 1)), 2);
    EXPECT_EQ(CountChar("abc", "%"), 0);
    EXPECT_EQ(CountChar("", "%"), 0);
}

}  // namespace
}  // namespace hivekit::test
