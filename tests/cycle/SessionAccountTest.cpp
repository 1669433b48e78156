#include <gtest/gtest.h>

#include <QStringList>
#include <ostream>

#include "account/clsUser.h"
#include "cycle/AutoIPCycle.h"
#include "cycle/CycleSession.h"
#include "cycle/UpdateDriver.h"
#include "protocol/ProtocolDoubles.h"
#include "protocol/basDNS.h"

// The engine works for the account its session holds: the login and the check send to the
// session's service address, fill and change the session's account record and marks, and leave
// the program-wide ones (the window's) alone. The login's outcomes and its backoff.

namespace quillon::test {
namespace {

const QString kOwnURL = QStringLiteral("http://own.test/dnslogin3.asp");
const QString kWindowURL = QStringLiteral("http://window.test/dnslogin3.asp");
const QString kWindowMarks = QStringLiteral("OTHER.EXAMPLE;;A;;@;;192.0.2.9~~");

QString loginReply(const char* verdict, const char* expires) {
    return QStringLiteral(
               "<html><p>DNS LOGIN: %1</p><p>ExpirationDate: %2</p>"
               "<p>IPAddress: 198.51.100.4</p><p>DomainUserRecords:"
               "zone.example;;A;;www;;10.0.0.1~~</p></html>")
        .arg(QLatin1String(verdict), QLatin1String(expires));
}

QString checkReply(const QString& address, const QString& records) {
    return QStringLiteral("<html><p>SUCCESS</p><p>IPAddress: ") + address +
           QStringLiteral(" </p><p>DomainUserRecords:") + records + QStringLiteral("</p></html>");
}

class SessionAccountTest : public ::testing::Test {
  protected:
    void SetUp() override {
        sServiceURL = kWindowURL;
        objUser() = clsUser{};
        objUser().sUsername = QStringLiteral("window-user");
        sAutoIPs = kWindowMarks;
        session_.setServiceURL(kOwnURL);
    }
    void TearDown() override {
        sServiceURL.clear();
        sAutoIPs.clear();
        objUser() = clsUser{};
        resetMainStatus();
    }

    void expectWindowAccountUntouched() const {
        EXPECT_EQ(objUser().sUsername.toStdString(), "window-user");
        EXPECT_TRUE(objUser().sDomainUserRecords.isEmpty());
        EXPECT_TRUE(objUser().sIPAddress.isEmpty());
        EXPECT_EQ(sAutoIPs.toStdString(), kWindowMarks.toStdString());
        for (const QString& url : transfer_.urls()) {
            EXPECT_TRUE(url.startsWith(kOwnURL)) << url.toStdString();
        }
    }

