// The store's library can be loaded ahead, on a thread of its own; the loader then finds it
// loaded, and objects are created from it as before.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <hivekit/Hivekit.h>

#include <QDir>
#include <chrono>
#include <thread>

#include "registry/ComponentLoader.h"

namespace quillon {
namespace {

void* loadedHandle(const QByteArray& path) {
    return dlopen(path.constData(), RTLD_NOW | RTLD_NOLOAD);
}

TEST(ComponentPreload, LoadsTheLibraryBesideTheProgramAndTheLoaderUsesIt) {
    const QByteArray path =
        QFile::encodeName(QDir(qEnvironmentVariable("QUILLON_BIN_DIR")).filePath("libhivekit.so"));
    // Run alone (as CTest runs each case) nothing has loaded it before: only the preload can.
    ComponentLoader::preload();
    void* preloaded = nullptr;
    for (int i = 0; i < 500 && !preloaded; ++i) {
        preloaded = loadedHandle(path);
        if (!preloaded) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    }
    ASSERT_NE(preloaded, nullptr) << "the library beside the program was not loaded";
    EXPECT_EQ(ComponentLoader::library(), preloaded);
    dlclose(preloaded);
}

}  // namespace
}  // namespace quillon
