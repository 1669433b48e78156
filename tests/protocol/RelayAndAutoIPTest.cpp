#include <gtest/gtest.h>

#include "protocol/basDNS.h"

using namespace quillon;

namespace {

struct BuildCase {
    const char* address;
    const char* port;
    const char* addressAfter;
    const char* result;
};

class BuildRelayURLTest : public ::testing::TestWithParam<BuildCase> {};

TEST_P(BuildRelayURLTest, InsertsThePort) {
    const BuildCase& c = GetParam();
    QString address = QString::fromLatin1(c.address);
    EXPECT_EQ(BuildRelayURL(address, QString::fromLatin1(c.port)), QString::fromLatin1(c.result));
    EXPECT_EQ(address, QString::fromLatin1(c.addressAfter));
}

INSTANTIATE_TEST_SUITE_P(Cases, BuildRelayURLTest,
                         ::testing::Values(BuildCase{"myhost.net/x", "8080", "Http://myhost.net/x",
                                                     "Http://myhost.net:8080/x"},
                                           BuildCase{"a.b", "81", "Http://a.b", "Http://a.b:81"},
                                           BuildCase{"a.b", "web", "Http://a.b", "Http://a.b"},
                                           BuildCase{"a.b", "", "Http://a.b", "Http://a.b"},
                                           BuildCase{"hTTp://a.b/c/d", "8080", "hTTp://a.b/c/d",
                                                     "hTTp://a.b:8080/c/d"},
                                           BuildCase{"", "81", "Http://", "Http://:81"}));

struct SplitCase {
    const char* url;
    const char* host;
    const char* port;
    const char* path;
};

class SplitRelayURLTest : public ::testing::TestWithParam<SplitCase> {};

TEST_P(SplitRelayURLTest, SplitsHostPortAndPath) {
    const SplitCase& c = GetParam();
    QString host;
    QString port;
    QString path;
    SplitRelayURL(QString::fromLatin1(c.url), host, port, path);
    EXPECT_EQ(host, QString::fromLatin1(c.host));
    EXPECT_EQ(port, QString::fromLatin1(c.port));
    EXPECT_EQ(path, QString::fromLatin1(c.path));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SplitRelayURLTest,
    ::testing::Values(SplitCase{"HTTP://relay.example:8080/cam", "relay.example", "8080", "/cam"},
                      SplitCase{"box/cam", "box", "", "/cam"},
                      SplitCase{"http://box", "box", "", ""},
                      SplitCase{"Http://box:81", "box", "81", ""},
                      SplitCase{"box:web/a/b", "box", "", "/a/b"}, SplitCase{"", "", "", ""}));

TEST(RelayURL, BuildThenSplitGivesThePartsBack) {
    QString address = QStringLiteral("cam.example/live/view");
    QString host;
    QString port;
    QString path;
    SplitRelayURL(BuildRelayURL(address, QStringLiteral("1400")), host, port, path);
    EXPECT_EQ(host, QStringLiteral("cam.example"));
    EXPECT_EQ(port, QStringLiteral("1400"));
    EXPECT_EQ(path, QStringLiteral("/live/view"));
}

class AutoIPList : public ::testing::Test {
  protected:
    void SetUp() override { sAutoIPs.clear(); }
    void TearDown() override { sAutoIPs.clear(); }
};

TEST_F(AutoIPList, AddsOnceInUpperCase) {
    UpdateAutoIPEntry(QStringLiteral(" a.com "), QStringLiteral("home"),
                      QStringLiteral("RecordAdd"), QStringLiteral("A"), QStringLiteral("1.2.3.4"),
                      1);
    EXPECT_EQ(sAutoIPs, QStringLiteral("A.COM;;A;;HOME;;1.2.3.4~~"));
    UpdateAutoIPEntry(QStringLiteral("a.com"), QStringLiteral("HOME"), QStringLiteral("RECORDADD"),
                      QStringLiteral("A"), QStringLiteral("1.2.3.4"), 1);
    EXPECT_EQ(sAutoIPs, QStringLiteral("A.COM;;A;;HOME;;1.2.3.4~~"));
}

TEST_F(AutoIPList, AddKeepsTheCaseOfTheRestAndNeedsTracking) {
    sAutoIPs = QStringLiteral("b.com;;A;;@;;5.6.7.8~~");
    UpdateAutoIPEntry(QStringLiteral("a.com"), QStringLiteral("@"), QStringLiteral("RECORDADD"),
                      QStringLiteral("A"), QStringLiteral("1.2.3.4"), 0);
    EXPECT_EQ(sAutoIPs, QStringLiteral("b.com;;A;;@;;5.6.7.8~~"));
    // An add without tracking does not remove either.
    UpdateAutoIPEntry(QStringLiteral("b.com"), QStringLiteral("@"), QStringLiteral("RECORDADD"),
                      QStringLiteral("A"), QStringLiteral("5.6.7.8"), 0);
    EXPECT_EQ(sAutoIPs, QStringLiteral("b.com;;A;;@;;5.6.7.8~~"));
    UpdateAutoIPEntry(QStringLiteral("a.com"), QStringLiteral("@"), QStringLiteral("RECORDADD"),
                      QStringLiteral("A"), QStringLiteral("1.2.3.4"), -1);
    EXPECT_EQ(sAutoIPs, QStringLiteral("b.com;;A;;@;;5.6.7.8~~A.COM;;A;;@;;1.2.3.4~~"));
}

TEST_F(AutoIPList, DeleteRemovesEveryOccurrenceAndUpperCasesTheList) {
    sAutoIPs =
        QStringLiteral("a.com;;A;;home;;1.2.3.4~~b.com;;A;;@;;5.6.7.8~~A.COM;;A;;HOME;;1.2.3.4~~");
    UpdateAutoIPEntry(QStringLiteral("a.com"), QStringLiteral("home"),
                      QStringLiteral("recorddelete"), QStringLiteral("A"),
                      QStringLiteral("1.2.3.4"), 0);
    EXPECT_EQ(sAutoIPs, QStringLiteral("B.COM;;A;;@;;5.6.7.8~~"));
}

TEST_F(AutoIPList, DeleteOfAnAbsentEntryLeavesTheListAsItWas) {
    sAutoIPs = QStringLiteral("b.com;;A;;@;;5.6.7.8~~");
    UpdateAutoIPEntry(QStringLiteral("a.com"), QStringLiteral("@"), QStringLiteral("RECORDDELETE"),
                      QStringLiteral("A"), QStringLiteral("1.2.3.4"), 1);
    EXPECT_EQ(sAutoIPs, QStringLiteral("b.com;;A;;@;;5.6.7.8~~"));
    UpdateAutoIPEntry(QStringLiteral("b.com"), QStringLiteral("@"), QStringLiteral("CHANGE"),
                      QStringLiteral("A"), QStringLiteral("5.6.7.8"), 1);
    EXPECT_EQ(sAutoIPs, QStringLiteral("b.com;;A;;@;;5.6.7.8~~"));
}

// An entry whose domain ends another entry's domain is a different record: it is neither found
// inside that entry nor cut out of it.
TEST_F(AutoIPList, EntriesMatchOnlyWhole) {
    sAutoIPs = QStringLiteral("MYSITE.COM;;A;;@;;1.2.3.4~~");
    EXPECT_FALSE(AutoIPListContains(sAutoIPs, QStringLiteral("SITE.COM;;A;;@;;1.2.3.4~~")));
    UpdateAutoIPEntry(QStringLiteral("site.com"), QStringLiteral("@"),
                      QStringLiteral("RECORDDELETE"), QStringLiteral("A"),
                      QStringLiteral("1.2.3.4"), 1);
    EXPECT_EQ(sAutoIPs, QStringLiteral("MYSITE.COM;;A;;@;;1.2.3.4~~"));
    UpdateAutoIPEntry(QStringLiteral("site.com"), QStringLiteral("@"), QStringLiteral("RECORDADD"),
                      QStringLiteral("A"), QStringLiteral("1.2.3.4"), 1);
    EXPECT_EQ(sAutoIPs, QStringLiteral("MYSITE.COM;;A;;@;;1.2.3.4~~SITE.COM;;A;;@;;1.2.3.4~~"));
    EXPECT_TRUE(AutoIPListContains(sAutoIPs, QStringLiteral("site.com;;A;;@;;1.2.3.4~~")));
    UpdateAutoIPEntry(QStringLiteral("site.com"), QStringLiteral("@"),
                      QStringLiteral("RECORDDELETE"), QStringLiteral("A"),
                      QStringLiteral("1.2.3.4"), 1);
    EXPECT_EQ(sAutoIPs, QStringLiteral("MYSITE.COM;;A;;@;;1.2.3.4~~"));
}

TEST(IsNumeric, NumbersAndNot) {
    for (const char* yes : {"80", " 8080 ", "-1", "+2", "1.5", ".5", "1e3"}) {
        EXPECT_TRUE(IsNumeric(QString::fromLatin1(yes))) << yes;
    }
    for (const char* no : {"", " ", "web", "80a", "1e", ".", "-", "8 0", "inf"}) {
        EXPECT_FALSE(IsNumeric(QString::fromLatin1(no))) << no;
    }
}

}  // namespace
