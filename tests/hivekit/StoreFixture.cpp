#include "StoreFixture.h"

#include <stdlib.h>

#include <filesystem>

namespace hivekit::test {

void StoreFixture::SetUp() {
    char templ[] = "/tmp/hivekit-test-XXXXXX";
    ASSERT_NE(mkdtemp(templ), nullptr);
    dir = templ;
    storePath = dir + "/registry.db";
    setenv("HIVEKIT_STORE", storePath.c_str(), 1);
    oldSink_ = SetNoticeSink([this](const std::string& title, const std::string& text) {
        notices.push_back(title + "|" + text);
    });
}

void StoreFixture::TearDown() {
    SetNoticeSink(oldSink_);
    unsetenv("HIVEKIT_STORE");
    std::error_code ec;
    std::filesystem::permissions(dir, std::filesystem::perms::owner_all, ec);
    std::filesystem::remove_all(dir, ec);
}

std::vector<ValueRow> StoreFixture::RawValues(const std::string& key, std::int32_t root) {
    Store store;
    std::int64_t id = 0;
    std::vector<ValueRow> rows;
    EXPECT_EQ(store.OpenKey(root, key, id), kStoreOk) << key;
    EXPECT_EQ(store.ReadValues(id, rows), kStoreOk);
    return rows;
}

void StoreFixture::PutRaw(const std::string& key, const std::string& name, std::int32_t type,
                          const std::string& data) {
    Store store;
    std::int64_t id = 0;
    int disposition = 0;
    ASSERT_EQ(store.CreateKey(static_cast<std::int32_t>(0x80000002u), key, id, disposition),
              kStoreOk);
    ASSERT_EQ(store.SetValue(id, name, type, data), kStoreOk);
}

bool StoreFixture::KeyExists(const std::string& key) {
    Store store;
    std::int64_t id = 0;
    return store.OpenKey(static_cast<std::int32_t>(0x80000002u), key, id) == kStoreOk;
}

}  // namespace hivekit::test
