#include <gtest/gtest.h>

#include "Arguments.h"
#include "Query.h"

using namespace corvane_sim;

TEST(SimQuery, KeysIgnoreCaseAndValuesArePercentDecoded) {
    const Query q("FXN=DNSTickler&usr=jo%20doe&PWD=a%26b%3Dc%23d%25e%2Bf%3Fg&RecordType=MX%201");
    EXPECT_EQ(q.value("fxn"), "DNSTickler");
    EXPECT_EQ(q.value("Usr"), "jo doe");
    EXPECT_EQ(q.value("pwd"), "a&b=c#d%e+f?g");
    EXPECT_EQ(q.value("RECORDTYPE"), "MX 1");
    EXPECT_TRUE(q.has("Pwd"));
    EXPECT_FALSE(q.has("Domain"));
    EXPECT_EQ(q.value("Domain"), "");
}

TEST(SimQuery, RawPlusAndBrokenEscapesStayAsTheyAre) {
    const Query q("a=1+2&b=100%&c=%zz%4&d=%c3%a9&e&=x&f=g=h");
    EXPECT_EQ(q.value("a"), "1+2");
    EXPECT_EQ(q.value("b"), "100%");
    EXPECT_EQ(q.value("c"), "%zz%4");
    EXPECT_EQ(q.value("d"), "\xc3\xa9");
    EXPECT_TRUE(q.has("e"));
    EXPECT_EQ(q.value("e"), "");
    EXPECT_EQ(q.value("f"), "g=h");  // only the first "=" separates key and value
}

TEST(SimQuery, FirstOfRepeatedKeysWins) {
    EXPECT_EQ(Query("Usr=first&USR=second").value("usr"), "first");
}

TEST(SimArguments, OnlyLoopbackAddressesAreAccepted) {
    for (const char* ok :
         {"127.0.0.1", "127.1.2.3", "127.255.255.254", "::1", "::ffff:127.0.0.1"}) {
        EXPECT_TRUE(isLoopbackAddress(ok)) << ok;
    }
    for (const char* bad : {"0.0.0.0", "128.0.0.1", "192.168.1.10", "10.0.0.1", "::", "::2",
                            "localhost", "", "127.0.0", "::ffff:10.0.0.1"}) {
        EXPECT_FALSE(isLoopbackAddress(bad)) << bad;
    }
}

TEST(SimArguments, ListenAddressesAndTheirErrors) {
    const auto v4 = parseListenAddress("127.0.0.1:8080");
    EXPECT_EQ(v4.host, "127.0.0.1");
    EXPECT_EQ(v4.port, 8080);
    const auto v6 = parseListenAddress("[::1]:0");
    EXPECT_EQ(v6.host, "::1");
    EXPECT_EQ(v6.port, 0);
    for (const char* bad : {"0.0.0.0:80", "192.0.2.1:80", "127.0.0.1", "127.0.0.1:", "127.0.0.1:x",
                            "127.0.0.1:65536", "127.0.0.1:-1", "::1:80", "[::1]80", "[::]:80"}) {
        EXPECT_THROW(parseListenAddress(bad), ArgumentError) << bad;
    }
    try {
        parseListenAddress("0.0.0.0:80");
        FAIL() << "no error";
    } catch (const ArgumentError& e) {
        EXPECT_NE(e.message.find("only loopback"), std::string::npos) << e.message;
    }
}

TEST(SimArguments, CommandLine) {
    const auto a = parseArguments({"--db", "x.db", "--https", "127.0.0.1:0", "--cert", "c.pem",
                                   "--key", "k.pem", "--seed-demo"});
    EXPECT_EQ(a.dbPath, "x.db");
    EXPECT_FALSE(a.http.has_value());
    ASSERT_TRUE(a.https.has_value());
    EXPECT_EQ(a.certPath, "c.pem");
    EXPECT_TRUE(a.seedDemo);

    const auto plain = parseArguments({"--db", "x.db"});
    ASSERT_TRUE(plain.http.has_value());  // a plain listener on 127.0.0.1 when none is named
    EXPECT_EQ(plain.http->host, "127.0.0.1");
    EXPECT_FALSE(plain.seedDemo);

    EXPECT_THROW(parseArguments({}), ArgumentError);
    EXPECT_THROW(parseArguments({"--db"}), ArgumentError);
    EXPECT_THROW(parseArguments({"--db", "x", "--https", "127.0.0.1:0"}), ArgumentError);
    EXPECT_THROW(parseArguments({"--db", "x", "--verbose"}), ArgumentError);
    EXPECT_THROW(parseArguments({"--db", "x", "--http", "0.0.0.0:0"}), ArgumentError);
}
