// The client's side: the loader finds libhivekit.so beside the program and creates objects
// through its class factory; the wrapper reads, writes and turns errors into ClientError.
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <stdlib.h>

#include <hivekit/Hivekit.h>

#include <QDir>
#include <QTemporaryDir>

#include "InstallLayout.h"
#include "platform/ClientError.h"
#include "registry/ComponentLoader.h"
#include "registry/Registry.h"
#include "support/ScopedEnv.h"

namespace quillon {
namespace {

class RegistryTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(dir_.isValid());
        store_ = std::make_unique<test::ScopedEnv>("HIVEKIT_STORE",
                                                   QFile::encodeName(dir_.filePath("registry.db")));
    }
    QTemporaryDir dir_;
    std::unique_ptr<test::ScopedEnv> store_;
};

TEST_F(RegistryTest, LoaderLooksBesideTheProgramFirst) {
    const QStringList paths = ComponentLoader::candidatePaths();
    ASSERT_EQ(paths.size(), 3);
    const QDir bin(qEnvironmentVariable("QUILLON_BIN_DIR"));
    EXPECT_EQ(paths[0], bin.filePath("libhivekit.so"));
    // Then where an installed copy keeps it, below the prefix the bin folder is in.
    EXPECT_EQ(paths[1],
              QDir::cleanPath(bin.filePath(QUILLON_INSTALL_COMPONENT_FROM_BIN "/libhivekit.so")));
    EXPECT_EQ(paths[2], "libhivekit.so");
}

// An idle program unloads the component (and SQLite with it) only while none of its objects is
// alive, and the next object loads it again with the settings where they were.
TEST_F(RegistryTest, TheComponentIsUnloadedOnlyWhenNoObjectIsAliveAndLoadsAgain) {
    {
        Registry reg;
        reg.setKey("SOFTWARE\\Corvane\\Init");
        EXPECT_TRUE(reg.setValue("Username", QStringLiteral("demo")));
        EXPECT_FALSE(ComponentLoader::freeUnused());
        EXPECT_EQ(reg.getValue(QStringLiteral("Username")), "demo");  // still callable
    }
    EXPECT_TRUE(ComponentLoader::freeUnused());
#ifndef QUILLON_SANITIZE  // there the library stays mapped, for the leak reports' frames
    const QByteArray path =
        QFile::encodeName(QDir(qEnvironmentVariable("QUILLON_BIN_DIR")).filePath("libhivekit.so"));
    EXPECT_EQ(dlopen(path.constData(), RTLD_NOW | RTLD_NOLOAD), nullptr);
#endif
    EXPECT_FALSE(ComponentLoader::freeUnused());  // nothing loaded
    Registry reg;
    reg.setKey("SOFTWARE\\Corvane\\Init");
    EXPECT_EQ(reg.getValue(QStringLiteral("Username")), "demo");
}

TEST_F(RegistryTest, SettingsRoundTripThroughTheComponent) {
    {
        Registry reg;
        reg.setKey("SOFTWARE\\Corvane\\Init");
        EXPECT_EQ(reg.key(), "SOFTWARE\\Corvane\\Init");
        EXPECT_EQ(reg.valueCount(), 1);
        EXPECT_TRUE(reg.setValue("sUsername", QStringLiteral("älice")));
        EXPECT_TRUE(reg.setValue("bSaveLogin", QStringLiteral("1")));
        EXPECT_TRUE(reg.setValue("Port", qint32{8080}));
        EXPECT_TRUE(reg.setValue("Small", qint16{7}));
        EXPECT_TRUE(reg.setValue("Empty", QString()));
    }
    Registry reg;
    reg.setKey("software\\corvane\\init");
    ASSERT_EQ(reg.valueCount(), 6);
    QStringList names;
    for (qint16 i = 1; i < reg.valueCount(); ++i) {
        names << reg.getName(i) + "=" + reg.getValue(i);
    }
    EXPECT_EQ(names.join(";"), "sUsername=älice;bSaveLogin=1;Port=8080;Small=7;Empty=");
    EXPECT_EQ(reg.getValue("PORT"), "8080");
    EXPECT_EQ(reg.getValue("notThere"), "");
    EXPECT_TRUE(reg.setValueAt(qint16{2}, QStringLiteral("0")));
    EXPECT_EQ(reg.getValue("bSaveLogin"), "0");
    EXPECT_TRUE(reg.deleteValue("Small"));
    EXPECT_EQ(reg.valueCount(), 5);
}

