// The members of CRegistry against a real store: enumeration, reads, typed writes, the
// default value, keys, AutoCreate and the errors and notices with their texts.
#include <hivekit/Hivekit.h>

#include "StoreFixture.h"
#include "hivekit/CRegistry.h"
#include "hivekit/ComError.h"

namespace hivekit::test {
namespace {

class CRegistryTest : public StoreFixture {
  protected:
    // SetValue with the kinds a caller passes.
    bool Set(CRegistry& r, Var name, Var value, std::int16_t type = 0) {
        return r.SetValue(name, value, type);
    }
    static Var S(const std::string& s) { return Var(s); }
};

std::string Names(CRegistry& r) {
    std::string out;
    for (std::int16_t i = 1; i < r.GetValueCount(); ++i) {
        out += r.GetName(i) + ";";
    }
    return out;
}

// --- Enumeration and ValueCount ---------------------------------------------------------

TEST_F(CRegistryTest, EmptyKeyCountsOneAndThreeValuesCountFourInWriteOrder) {
    CRegistry r;
    EXPECT_EQ(r.GetValueCount(), 0);
    r.PutKey("SOFTWARE\\Corvane\\Init");
    EXPECT_EQ(r.GetValueCount(), 1);
    EXPECT_TRUE(KeyExists("SOFTWARE\\Corvane\\Init"));

    EXPECT_TRUE(Set(r, S("sUsername"), S("alice")));
    EXPECT_TRUE(Set(r, S("bSSL"), S("1")));
    EXPECT_TRUE(Set(r, S("Port"), std::int32_t{80}));
    EXPECT_EQ(r.GetValueCount(), 4);
    EXPECT_EQ(Names(r), "sUsername;bSSL;Port;");
    try {
        r.GetName(4);
        FAIL() << "position 4 of 3 values was given";
    } catch (const ComError& e) {
        EXPECT_EQ(e.Number(), 1200);
        EXPECT_EQ(e.Source(), "Registry Collection");
        EXPECT_EQ(e.Description(), "Invalid Index");
    }
    EXPECT_THROW(r.GetName(0), ComError);
}

TEST_F(CRegistryTest, RewrittenValueKeepsPlaceDeletedAndRewrittenGoesToEnd) {
    CRegistry r;
    r.PutKey("K");
    Set(r, S("a"), S("1"));
    Set(r, S("b"), S("2"));
    Set(r, S("c"), S("3"));
    Set(r, S("A"), S("again"));  // same name, other case: keeps its place and its first case
    EXPECT_EQ(Names(r), "a;b;c;");
    EXPECT_EQ(r.GetValue(S("a")), "again");
    std::string b = "B";
    EXPECT_TRUE(r.DeleteValue(b));
    EXPECT_EQ(Names(r), "a;c;");
    Set(r, S("b"), S("back"));
    EXPECT_EQ(Names(r), "a;c;b;");
}

TEST_F(CRegistryTest, NamesCompareWithoutCaseBeyondAscii) {
    CRegistry r;
    r.PutKey("Ärger\\Öl");
    Set(r, S("Größe"), S("x"));
    Set(r, S("ÉTÉ"), S("summer"));
    CRegistry other;
    other.PutKey("ärger\\öL");  // the same key
    EXPECT_EQ(other.GetValueCount(), 3);
    EXPECT_EQ(other.GetValue(S("été")), "summer");
    EXPECT_EQ(other.GetValue(S("GRÖSSE")), "");  // ß has no single upper-case letter
    EXPECT_EQ(other.GetValue(S("gröSSe")), "");
    EXPECT_EQ(other.GetValue(S("GRÖßE")), "x");
}

// --- Reading by position and by name -------------------------------------------------

TEST_F(CRegistryTest, GetValueTrimsTextAndGivesNumbersInDecimal) {
    CRegistry r;
    r.PutKey("K");
    Set(r, S("text"), S("  padded  "));
    Set(r, S("minus"), std::int32_t{-1});
    Set(r, S("tab"), S("\tkept\t"));
    EXPECT_EQ(r.GetValue(S("TEXT")), "padded");
    EXPECT_EQ(r.GetValue(std::int16_t{1}), "padded");
    EXPECT_EQ(r.GetValue(std::int32_t{2}), "-1");
    EXPECT_EQ(r.GetValue(S("tab")), "\tkept\t");  // only blanks are trimmed
    EXPECT_TRUE(notices.empty());
}

TEST_F(CRegistryTest, MissingNameOrPositionGivesEmptyTextAndANotice) {
    CRegistry r;
    r.PutKey("K");
    Set(r, S("one"), S("1"));
    EXPECT_EQ(r.GetValue(S("nothing")), "");
    EXPECT_EQ(r.GetValue(std::int16_t{7}), "");
    ASSERT_EQ(notices.size(), 2u);
    EXPECT_EQ(notices[0], "Registry Collection|Name not Found in Current Key");
    EXPECT_EQ(notices[1], "Registry Collection|Invalid Index");
}

// --- Typed writes ------------------------------------------------------------------------

TEST_F(CRegistryTest, SetValueChoosesTheTypeFromTheValue) {
    CRegistry r;
    r.PutKey("K");
    Var empty = S("");
    Var name = S("blank");
    EXPECT_TRUE(r.SetValue(name, empty, 0));
    EXPECT_EQ(std::get<std::string>(empty), " ");  // the caller's variable changes too
    Set(r, S("path"), S("%HOME%\\x"));
    Set(r, S("five"), std::int16_t{5});
    Set(r, S("fiveTyped"), S("5"), 4);
    Set(r, S("multi"), S(std::string("a\0b", 3)));
    Set(r, S("typed1"), std::int32_t{12}, 1);
    const auto rows = RawValues("K");
    ASSERT_EQ(rows.size(), 6u);
    EXPECT_EQ(rows[0].type, RegSz);
    EXPECT_EQ(rows[0].data, std::string(" \0", 2));
    EXPECT_EQ(r.GetValue(S("blank")), "");
    EXPECT_EQ(rows[1].type, RegExpandSz);
    EXPECT_EQ(r.GetValue(S("path")), "%HOME%\\x");  // not expanded
    EXPECT_EQ(rows[2].type, RegDword);
    EXPECT_EQ(rows[2].data, std::string("\x05\0\0\0", 4));
    EXPECT_EQ(rows[3].type, RegDword);
    EXPECT_EQ(rows[3].data, rows[2].data);
    EXPECT_EQ(rows[4].type, RegMultiSz);
    EXPECT_EQ(rows[4].data, std::string("a\0b\0", 4));
    EXPECT_EQ(rows[5].type, RegSz);
    EXPECT_EQ(r.GetValue(S("typed1")), "12");
}

TEST_F(CRegistryTest, SixteenBitNameIsAPositionThirtyTwoBitNameIsADigit) {
    CRegistry r;
    r.PutKey("K");
    Set(r, S("first"), S("1"));
    Set(r, S("second"), S("2"));
    EXPECT_TRUE(Set(r, std::int16_t{2}, S("by position")));
    EXPECT_TRUE(Set(r, std::int32_t{2}, S("by name")));
    EXPECT_EQ(Names(r), "first;second;2;");
    EXPECT_EQ(r.GetValue(S("second")), "by position");
    EXPECT_EQ(r.GetValue(S("2")), "by name");
    // A position past the list is the lookup's error, passed on.
    EXPECT_THROW(Set(r, std::int16_t{9}, S("x")), ComError);
}

TEST_F(CRegistryTest, ByteArraysAndUnwrittenTypesWriteNothingButSucceed) {
    CRegistry r;
    r.PutKey("K");
    EXPECT_TRUE(Set(r, S("bytes"), Bytes{1, 2, 3}));
    EXPECT_EQ(notices, std::vector<std::string>{"|Byute Array"});
    EXPECT_TRUE(Set(r, S("expand"), S("x"), 2));
    EXPECT_TRUE(Set(r, S("binary"), S("x"), 3));
    // A single byte is not a 16- or 32-bit integer: with no type it is not written either.
    EXPECT_TRUE(Set(r, S("byte"), std::uint8_t{5}));
    EXPECT_TRUE(RawValues("K").empty());
    // With the DWORD type it is a number like any other.
    EXPECT_TRUE(Set(r, S("byte"), std::uint8_t{5}, 4));
    EXPECT_EQ(RawValues("K").at(0).data, std::string("\5\0\0\0", 4));
    EXPECT_TRUE(Set(r, S("multi"), Bytes{'a', 0, 'b', 0, 0}, 7));
    EXPECT_EQ(RawValues("K").at(1).data, std::string("a\0b\0\0", 5));
    EXPECT_THROW(Set(r, S("multi"), S("not bytes"), 7), ComError);
    EXPECT_THROW(Set(r, S("n"), S("abc"), 4), ComError);
}

// --- The default value -------------------------------------------------------------------

TEST_F(CRegistryTest, TextDefaultIsListedAsDefaultOtherDefaultsAreOnlyCounted) {
    PutRaw("K", "", RegSz, std::string("dflt\0", 5));
    PutRaw("K", "x", RegSz, std::string("1\0", 2));
    CRegistry r;
    r.PutKey("K");
    EXPECT_EQ(Names(r), "<DEFAULT>;x;");
    EXPECT_EQ(r.GetValue(S("<default>")), "dflt");

    PutRaw("D", "", RegDword, std::string("\1\0\0\0", 4));
    PutRaw("D", "y", RegSz, std::string("2\0", 2));
    r.PutKey("D");
    EXPECT_EQ(r.GetValueCount(), 3);  // both counted
    EXPECT_EQ(r.GetName(1), "y");     // the unnamed DWORD is not listed
    EXPECT_THROW(r.GetName(2), ComError);
}

// --- Keys: Create, DeleteValue, DeleteKey, AutoCreate ---------------------------------------

TEST_F(CRegistryTest, CreateMakesTheSubKeyCurrentAndWritesTheGivenValue) {
    CRegistry r;
    r.PutKey("A");
    EXPECT_EQ(r.Create("sub", nullptr, nullptr), -1);
    EXPECT_EQ(r.GetKey(), "A\\sub");
    EXPECT_TRUE(KeyExists("A\\sub"));
    const Var name = S("v");
    const std::string value = "hello";
    EXPECT_EQ(r.Create("A\\sub", &name, &value), -1);
    EXPECT_EQ(r.GetKey(), "A\\sub");
    EXPECT_EQ(r.GetValue(S("v")), "hello");
}

TEST_F(CRegistryTest, DeleteKeyRemovesANestedTree) {
    CRegistry r;
    r.PutKey("Top\\Mid\\Low\\Deep");
    Set(r, S("deep"), S("1"));
    r.PutKey("Top\\Mid\\Other");
    Set(r, S("other"), S("2"));
    r.PutKey("Top\\Sibling");
    r.PutKey("Top");
    EXPECT_TRUE(r.DeleteKey("mid"));
    EXPECT_FALSE(KeyExists("Top\\Mid"));
    EXPECT_TRUE(KeyExists("Top\\Sibling"));
    EXPECT_FALSE(r.DeleteKey("Mid"));  // gone already
    // No sub-key named: the current key and its sub-keys stay.
    EXPECT_FALSE(r.DeleteKey(""));
    EXPECT_TRUE(KeyExists("Top\\Sibling"));
}

TEST_F(CRegistryTest, DeleteKeyThroughAnObjectThatStandsForTheRootIsRefused) {
    CRegistry writer;
    writer.PutKey("SOFTWARE\\Other\\Program");
    Set(writer, S("setting"), S("1"));
    for (const char* key : {"", "\\", "\\\\"}) {
        CRegistry r;
        if (*key) {
            r.PutKey(key);
        }
        EXPECT_FALSE(r.DeleteKey("SOFTWARE")) << "Key \"" << key << "\"";
        EXPECT_FALSE(r.DeleteKey("SOFTWARE\\Other")) << "Key \"" << key << "\"";
        EXPECT_TRUE(KeyExists("SOFTWARE\\Other\\Program"));
    }
    // Below the root the same name is a sub-key and goes.
    CRegistry r;
    r.PutKey("SOFTWARE");
    EXPECT_TRUE(r.DeleteKey("Other"));
    EXPECT_FALSE(KeyExists("SOFTWARE\\Other"));
}

TEST_F(CRegistryTest, DeleteValueReportsWhetherTheValueWasThere) {
    CRegistry r;
    r.PutKey("K");
    Set(r, S("a"), S("1"));
    std::string a = "a";
    EXPECT_TRUE(r.DeleteValue(a));
    EXPECT_FALSE(r.DeleteValue(a));
    EXPECT_EQ(r.GetValueCount(), 1);
}

TEST_F(CRegistryTest, AutoCreateOffLeavesAMissingKeyAloneAndTheListAsItWas) {
    CRegistry r;
    r.PutKey("Here");
    Set(r, S("kept"), S("1"));
    r.PutAutoCreate(false);
    r.PutKey("Missing\\Key");  // no error reaches the caller
    EXPECT_FALSE(KeyExists("Missing\\Key"));
    EXPECT_EQ(r.GetValueCount(), 2);
    EXPECT_EQ(r.GetValue(S("kept")), "1");
    try {
        Set(r, S("x"), S("y"));
        FAIL() << "a write to a missing key with AutoCreate off succeeded";
    } catch (const ComError& e) {
        EXPECT_EQ(e.Number(), RegErrorOpenFail);
        EXPECT_EQ(e.Source(), "GetKeyInfo");
        EXPECT_EQ(e.Description(), "Unable to open Key");
    }
    EXPECT_FALSE(KeyExists("Missing\\Key"));
}

TEST_F(CRegistryTest, AnEmptyKeyReadsTheRootAndWritesNothing) {
    CRegistry r;
    r.PutKey("");
    EXPECT_EQ(r.GetValueCount(), 1);
    EXPECT_TRUE(notices.empty());
    EXPECT_FALSE(Set(r, S("stray"), S("x")));
    EXPECT_TRUE(RawValues("").empty());
}

// --- Errors and properties -------------------------------------------------------------------

TEST_F(CRegistryTest, ValueCountCannotBePutAndStays) {
    CRegistry r;
    r.PutKey("K");
    std::int16_t n = 9;
    try {
        r.PutValueCount(n);
        FAIL();
    } catch (const ComError& e) {
        EXPECT_EQ(e.Number(), RegErrorNoLetProperty);
        EXPECT_EQ(e.Source(), "CRegistry.Let ValueCount");
        EXPECT_EQ(e.Description(), "The Let Property is not available");
    }
    EXPECT_EQ(r.GetValueCount(), 1);
    EXPECT_EQ(r.GetAccess(), 0x2001F);
    EXPECT_EQ(r.GetRoot(), HkeyLocalMachine);
    r.PutDefault("anything");
    EXPECT_EQ(r.GetDefault(), "");
}

TEST_F(CRegistryTest, RootsKeepTheirKeysApart) {
    CRegistry machine;
    machine.PutKey("Same");
    Set(machine, S("where"), S("machine"));
    CRegistry user;
    user.PutRoot(HkeyCurrentUser);
    user.PutKey("Same");
    EXPECT_EQ(user.GetValueCount(), 1);
    Set(user, S("where"), S("user"));
    machine.PutKey("Same");
    EXPECT_EQ(machine.GetValue(S("where")), "machine");
    CRegistry bad;
    bad.PutRoot(0x1234);
    bad.PutKey("Same");
    EXPECT_EQ(bad.GetValueCount(), 0);
    EXPECT_EQ(notices, std::vector<std::string>{"|Unknown error"});
}

TEST_F(CRegistryTest, InternalReadersFollowTheirTypes) {
    CRegistry r;
    r.PutKey("K");
    Set(r, S("multi"), S(std::string("one\0two\0", 8)));  // stored with a closing zero
    Set(r, S("num"), std::int32_t{42});
    Set(r, S("exp"), S(" %HIVEKIT_TEST_VAR%-%NOPE_NOT_SET% "));
    setenv("HIVEKIT_TEST_VAR", "val", 1);
    EXPECT_EQ(r.GetStringArray(S("multi")), (std::vector<std::string>{"one", "two"}));
    EXPECT_THROW(r.GetStringArray(S("num")), ComError);
    EXPECT_EQ(r.GetDword(S("num")), 42);
    EXPECT_EQ(r.GetDword(S("multi")), 0);
    EXPECT_EQ(r.GetExpandedString(S("exp")), " val-%NOPE_NOT_SET% ");
    EXPECT_EQ(std::get<std::string>(r.GetString(S("exp"))), " %HIVEKIT_TEST_VAR%-%NOPE_NOT_SET% ");
    EXPECT_EQ(r.GetValueType(S("exp")), RegExpandSz);
    EXPECT_EQ(r.GetValueType(S("none")), 0);
    EXPECT_EQ(notices.back(), "Registry Collection|Name not Found in Current Key");
    unsetenv("HIVEKIT_TEST_VAR");
}

}  // namespace
}  // namespace hivekit::test
