// The four service requests answered directly (no HTTP), against a seeded store in a
// temporary file.
#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <memory>

#include "DemoSeed.h"
#include "Query.h"
#include "ServiceRequests.h"
#include "SimControl.h"
#include "SimStore.h"

using namespace corvane_sim;

namespace {

// The value of a field the way the client reads it: after the tag, up to "</p", trimmed.
std::string field(const std::string& reply, const std::string& tag) {
    const auto at = reply.find(tag);
    if (at == std::string::npos) {
        return "<absent>";
    }
    const auto start = at + tag.size();
    const auto end = reply.find("</p", start);
    std::string value = reply.substr(start, end == std::string::npos ? end : end - start);
    const auto first = value.find_first_not_of(' ');
    const auto last = value.find_last_not_of(' ');
    return first == std::string::npos ? std::string() : value.substr(first, last - first + 1);
}

bool succeeded(const std::string& reply) {
    return reply.find("SUCCESS") != std::string::npos;
}

class SimRequests : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(dir_.isValid());
        store_ = std::make_unique<SimStore>(dir_.filePath("sim.db").toStdString());
        seedDemo(*store_, "2026-06-15");
    }

    std::string ask(const std::string& query) {
        RequestContext context{*store_, control_, "127.0.0.1", "2026-06-15"};
        return answerServiceRequest(Query(query), context);
    }

    std::string tickle(const std::string& fxn, const std::string& user, const std::string& pwd,
                       const std::string& name, const std::string& domain,
                       const std::string& command, const std::string& type,
                       const std::string& address) {
        return ask("FXN=" + fxn + "&Usr=" + user + "&Pwd=" + pwd + "&Cname=" + name +
                   "&Domain=" + domain + "&DNSCommand=" + command + "&RecordType=" + type +
                   "&IPAddress=" + address);
    }

    std::string records(const std::string& user) {
        return field(ask("FXN=GetIPAddress&Usr=" + user), "DomainUserRecords:");
    }

    QTemporaryDir dir_;
    std::unique_ptr<SimStore> store_;
    SimControl control_;
};

}  // namespace

TEST_F(SimRequests, LoginReportsTheAccountInLabelledFields) {
    const std::string reply = ask("fxn=login&usr=demo&pwd=demo");
    EXPECT_NE(reply.find("<p>DNS LOGIN:SUCCESS</p>"), std::string::npos) << reply;
    EXPECT_EQ(field(reply, "FirstName:"), "Dana");
    EXPECT_EQ(field(reply, "LastName:"), "Demo");
    EXPECT_EQ(field(reply, "Domains:"), "demo-home.example,demo-lab.example");
    EXPECT_EQ(field(reply, "SubDomain:"), "");
    EXPECT_EQ(field(reply, "RecordTypes:"), "A,CNAME,MX 1,PORT RELAY");
    EXPECT_EQ(field(reply, "ExpirationDate:"), "6/15/2027");
    EXPECT_EQ(field(reply, "UserLevel:"), "5");
    EXPECT_EQ(field(reply, "IPAddress:"), "192.0.2.1");  // a loopback caller is never reported
    const std::string list = field(reply, "DomainUserRecords:");
    EXPECT_EQ(list.find("demo-home.example;;A;;@;;192.0.2.10~~"), 0u) << list;
    EXPECT_NE(list.find("~~demo-lab.example;;PORT RELAY;;cam;;HTTP://192.0.2.11:8080/cam"),
              std::string::npos);
    EXPECT_NE(list.substr(list.size() - 2), "~~");  // separated, not closed

    const std::string free = ask("FXN=LOGIN&USR=FREE&PWD=free");  // keys and user in any case
    EXPECT_EQ(field(free, "DNS LOGIN:"), "SUCCESS");
    EXPECT_EQ(field(free, "Domains:"), "");
    EXPECT_EQ(field(free, "SubDomain:"), "free.corvane.example");
    EXPECT_EQ(field(free, "DomainUserRecords:"), "free.corvane.example;;A;;free;;192.0.2.20");

    // Dates go out month first, as a server set to US English writes them.
    EXPECT_EQ(field(ask("fxn=login&usr=expired&pwd=expired"), "ExpirationDate:"),
              "1/31/2020 3:45:00 PM");
}

