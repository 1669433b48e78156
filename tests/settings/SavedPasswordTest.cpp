// Where the saved login's password is read from and saved to when no Secret Service answers, and
// what a deleted value leaves in the store's files.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <memory>

#include "registry/Registry.h"
#include "settings/SavedPassword.h"
#include "support/ScopedEnv.h"

namespace quillon {
namespace {

const QString kPassword = QStringLiteral("Password");

class SavedPasswordTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(dir_.isValid());
        initKey_.setKey(QStringLiteral("SOFTWARE\\Corvane\\Init"));
    }
    QByteArray fileBytes(const QString& name) const {
        QFile file(dir_.filePath(name));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    void writeCredential(const QByteArray& bytes) {
        QDir(dir_.path()).mkdir(QStringLiteral("credentials"));
        QFile file(dir_.filePath(QStringLiteral("credentials/quillon-password")));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }

    QTemporaryDir dir_;
    test::ScopedEnv store_{"HIVEKIT_STORE",
                           QFile::encodeName(dir_.filePath(QStringLiteral("registry.db")))};
    test::ScopedEnv noBus_{"DBUS_SESSION_BUS_ADDRESS", QByteArray()};
    test::ScopedEnv credentials_{"CREDENTIALS_DIRECTORY",
                                 QFile::encodeName(dir_.filePath(QStringLiteral("credentials")))};
    Registry initKey_;
};

// systemd's credential is read before the store, without its line end; an empty or missing one
// leaves the store's value in force.
TEST_F(SavedPasswordTest, TheCredentialFileComesBeforeTheStore) {
    initKey_.setValue(kPassword, QStringLiteral("from-store"));
    SavedPassword loaded = LoadSavedPassword(initKey_, QStringLiteral("demo"));
    EXPECT_EQ(loaded.password, QStringLiteral("from-store"));
    EXPECT_EQ(loaded.place, PasswordPlace::Store);

    writeCredential("p\xc3\xa4ss word\r\n");
    loaded = LoadSavedPassword(initKey_, QStringLiteral("demo"));
    EXPECT_EQ(loaded.password, QString::fromUtf8("p\xc3\xa4ss word"));
    EXPECT_EQ(loaded.place, PasswordPlace::CredentialsFile);

    writeCredential("");
    EXPECT_EQ(LoadSavedPassword(initKey_, QStringLiteral("demo")).place, PasswordPlace::Store);
}

// Without a session bus the store's value serves, as it always has; clearing Save Login keeps it.
TEST_F(SavedPasswordTest, WithoutABusTheStoreKeepsThePassword) {
    EXPECT_EQ(LoadSavedPassword(initKey_, QStringLiteral("demo")).place, PasswordPlace::None);
    EXPECT_EQ(SaveSavedPassword(initKey_, QStringLiteral("demo"), QStringLiteral("s3cret")),
              PasswordPlace::Store);
    EXPECT_EQ(initKey_.getValue(kPassword), QStringLiteral("s3cret"));
    EXPECT_EQ(LoadSavedPassword(initKey_, QStringLiteral("demo")).password,
              QStringLiteral("s3cret"));
    // A bus turned off on purpose is no bus either.
    const test::ScopedEnv disabled("DBUS_SESSION_BUS_ADDRESS", "disabled:");
    EXPECT_EQ(LoadSavedPassword(initKey_, QStringLiteral("demo")).place, PasswordPlace::Store);
}

// A deleted value (the password moved to the keyring) leaves no copy in the database file or its
// write-ahead log while the store stays open.
TEST_F(SavedPasswordTest, ADeletedValueLeavesNoCopyInTheStoresFiles) {
    const QByteArray secret = "Zq7-moved-to-the-keyring";
    initKey_.setValue(kPassword, QString::fromLatin1(secret));
    initKey_.setValue(QStringLiteral("RefreshRate"), QStringLiteral("90"));
    ASSERT_TRUE(initKey_.deleteValue(kPassword));
    initKey_.setKey(QStringLiteral("SOFTWARE\\Corvane\\Init"));
    EXPECT_TRUE(initKey_.getValue(kPassword).isEmpty());
    EXPECT_EQ(initKey_.getValue(QStringLiteral("RefreshRate")), QStringLiteral("90"));
    for (const QString& name : {QStringLiteral("registry.db"), QStringLiteral("registry.db-wal"),
                                QStringLiteral("registry.db-journal")}) {
        EXPECT_FALSE(fileBytes(name).contains(secret)) << name.toStdString();
    }
}

}  // namespace
}  // namespace quillon
