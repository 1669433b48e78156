#include <gtest/gtest.h>

#include <QComboBox>
#include <QStringList>

#include "desktop/FillComboFromList.h"
#include "platform/NullToZero.h"
#include "protocol/basDNS.h"

using namespace quillon;

namespace {

struct ReplyCase {
    const char* reply;
    const char* tag;
    const char* expected;
};

class GetReplyValueTest : public ::testing::TestWithParam<ReplyCase> {};

TEST_P(GetReplyValueTest, ExtractsTheField) {
    const ReplyCase& c = GetParam();
    EXPECT_EQ(GetReplyValue(QString::fromUtf8(c.reply), QString::fromUtf8(c.tag)),
              QString::fromUtf8(c.expected));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, GetReplyValueTest,
    ::testing::Values(ReplyCase{"<p>IPAddress: 10.0.0.5 </p>", "IPAddress:", "10.0.0.5"},
                      ReplyCase{"<p>ipaddress: 10.0.0.5 </p>", "IPAddress:", ""},
                      ReplyCase{"<p>IPAddress:10.0.0.5</P></p>", "IPAddress:", "10.0.0.5</P>"},
                      ReplyCase{"<p>Error:</p>", "Error:", ""},
                      ReplyCase{"nothing here", "Error:", ""}, ReplyCase{"", "Error:", ""},
                      // The first occurrence wins; the value ends at the first "</p" after the tag.
                      ReplyCase{"<p>A:one</p><p>A:two</p>", "A:", "one"},
                      ReplyCase{"<p>X:a</pre></p>", "X:", "a"},
                      // Only spaces are trimmed: tabs and line breaks stay.
                      ReplyCase{"<p>X: \ta\n </p>", "X:", "\ta\n"},
                      // A tag that ends another tag matches there too (plain search).
                      ReplyCase{"<p>LastName:Doe</p><p>Name:Jo</p>", "Name:", "Doe"},
                      // No closing "</p": a reply cut short, whose fragment is no value.
                      ReplyCase{"<p>X: tail ", "X:", ""},
                      ReplyCase{"<p>DNS LOGIN: SUCCESS </p>", "DNS LOGIN:", "SUCCESS"},
                      // Near misses before the tag, and a tag that ends the reply.
                      ReplyCase{"IPAddress IIPAddress: 3</p", "IPAddress:", "3"},
                      ReplyCase{"<p>IPAddress:", "IPAddress:", ""}, ReplyCase{"<p>X:a</", "X:", ""},
                      ReplyCase{"<p>N:J\xc3\xa9r\xc3\xb4me</p>", "N:", "J\xc3\xa9r\xc3\xb4me"}));

TEST(TrimNull, NullEmptyAndValues) {
    EXPECT_EQ(TrimNull(QVariant()), QString());
    EXPECT_EQ(TrimNull(QVariant::fromValue(nullptr)), QString());
    EXPECT_EQ(TrimNull(QString()), QString());
    EXPECT_EQ(TrimNull(QStringLiteral("  a b  ")), QStringLiteral("a b"));
    EXPECT_EQ(TrimNull(QStringLiteral("\ta\t")), QStringLiteral("\ta\t"));
    EXPECT_EQ(TrimNull(QVariant(42)), QStringLiteral("42"));
    EXPECT_EQ(TrimNull(QStringLiteral("   ")), QString());
}

TEST(NullToZero, NullBlankAndValues) {
    EXPECT_EQ(NullToZero(QVariant()), QStringLiteral("0"));
    EXPECT_EQ(NullToZero(QVariant::fromValue(nullptr)), QStringLiteral("0"));
    EXPECT_EQ(NullToZero(QString()), QStringLiteral("0"));
    EXPECT_EQ(NullToZero(QStringLiteral(" ")), QStringLiteral("0"));
    EXPECT_EQ(NullToZero(QStringLiteral(" 2 ")), QStringLiteral(" 2 "));
    EXPECT_EQ(NullToZero(QVariant(3)), QStringLiteral("3"));
    EXPECT_EQ(NullToZero(QStringLiteral("\t")), QStringLiteral("\t"));
}

// A filled list has nothing selected and shows no text: the editor's validation reads an empty
// text as "not chosen".
TEST(FillComboFromList, ReplacesTheItemsInOrderWithNothingSelected) {
    QComboBox combo;
    combo.addItem(QStringLiteral("old"));
    FillComboFromList(&combo, QStringLiteral("80,1400,8080"));
    ASSERT_EQ(combo.count(), 3);
    EXPECT_EQ(combo.itemText(0), QStringLiteral("80"));
    EXPECT_EQ(combo.itemText(1), QStringLiteral("1400"));
    EXPECT_EQ(combo.itemText(2), QStringLiteral("8080"));
    EXPECT_EQ(combo.currentIndex(), -1);
    EXPECT_EQ(combo.currentText(), QString());

    combo.setCurrentIndex(1);
    FillComboFromList(&combo, QStringLiteral(" a,,b "));
    ASSERT_EQ(combo.count(), 3);
    EXPECT_EQ(combo.currentIndex(), -1);
    EXPECT_EQ(combo.currentText(), QString());
    EXPECT_EQ(combo.itemText(0), QStringLiteral(" a"));
    EXPECT_EQ(combo.itemText(1), QString());
    EXPECT_EQ(combo.itemText(2), QStringLiteral("b "));

    FillComboFromList(&combo, QString());
    EXPECT_EQ(combo.count(), 0);

    FillComboFromList(nullptr, QStringLiteral("x"));  // nothing to fill, nothing happens
}

struct EncodeCase {
    const char* value;
    const char* encoded;
};

class EncodeQueryValueTest : public ::testing::TestWithParam<EncodeCase> {};

TEST_P(EncodeQueryValueTest, EncodesOnlyWhatChangesTheRequest) {
    EXPECT_EQ(EncodeQueryValue(QString::fromUtf8(GetParam().value)),
              QString::fromLatin1(GetParam().encoded));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, EncodeQueryValueTest,
    ::testing::Values(EncodeCase{"home.jdoe", "home.jdoe"}, EncodeCase{"@", "@"},
                      EncodeCase{"HTTP://relay.example:8080/cam;x",
                                 "HTTP://relay.example:8080/cam;x"},
                      EncodeCase{"MX 1", "MX%201"},
                      EncodeCase{"www&DNSCommand=RECORDDELETE", "www%26DNSCommand%3DRECORDDELETE"},
                      EncodeCase{"p#a%s+s?", "p%23a%25s%2Bs%3F"},
                      EncodeCase{"a\tb\nc\x7f", "a%09b%0Ac%7F"}, EncodeCase{"\xc3\xa9", "%C3%A9"},
                      EncodeCase{"~!*'()[]$,-_", "~!*'()[]$,-_"}, EncodeCase{"", ""}));

TEST(Queries, OrdinaryRequestsAreSentAsWritten) {
    EXPECT_EQ(LoginQuery(QStringLiteral("jdoe"), QStringLiteral("s3cret")),
              QStringLiteral("?fxn=login&usr=jdoe&pwd=s3cret"));
    EXPECT_EQ(GetIPAddressQuery(QStringLiteral("jdoe")),
              QStringLiteral("?FXN=GetIPAddress&Usr=jdoe"));
    EXPECT_EQ(DNSTicklerQuery(QStringLiteral("jdoe"), QStringLiteral("pw"), QStringLiteral("@"),
                              QStringLiteral("example.net"), QStringLiteral("RECORDADD"),
                              QStringLiteral("MX 1"), QStringLiteral("10.0.0.5")),
              QStringLiteral("?FXN=DNSTickler&Usr=jdoe&Pwd=pw&Cname=@&Domain=example.net"
                             "&DNSCommand=RECORDADD&RecordType=MX%201&IPAddress=10.0.0.5"));
    EXPECT_EQ(DNSTicklerAdvancedQuery(QStringLiteral("jdoe"), QStringLiteral("pw"),
                                      QStringLiteral("home"), QStringLiteral("example.net"),
                                      QStringLiteral("RECORDDELETE"), QStringLiteral("A"),
                                      QStringLiteral("1.2.3.4")),
              QStringLiteral("?FXN=DNSTicklerAdvanced&Usr=jdoe&Pwd=pw&Cname=home.jdoe"
                             "&Domain=example.net&DNSCommand=RECORDDELETE&RecordType=A"
                             "&IPAddress=1.2.3.4"));
}

TEST(Queries, ArgumentsCannotRewriteTheRequest) {
    const QString query = DNSTicklerQuery(
        QStringLiteral("jdoe"), QStringLiteral("a&b c#"),
        QStringLiteral("www&DNSCommand=RECORDDELETE"), QStringLiteral("example.net"),
        QStringLiteral("RECORDADD"), QStringLiteral("A"), QStringLiteral("1.2.3.4"));
    EXPECT_EQ(query.count(QLatin1Char('&')), 7);
    EXPECT_EQ(query.count(QLatin1Char('=')), 8);
    EXPECT_FALSE(query.contains(QLatin1Char('#')));
    EXPECT_FALSE(query.contains(QLatin1Char(' ')));
}

}  // namespace