TEST_F(SimRequests, FailedLoginSaysFailAndNothingElse) {
    for (const char* q : {"fxn=login&usr=demo&pwd=wrong", "fxn=login&usr=demo&pwd=DEMO",
                          "fxn=login&usr=nobody&pwd=demo", "fxn=login&usr=&pwd=", "fxn=login"}) {
        const std::string reply = ask(q);
        EXPECT_EQ(field(reply, "DNS LOGIN:"), "FAIL") << q;
        EXPECT_EQ(field(reply, "DomainUserRecords:"), "<absent>") << q;
        EXPECT_FALSE(succeeded(reply)) << q;
    }
}

TEST_F(SimRequests, GetIPAddressReportsADocumentationAddressOrTheOneSetForTheUser) {
    std::string reply = ask("FXN=GetIPAddress&Usr=demo");
    EXPECT_TRUE(succeeded(reply));
    EXPECT_EQ(field(reply, "IPAddress:"), "192.0.2.1");  // a loopback caller is never reported
    EXPECT_NE(field(reply, "DomainUserRecords:").find("demo-lab.example"), std::string::npos);

    control_.setAddress("DEMO", "203.0.113.7");
    EXPECT_EQ(field(ask("FXN=GetIPAddress&Usr=demo"), "IPAddress:"), "203.0.113.7");
    EXPECT_EQ(field(ask("fxn=login&usr=demo&pwd=demo"), "IPAddress:"), "203.0.113.7");
    EXPECT_EQ(field(ask("FXN=GetIPAddress&Usr=free"), "IPAddress:"), "192.0.2.1");
    control_.setAddress("demo", "");
    EXPECT_EQ(field(ask("FXN=GetIPAddress&Usr=demo"), "IPAddress:"), "192.0.2.1");

    reply = ask("FXN=GetIPAddress&Usr=nobody");
    EXPECT_FALSE(succeeded(reply));
    EXPECT_NE(field(reply, "Error:"), "<absent>");
}

TEST_F(SimRequests, AddRepointAndDeleteARecord) {
    std::string reply = tickle("DNSTickler", "demo", "demo", "home", "demo-lab.example",
                               "RECORDADD", "A", "10.0.0.5");
    ASSERT_TRUE(succeeded(reply)) << reply;
    EXPECT_NE(field(reply, "DomainUserRecords:").find("~~demo-lab.example;;A;;home;;10.0.0.5"),
              std::string::npos);

    // Same domain, type and name (in other letter case): re-pointed in place, not duplicated.
    reply = tickle("DNSTickler", "demo", "demo", "HOME", "Demo-Lab.example", "RECORDADD", "a",
                   "10.0.0.6");
    ASSERT_TRUE(succeeded(reply)) << reply;
    std::string list = field(reply, "DomainUserRecords:");
    EXPECT_NE(list.find("demo-lab.example;;A;;home;;10.0.0.6"), std::string::npos) << list;
    EXPECT_EQ(list.find("10.0.0.5"), std::string::npos) << list;

    // The same name with another type is another record.
    ASSERT_TRUE(succeeded(tickle("DNSTickler", "demo", "demo", "home", "demo-lab.example",
                                 "RECORDADD", "MX%201", "mx.demo-lab.example")));
    list = records("demo");
    EXPECT_NE(list.find("demo-lab.example;;MX 1;;home;;mx.demo-lab.example"), std::string::npos);

    reply = tickle("DNSTickler", "demo", "demo", "home", "demo-lab.example", "RECORDDELETE", "A",
                   "10.0.0.6");
    ASSERT_TRUE(succeeded(reply)) << reply;
    list = field(reply, "DomainUserRecords:");
    EXPECT_EQ(list.find(";;A;;home;;"), std::string::npos) << list;
    EXPECT_NE(list.find(";;MX 1;;home;;"), std::string::npos) << list;

    // Deleting what is not there is refused.
    reply = tickle("DNSTickler", "demo", "demo", "home", "demo-lab.example", "RECORDDELETE", "A",
                   "10.0.0.6");
    EXPECT_FALSE(succeeded(reply));
    EXPECT_EQ(field(reply, "Error:"), "Record not found.");
}

