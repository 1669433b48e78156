// quillon-update's address with and without a stored SSL choice: the password travels in every
// request, so nothing stored means the secure address only.
#include "LoginFixture.h"
#include "update/UpdateService.h"

namespace quillon::test {
namespace {

class SecureDefaultTest : public LoginFixture {
  protected:
    SecureDefaultTest() {
        startSim(/*https=*/true);
        storeDword("bSaveLogin", 1);
        storeText("Username", "demo");
        storeText("Password", "demo");
    }
    // The service requests of one --once run, by path.
    QStringList pathsOfOneRun() {
        sim_->clearLog();
        UpdateService service([](const QString&) {});
        EXPECT_EQ(service.prepare(), -1);
        service.runOnce();
        QStringList paths;
        for (const QString& line : sim_->requestLog()) {
            paths << line.section(QLatin1Char('?'), 0, 0);
        }
        paths.removeDuplicates();
        return paths;
    }
};

TEST_F(SecureDefaultTest, AFreshStoreSendsNothingToThePlainAddress) {
    EXPECT_EQ(pathsOfOneRun(), QStringList({"/autoupdate/dnslogin3.asp"}));
}

TEST_F(SecureDefaultTest, AStoredChoiceOfNoSslIsKept) {
    storeDword("bSSL", 0);
    EXPECT_EQ(pathsOfOneRun(), QStringList({"/dnslogin3.asp"}));
    storeDword("bSSL", 1);
    EXPECT_EQ(pathsOfOneRun(), QStringList({"/autoupdate/dnslogin3.asp"}));
}

}  // namespace
}  // namespace quillon::test
