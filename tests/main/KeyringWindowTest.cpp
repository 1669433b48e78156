// The window's saved login in a real Secret Service. Run by tests/e2e/keyring_e2e.sh inside a
// private session bus: QUILLON_KEYRING_TEST says what answers there ("unlocked": gnome-keyring,
// unlocked; "unanswered": a keyring that is locked or never replies).
#include <sqlite3.h>

#include <QCheckBox>
#include <QElapsedTimer>
#include <QLineEdit>

#include "MainFixture.h"
#include "account/ProgramFlags.h"
#include "settings/Keyring.h"

namespace quillon::test {
namespace {

const QString kSecret = QStringLiteral("Kq4-only-in-the-keyring");

class KeyringWindowTest : public MainFixture {
  protected:
    void SetUp() override {
        mode_ = qEnvironmentVariable("QUILLON_KEYRING_TEST");
        ASSERT_FALSE(mode_.isEmpty()) << "run by tests/e2e/keyring_e2e.sh only";
        startSim();
        setSimPassword(kSecret);
    }
    // The demo account's password at corvane-sim.
    void setSimPassword(const QString& password) {
        sqlite3* db = nullptr;
        ASSERT_EQ(sqlite3_open(QFile::encodeName(sim_->dbPath()).constData(), &db), SQLITE_OK);
        const QByteArray sql =
            "UPDATE accounts SET password='" + password.toUtf8() + "' WHERE username='demo'";
        EXPECT_EQ(sqlite3_exec(db, sql.constData(), nullptr, nullptr, nullptr), SQLITE_OK);
        sqlite3_close(db);
    }
    static QString keyringPassword(Keyring::Status expected) {
        const std::optional<Keyring> keyring = Keyring::open();
        if (!keyring) {
            ADD_FAILURE() << "no Secret Service answers";
            return {};
        }
        QString password;
        EXPECT_EQ(keyring->read(QStringLiteral("demo"), password), expected);
        return password;
    }
    // The store's files, as a reader of the disk would see them.
    QByteArray storeBytes() const {
        QByteArray all;
        for (const char* suffix : {"", "-wal", "-journal"}) {
            QFile file(dir_.filePath(QStringLiteral("registry.db") + QLatin1String(suffix)));
            if (file.open(QIODevice::ReadOnly)) {
                all += file.readAll();
            }
        }
        return all;
    }
    int loginsWith(const QString& password) const {
        return loginRequests().filter(QStringLiteral("pwd=") + password).size();
    }
    QString mode_;
};

// Saved through the login window: the keyring holds the password, the store and its files do
// not; the next start logs in with it; clearing Save Login removes the entry.
TEST_F(KeyringWindowTest, SaveLoginThroughTheWindowUsesTheKeyring) {
    ASSERT_EQ(mode_, QStringLiteral("unlocked"));
    ASSERT_TRUE(startMain([](frmLogin& login) {
        login.findChild<QLineEdit*>(QStringLiteral("txtUsername"))->setText("demo");
        login.findChild<QLineEdit*>(QStringLiteral("txtPassword"))->setText(kSecret);
        login.findChild<QCheckBox*>(QStringLiteral("chkSaveLogin"))->setChecked(true);
        login.cmdLogin_Click();
    }));
    main().SaveSettings();
    EXPECT_EQ(storedValue(QStringLiteral("bSaveLogin")), QStringLiteral("1"));
    EXPECT_EQ(storedValue(QStringLiteral("Username")), QStringLiteral("demo"));
    EXPECT_TRUE(storedValue(QStringLiteral("Password")).isEmpty());
    EXPECT_EQ(keyringPassword(Keyring::Status::Ok), kSecret);
    EXPECT_FALSE(storeBytes().contains(kSecret.toUtf8()));
    delete main_.data();

    sim_->clearLog();
    ASSERT_TRUE(startMain());  // fails the test should the login window show
    EXPECT_EQ(loginsWith(kSecret), 1);

    bSaveLogin = false;
    main().SaveSettings();
    EXPECT_EQ(storedValue(QStringLiteral("bSaveLogin")), QStringLiteral("0"));
    keyringPassword(Keyring::Status::NotFound);
}

// A Password value an earlier version stored is moved to the keyring at the automatic login.
TEST_F(KeyringWindowTest, AStoredPasswordMovesToTheKeyring) {
    ASSERT_EQ(mode_, QStringLiteral("unlocked"));
    saveLogin(QStringLiteral("demo"), kSecret);
    ASSERT_TRUE(startMain());
    EXPECT_EQ(loginsWith(kSecret), 1);
    EXPECT_TRUE(storedValue(QStringLiteral("Password")).isEmpty());
    EXPECT_EQ(keyringPassword(Keyring::Status::Ok), kSecret);
    EXPECT_FALSE(storeBytes().contains(kSecret.toUtf8()));
}

// A keyring that does not give the password fails the automatic login: the login window shows,
// with the saved user name, within the time-out, and nothing is sent without a password.
TEST_F(KeyringWindowTest, AKeyringThatDoesNotAnswerShowsTheLoginWindow) {
    ASSERT_EQ(mode_, QStringLiteral("unanswered"));
    storeDword(QStringLiteral("bSaveLogin"), 1);
    storeText(QStringLiteral("Username"), QStringLiteral("demo"));
    QElapsedTimer clock;
    clock.start();
    qint64 shownAfter = -1;
    QString shownUser;
    EXPECT_FALSE(startMain([&](frmLogin& login) {
        shownAfter = clock.elapsed();
        shownUser = login.findChild<QLineEdit*>(QStringLiteral("txtUsername"))->text();
        login.cmdExit_Click();
    }));
    ASSERT_GE(shownAfter, 0) << "the login window did not show";
    // One bounded wait for the availability check and one for the read, with room for a slow
    // machine; a hang would never get here.
    EXPECT_LT(shownAfter, 3 * Keyring::kTimeoutMs);
    EXPECT_EQ(shownUser, QStringLiteral("demo"));
    EXPECT_TRUE(loginRequests().isEmpty());
}

}  // namespace
}  // namespace quillon::test