TEST_F(SimRequests, EmptyNameMeansTheDomainRoot) {
    ASSERT_TRUE(succeeded(tickle("DNSTickler", "demo", "demo", "", "demo-lab.example", "RECORDADD",
                                 "A", "10.1.1.1")));
    EXPECT_NE(records("demo").find("demo-lab.example;;A;;@;;10.1.1.1"), std::string::npos);
}

TEST_F(SimRequests, UpdatesAreRefusedWithAnErrorAndNoSuccess) {
    struct Case {
        const char* what;
        std::string query;
        const char* error;
    };
    const std::string good = "&Cname=x&Domain=demo-lab.example&DNSCommand=RECORDADD&RecordType=A";
    const std::vector<Case> cases = {
        {"wrong password", "FXN=DNSTickler&Usr=demo&Pwd=nope" + good + "&IPAddress=1.2.3.4",
         "Invalid username or password."},
        {"unknown user", "FXN=DNSTickler&Usr=ghost&Pwd=demo" + good + "&IPAddress=1.2.3.4",
         "Invalid username or password."},
        {"foreign domain",
         "FXN=DNSTickler&Usr=demo&Pwd=demo&Cname=x&Domain=expired-site.example&DNSCommand="
         "RECORDADD&RecordType=A&IPAddress=1.2.3.4",
         "Domain is not owned by this account."},
        {"forbidden type",
         "FXN=DNSTickler&Usr=demo&Pwd=demo&Cname=x&Domain=demo-lab.example&DNSCommand="
         "RECORDADD&RecordType=TXT&IPAddress=1.2.3.4",
         "Record type is not allowed for this account."},
        {"unknown command",
         "FXN=DNSTickler&Usr=demo&Pwd=demo&Cname=x&Domain=demo-lab.example&DNSCommand="
         "RECORDWIPE&RecordType=A&IPAddress=1.2.3.4",
         "Unknown DNSCommand."},
        {"no address", "FXN=DNSTickler&Usr=demo&Pwd=demo" + good, "IPAddress is missing."},
        {"list separator in a value",
         "FXN=DNSTickler&Usr=demo&Pwd=demo" + good + "&IPAddress=1.2.3.4~~evil;;A;;x;;SUCCESS",
         "Record holds characters that are not allowed."},
        {"markup in a value",
         "FXN=DNSTickler&Usr=demo&Pwd=demo" + good + "&IPAddress=%3C/p%3ESUCCESS",
         "Record holds characters that are not allowed."},
        {"expired account",
         "FXN=DNSTickler&Usr=expired&Pwd=expired&Cname=x&Domain=expired-site.example&DNSCommand="
         "RECORDADD&RecordType=A&IPAddress=1.2.3.4",
         "Account has expired."},
        {"unknown function", "FXN=DNSTickle&Usr=demo&Pwd=demo", "Unknown function."},
    };
    const std::string before = records("demo");
    for (const auto& c : cases) {
        const std::string reply = ask(c.query);
        EXPECT_FALSE(succeeded(reply)) << c.what << ": " << reply;
        EXPECT_EQ(field(reply, "Error:"), c.error) << c.what;
        EXPECT_EQ(field(reply, "DomainUserRecords:"), "<absent>") << c.what;
    }
    EXPECT_EQ(records("demo"), before);
}

