// The connection settings as the store holds them, turned into the service address and the
// refresh rate that both the windows and quillon-update run by.
#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <memory>

#include "protocol/basDNS.h"
#include "registry/Registry.h"
#include "settings/ConnectionSettings.h"
#include "support/ScopedEnv.h"

namespace quillon {
namespace {

class ConnectionSettingsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(dir_.isValid());
        store_ = std::make_unique<test::ScopedEnv>("HIVEKIT_STORE",
                                                   QFile::encodeName(dir_.filePath("registry.db")));
        initKey_.setKey(QStringLiteral("SOFTWARE\\Corvane\\Init"));
    }
    QTemporaryDir dir_;
    std::unique_ptr<test::ScopedEnv> store_;
    Registry initKey_;
};

struct AddressCase {
    const char* ssl;       // nullptr: not stored
    const char* port;      // nullptr: not stored
    const char* expected;  // "secure", "default" or the plain address's port
};

TEST_F(ConnectionSettingsTest, StoredValuesGiveTheServiceAddress) {
    const AddressCase cases[] = {
        {nullptr, nullptr, "secure"}, {nullptr, "1400", "secure"},
        {"0", nullptr, "80"},         {"0", "1400", "1400"},
        {"1", "1400", "secure"},      {"0", "8080", "8080"},
        {"0", "443", "default"},      {"0", "web", "80"},
        {"2", "1400", "1400"},  // only 1 means SSL
    };
    for (const AddressCase& c : cases) {
        initKey_.deleteValue(QStringLiteral("bSSL"));
        initKey_.deleteValue(QStringLiteral("Port"));
        if (c.ssl) {
            initKey_.setValue(QStringLiteral("bSSL"), QString::fromLatin1(c.ssl));
        }
        if (c.port) {
            initKey_.setValue(QStringLiteral("Port"), QString::fromLatin1(c.port));
        }
        const QString expected = QLatin1String(c.expected) == QLatin1String("secure")
                                     ? SecureServiceURL()
                                 : QLatin1String(c.expected) == QLatin1String("default")
                                     ? DefaultServiceURL()
                                     : PlainServiceURL(QString::fromLatin1(c.expected));
        EXPECT_EQ(LoadConnectionSettings(initKey_).serviceURL(), expected)
            << "bSSL " << (c.ssl ? c.ssl : "(none)") << ", Port " << (c.port ? c.port : "(none)");
    }
}

TEST(ChosenRefreshRate, PicksTheListItemOrItsFallback) {
    struct Case {
        const char* stored;
        bool freeAccount;
        int expected;
    };
    const Case cases[] = {
        {"", false, 60},   {"", true, 90},     {"soon", false, 60}, {"30", false, 60},
        {"30", true, 90},  {"45", false, 60},  {"70", false, 70},   {"70", true, 90},
        {"75", false, 90}, {"120", true, 120}, {"60.0", false, 90}, {"500", false, 90},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ChosenRefreshRate(QString::fromLatin1(c.stored), c.freeAccount), c.expected)
            << "stored \"" << c.stored << "\"" << (c.freeAccount ? " (free account)" : "");
    }
}

TEST_F(ConnectionSettingsTest, SavingWithoutAPortKeepsTheStoredOne) {
    SaveConnectionSettings(initKey_, false, QStringLiteral("8080"), QStringLiteral("40"));
    SaveConnectionSettings(initKey_, true, QString(), QStringLiteral("50"));
    const ConnectionSettings settings = LoadConnectionSettings(initKey_);
    EXPECT_TRUE(settings.ssl);
    EXPECT_EQ(settings.port, QStringLiteral("8080"));
    EXPECT_EQ(settings.refreshRate, QStringLiteral("50"));
}

}  // namespace
}  // namespace quillon