TEST_F(RegistryTest, KeysRootAndAutoCreate) {
    Registry reg;
    EXPECT_EQ(reg.root(), Registry::HkeyLocalMachine);
    EXPECT_TRUE(reg.autoCreate());
    reg.setKey("SOFTWARE\\Corvane");
    EXPECT_EQ(reg.create("bob"), -1);
    EXPECT_EQ(reg.key(), "SOFTWARE\\Corvane\\bob");
    EXPECT_EQ(reg.create("bob\\Grid", "Columns", "5"), -1);
    EXPECT_EQ(reg.getValue("Columns"), "5");
    reg.setKey("SOFTWARE\\Corvane");
    EXPECT_TRUE(reg.deleteKey("bob"));
    reg.setAutoCreate(false);
    reg.setKey("SOFTWARE\\Corvane\\bob");
    EXPECT_EQ(reg.valueCount(), 1);  // unchanged from the last key read
    reg.setRoot(Registry::HkeyCurrentUser);
    EXPECT_EQ(reg.root(), Registry::HkeyCurrentUser);
}

TEST_F(RegistryTest, ComponentErrorsBecomeClientErrors) {
    Registry reg;
    reg.setKey("K");
    try {
        reg.getName(1);
        FAIL() << "position 1 of an empty key was given";
    } catch (const ClientError& e) {
        EXPECT_EQ(e.number(), 1200);
        EXPECT_EQ(e.source(), "Registry Collection");
        EXPECT_EQ(e.description(), "Invalid Index");
    }
    reg.setAutoCreate(false);
    reg.setKey("Missing");
    try {
        reg.setValue("x", QStringLiteral("y"));
        FAIL() << "a write to a missing key succeeded";
    } catch (const ClientError& e) {
        EXPECT_EQ(e.number(), static_cast<long>(static_cast<qint32>(0x80040201u)));
        EXPECT_EQ(e.source(), "GetKeyInfo");
        EXPECT_EQ(e.description(), "Unable to open Key");
    }
}

TEST_F(RegistryTest, AMissingOrForeignLibraryIsAClearError) {
    try {
        ComponentLoader::openLibrary({dir_.filePath("libhivekit.so")});
        FAIL() << "a library that is not there was opened";
    } catch (const ClientError& e) {
        EXPECT_EQ(e.number(), 429);
        EXPECT_TRUE(e.description().contains("could not be loaded"))
            << e.description().toStdString();
        EXPECT_TRUE(e.description().contains(dir_.path())) << e.description().toStdString();
    }
    // A library that loads but is no component.
    void* libc = ComponentLoader::openLibrary({"libc.so.6"});
    ASSERT_NE(libc, nullptr);
    try {
        ComponentLoader::createObjectFrom(libc, hivekit::CLSID_CRegistry, hivekit::IID__CRegistry);
        FAIL();
    } catch (const ClientError& e) {
        EXPECT_TRUE(e.description().contains("class factory")) << e.description().toStdString();
    }
    // The component, asked for a class it does not have.
    try {
        ComponentLoader::createObject(hivekit::IID__CRegistry, hivekit::IID__CRegistry);
        FAIL();
    } catch (const ClientError& e) {
        EXPECT_TRUE(e.description().contains("does not offer the class"))
            << e.description().toStdString();
    }
}

}  // namespace
}  // namespace quillon