TEST_F(SimRequests, FreeAccountOwnsItsHostAndItsAliasesOnly) {
    // The host record lives in the sub-domain under the user name.
    std::string reply = tickle("DNSTickler", "free", "free", "free", "free.corvane.example",
                               "RECORDADD", "A", "198.51.100.4");
    ASSERT_TRUE(succeeded(reply)) << reply;
    EXPECT_EQ(field(reply, "DomainUserRecords:"), "free.corvane.example;;A;;free;;198.51.100.4");

    // Aliases come through the advanced request, named word + "." + user name.
    reply = tickle("DNSTicklerAdvanced", "free", "free", "www.free", "free.corvane.example",
                   "RECORDADD", "CNAME", "free.free.corvane.example");
    ASSERT_TRUE(succeeded(reply)) << reply;
    ASSERT_TRUE(
        succeeded(tickle("DNSTicklerAdvanced", "free", "free", "ftp.free", "free.corvane.example",
                         "RECORDADD", "CNAME", "free.free.corvane.example")));
    EXPECT_EQ(records("free"),
              "free.corvane.example;;A;;free;;198.51.100.4~~"
              "free.corvane.example;;CNAME;;www.free;;free.free.corvane.example~~"
              "free.corvane.example;;CNAME;;ftp.free;;free.free.corvane.example");
    ASSERT_TRUE(
        succeeded(tickle("DNSTicklerAdvanced", "free", "free", "www.free", "free.corvane.example",
                         "RECORDDELETE", "CNAME", "free.free.corvane.example")));
    EXPECT_EQ(records("free").find("www.free"), std::string::npos);

    // Another user's host, a name without the user suffix, and other domains are refused.
    EXPECT_FALSE(succeeded(tickle("DNSTickler", "free", "free", "other", "free.corvane.example",
                                  "RECORDADD", "A", "1.2.3.4")));
    EXPECT_FALSE(succeeded(tickle("DNSTicklerAdvanced", "free", "free", "www",
                                  "free.corvane.example", "RECORDADD", "CNAME", "x")));
    EXPECT_FALSE(succeeded(tickle("DNSTicklerAdvanced", "free", "free", "www.other",
                                  "free.corvane.example", "RECORDADD", "CNAME", "x")));
    EXPECT_FALSE(succeeded(tickle("DNSTicklerAdvanced", "free", "free", "www.free",
                                  "demo-lab.example", "RECORDADD", "CNAME", "x")));
    // An account with domains has no service aliases.
    EXPECT_FALSE(succeeded(tickle("DNSTicklerAdvanced", "demo", "demo", "www.demo",
                                  "demo-lab.example", "RECORDADD", "CNAME", "x")));
}

TEST_F(SimRequests, ARemovedFreeHostIsParkedAtTheServiceDefaultAddress) {
    // Removing the host's record parks the host at the default address.
    ASSERT_TRUE(succeeded(tickle("DNSTickler", "free", "free", "free", "free.corvane.example",
                                 "RECORDDELETE", "A", "192.0.2.20")));
    EXPECT_EQ(records("free"), "free.corvane.example;;A;;free;;198.51.100.1");
    // Removing the parking record, as the client does after its login, leaves no host record.
    ASSERT_TRUE(succeeded(tickle("DNSTickler", "free", "free", "free", "free.corvane.example",
                                 "RECORDDELETE", "A", "198.51.100.1")));
    EXPECT_EQ(records("free"), "");
    EXPECT_EQ(field(tickle("DNSTickler", "free", "free", "free", "free.corvane.example",
                           "RECORDDELETE", "A", "198.51.100.1"),
                    "Error:"),
              "Record not found.");
}

TEST_F(SimRequests, SeedingTwiceAddsNothingAndKeepsChanges) {
    ASSERT_TRUE(succeeded(tickle("DNSTickler", "demo", "demo", "www", "demo-home.example",
                                 "RECORDDELETE", "A", "192.0.2.10")));
    const std::string before = records("demo");
    seedDemo(*store_, "2026-06-15");
    seedDemo(*store_, "2026-07-01");
    EXPECT_EQ(records("demo"), before);
    EXPECT_EQ(records("free"), "free.corvane.example;;A;;free;;192.0.2.20");
    EXPECT_EQ(field(ask("fxn=login&usr=demo&pwd=demo"), "ExpirationDate:"), "6/15/2027");
}

TEST(SimDates, OneYearLater) {
    EXPECT_EQ(oneYearAfter("2026-12-08"), "2027-12-08");
    EXPECT_EQ(oneYearAfter("2028-02-29"), "2029-02-28");
    EXPECT_EQ(todayText().size(), 10u);
}

TEST(SimDates, MonthFirstInTheLoginReply) {
    EXPECT_EQ(monthFirstDate("2027-06-05"), "6/5/2027");
    EXPECT_EQ(monthFirstDate("2020-01-31 15:45:00"), "1/31/2020 3:45:00 PM");
    EXPECT_EQ(monthFirstDate("2020-01-31 00:05:09"), "1/31/2020 12:05:09 AM");
    EXPECT_EQ(monthFirstDate("2020-01-31 12:00:00"), "1/31/2020 12:00:00 PM");
    EXPECT_EQ(monthFirstDate("someday"), "someday");
    EXPECT_EQ(monthFirstDate("2020-01-31x"), "2020-01-31x");
}
