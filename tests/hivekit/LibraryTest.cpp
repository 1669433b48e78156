// The built libhivekit.so itself: what it exports, its version data, and an object made
// through its own class factory.
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <hivekit/Hivekit.h>
#include <hivekit/VersionNote.h>

#include <cstdio>
#include <cstdlib>
#include <set>
#include <string>

namespace hivekit::test {
namespace {

std::string LibraryPath() {
    const char* bin = std::getenv("QUILLON_BIN_DIR");
    return std::string(bin ? bin : ".") + "/libhivekit.so";
}

TEST(Library, ExportsExactlyItsFourEntryPoints) {
    const std::string command = "nm -D --defined-only " + LibraryPath();
    FILE* nm = popen(command.c_str(), "r");
    ASSERT_NE(nm, nullptr);
    std::set<std::string> symbols;
    char line[512];
    while (std::fgets(line, sizeof line, nm)) {
        std::string s(line);
        s.erase(s.find_last_not_of("\r\n") + 1);
        symbols.insert(s.substr(s.rfind(' ') + 1));
    }
    ASSERT_EQ(pclose(nm), 0);
    EXPECT_EQ(symbols, (std::set<std::string>{"DllCanUnloadNow", "DllGetClassObject",
                                              "DllRegisterServer", "DllUnregisterServer"}));
}

TEST(Library, VersionAndCommentAreReadableAndAnObjectIsMadeThroughTheFactory) {
    char dir[] = "/tmp/hivekit-lib-XXXXXX";
    ASSERT_NE(mkdtemp(dir), nullptr);
    const std::string store = std::string(dir) + "/registry.db";
    setenv("HIVEKIT_STORE", store.c_str(), 1);

    void* lib = dlopen(LibraryPath().c_str(), RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(lib, nullptr) << dlerror();
    std::string version;
    std::string comments;
    ASSERT_TRUE(ReadVersionNote(lib, version, comments));
    EXPECT_EQ(version, "1.0.0.3");
    EXPECT_EQ(comments,
              "Manipulates the registry through easy to use methods that encapsulate the "
              "registry API's.");
    EXPECT_EQ(
        dlsym(
            lib,
            "_ZN7hivekit9CRegistry6PutKeyERKNSt7__cxx1112basic_stringIcSt11char_traitsIcESaIcEEE"),
        nullptr);

    auto getClassObject = reinterpret_cast<DllGetClassObjectFn>(dlsym(lib, "DllGetClassObject"));
    auto canUnload = reinterpret_cast<DllCanUnloadNowFn>(dlsym(lib, "DllCanUnloadNow"));
    ASSERT_NE(getClassObject, nullptr);
    void* f = nullptr;
    ASSERT_EQ(getClassObject(&CLSID_CRegistry, &IID_IClassFactory, &f), S_OK);
    void* o = nullptr;
    ASSERT_EQ(static_cast<IClassFactory*>(f)->CreateInstance(nullptr, IID__CRegistry, &o), S_OK);
    static_cast<IClassFactory*>(f)->Release();
    auto* reg = static_cast<_CRegistry*>(o);
    BSTR key = SysAllocString("SOFTWARE\\Corvane\\Init");
    EXPECT_EQ(reg->put_Key(key), S_OK);
    SysFreeString(key);
    std::int16_t count = 0;
    EXPECT_EQ(reg->get_ValueCount(&count), S_OK);
    EXPECT_EQ(count, 1);
    EXPECT_EQ(canUnload(), S_FALSE);
    reg->Release();
    EXPECT_EQ(canUnload(), S_OK);
    dlclose(lib);
    unsetenv("HIVEKIT_STORE");
    std::remove((store + "-wal").c_str());
    std::remove((store + "-shm").c_str());
    std::remove(store.c_str());
    rmdir(dir);
}

}  // namespace
}  // namespace hivekit::test