    RecordingMainWindow window_;
    FakeTransfer transfer_;
    CycleSession session_{[](const QString&) {}};
    // Every write taken: the store is not what these tests are about.
    AutoIPCycle cycle_{
        session_.pending(),
        CycleWrites{[] { return true; }, [] { return true; }, [](const QString&) { return true; }},
        session_.account()};
    UpdateDriver driver_{cycle_};
};

TEST_F(SessionAccountTest, LoginAndCheckUseTheSessionsAccountOnly) {
    transfer_.queueReply(loginReply("SUCCESS", "2099-12-31"));
    ASSERT_EQ(driver_.logIn(QStringLiteral("jdoe"), QStringLiteral("pw")), LoginOutcome::LoggedIn);
    EXPECT_EQ(session_.user().sUsername.toStdString(), "jdoe");
    EXPECT_EQ(session_.user().sIPAddress.toStdString(), "198.51.100.4");

    // The marked record follows a new address: delete at the old one, add at the new one.
    session_.marks() = QStringLiteral("ZONE.EXAMPLE;;A;;WWW;;10.0.0.1~~");
    transfer_.queueReply(checkReply(QStringLiteral("203.0.113.5"),
                                    QStringLiteral("zone.example;;A;;www;;10.0.0.1~~")));
    transfer_.queueReply(checkReply({}, {}));
    transfer_.queueReply(checkReply({}, QStringLiteral("zone.example;;A;;www;;203.0.113.5~~")));
    CheckOwner owner;
    owner.records = [this]() -> std::optional<std::vector<CycleRecord>> {
        return RecordsOfList(session_.user().sDomainUserRecords, session_.marks());
    };
    const CheckReport report = driver_.check(false, session_.user().sIPAddress, 1, owner);

    ASSERT_EQ(report.repoints.size(), 1U);
    EXPECT_TRUE(report.repoints[0].added);
    EXPECT_EQ(session_.marks().toStdString(), "ZONE.EXAMPLE;;A;;WWW;;203.0.113.5~~");
    EXPECT_EQ(session_.user().sDomainUserRecords.toStdString(),
              "zone.example;;A;;www;;203.0.113.5~~");
    EXPECT_EQ(transfer_.urls().size(), 4);
    expectWindowAccountUntouched();
}

struct LoginRow {
    const char* situation;
    QString reply;  // empty: no reply at all
    LoginOutcome outcome;
    bool recordFilled;
};

void PrintTo(const LoginRow& row, std::ostream* out) {
    *out << row.situation;
}

class LoginExchangeTest : public SessionAccountTest,
                          public ::testing::WithParamInterface<LoginRow> {};

TEST_P(LoginExchangeTest, Outcome) {
    const LoginRow& row = GetParam();
    if (row.reply.isEmpty()) {
        transfer_.queueFailure();
    } else {
        transfer_.queueReply(row.reply);
    }
    EXPECT_EQ(UpdateDriver::LogIn(session_.account(), QStringLiteral("jdoe"), QStringLiteral("pw")),
              row.outcome);
    EXPECT_EQ(session_.user().sUsername == QLatin1String("jdoe"), row.recordFilled);
    ASSERT_EQ(transfer_.urls().size(), 1);
    expectWindowAccountUntouched();
}

INSTANTIATE_TEST_SUITE_P(
    Replies, LoginExchangeTest,
    ::testing::Values(LoginRow{"accepted", loginReply("SUCCESS", "2099-12-31"),
                               LoginOutcome::LoggedIn, true},
                      LoginRow{"refused", loginReply("FAIL", ""), LoginOutcome::Refused, false},
                      LoginRow{"expired: the record is filled for the notice",
                               loginReply("SUCCESS", "2001-01-31"), LoginOutcome::Expired, true},
                      LoginRow{"an error page", QStringLiteral("<html>Service Unavailable</html>"),
                               LoginOutcome::NotReached, false},
                      LoginRow{"no reply", QString(), LoginOutcome::NotReached, false}),
    [](const ::testing::TestParamInfo<LoginRow>& info) { return std::to_string(info.index); });

// The wait grows with the failures in a row, at most the refresh period, and a login that
// reaches the service starts it again from 10 s.
TEST_F(SessionAccountTest, LoginBackoffGrowsAndStartsAgainAfterALogin) {
    const QString user = QStringLiteral("jdoe");
    const QString password = QStringLiteral("pw");
    QList<int> waits;
    for (int i = 0; i < 4; ++i) {
        transfer_.queueFailure();
        EXPECT_EQ(driver_.logIn(user, password), LoginOutcome::NotReached);
        waits << driver_.loginRetryWaitSeconds(60);
    }
    EXPECT_EQ(waits, (QList<int>{10, 20, 40, 60}));

    transfer_.queueReply(loginReply("FAIL", ""));
    EXPECT_EQ(driver_.logIn(user, password), LoginOutcome::Refused);
    EXPECT_EQ(driver_.loginFailures(), 0);
    transfer_.queueFailure();
    driver_.logIn(user, password);
    EXPECT_EQ(driver_.loginRetryWaitSeconds(60), 10);
}

// The loss and the return are each reported once, whether the login or a check found them.
TEST_F(SessionAccountTest, ConnectionLostAndBackReportedOnceEach) {
    const QString user = QStringLiteral("jdoe");
    const QString password = QStringLiteral("pw");
    QList<ConnectionChange> changes;
    const auto login = [&](bool answers) {
        if (answers) {
            transfer_.queueReply(loginReply("SUCCESS", "2099-12-31"));
        } else {
            transfer_.queueFailure();
        }
        driver_.logIn(user, password);
        changes << driver_.connectionChange();
    };
    const auto check = [&](bool answers) {
        if (answers) {
            transfer_.queueReply(checkReply(QStringLiteral("198.51.100.4"), {}));
        } else {
            transfer_.queueFailure();
        }
        driver_.check(false, session_.user().sIPAddress, 1, CheckOwner{});
        changes << driver_.connectionChange();
    };
    login(false);
    login(false);
    login(true);
    check(true);
    check(false);
    check(false);
    check(true);
    using C = ConnectionChange;
    EXPECT_EQ(changes, (QList<C>{C::Lost, C::None, C::Back, C::None, C::Lost, C::None, C::Back}));
    EXPECT_TRUE(session_.connected());
}

}  // namespace
}  // namespace quillon::test
