// The store's file: where it is, its rights, its journal and schema, and odd files.
#include <fcntl.h>
#include <sqlite3.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>

#include "StoreFixture.h"
#include "hivekit/CRegistry.h"
#include "hivekit/NameFold.h"

namespace hivekit::test {
namespace {

class StoreFileTest : public StoreFixture {
  protected:
    static mode_t ModeOf(const std::string& path) {
        struct stat st {};
        EXPECT_EQ(stat(path.c_str(), &st), 0) << path;
        return st.st_mode & 07777;
    }
    static std::string Pragma(const std::string& path, const char* pragma) {
        sqlite3* db = nullptr;
        sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
        sqlite3_stmt* st = nullptr;
        std::string out;
        if (sqlite3_prepare_v2(db, pragma, -1, &st, nullptr) == SQLITE_OK &&
            sqlite3_step(st) == SQLITE_ROW) {
            out = reinterpret_cast<const char*>(sqlite3_column_text(st, 0));
        }
        sqlite3_finalize(st);
        sqlite3_close(db);
        return out;
    }
};

TEST_F(StoreFileTest, DefaultPlaceIsPrivateAndFollowsXdgConfigHome) {
    unsetenv("HIVEKIT_STORE");
    const std::string config = dir + "/config";
    setenv("XDG_CONFIG_HOME", config.c_str(), 1);
    EXPECT_EQ(Store::DefaultPath(), config + "/hivekit/registry.db");
    CRegistry r;
    r.PutKey("K");
    EXPECT_EQ(ModeOf(config + "/hivekit"), 0700u);
    EXPECT_EQ(ModeOf(config + "/hivekit/registry.db"), 0600u);
    unsetenv("XDG_CONFIG_HOME");
}

TEST_F(StoreFileTest, JournalSchemaAndWidenedRights) {
    {
        CRegistry r;
        r.PutKey("K");
    }
    EXPECT_EQ(Pragma(storePath, "PRAGMA journal_mode"), "wal");
    EXPECT_EQ(Pragma(storePath, "PRAGMA user_version"), "1");
    chmod(storePath.c_str(), 0644);
    CRegistry r;
    r.PutKey("K");
    EXPECT_EQ(ModeOf(storePath), 0600u);
}

TEST_F(StoreFileTest, AFileThatIsNotAStoreIsLeftExactlyAsItWas) {
    const std::string text = "notes, not a database\n";
    std::ofstream(storePath) << text;
    ASSERT_EQ(chmod(storePath.c_str(), 0644), 0);
    struct stat before {};
    ASSERT_EQ(stat(storePath.c_str(), &before), 0);
    CRegistry r;
    r.PutKey("K");
    EXPECT_EQ(notices, std::vector<std::string>{"|Cannot Open Parent Key"});
    Store store;
    std::int64_t id = 0;
    EXPECT_EQ(store.OpenKey(static_cast<std::int32_t>(0x80000002u), "K", id), kStoreBadKey);
    EXPECT_EQ(store.LastError(), "file is not a database");
    struct stat after {};
    ASSERT_EQ(stat(storePath.c_str(), &after), 0);
    EXPECT_EQ(after.st_mode, before.st_mode);
    EXPECT_EQ(after.st_mtim.tv_sec, before.st_mtim.tv_sec);
    EXPECT_EQ(after.st_mtim.tv_nsec, before.st_mtim.tv_nsec);
    std::ifstream in(storePath);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), text);
    EXPECT_NE(access((storePath + "-wal").c_str(), F_OK), 0);
}

// A writer holding a key that another program deleted meanwhile must not write into a key made
// after the deletion: the id of a deleted key is never given again, so the write fails instead.
TEST_F(StoreFileTest, AStaleKeyIdNeverReachesAKeyMadeAfterItsDeletion) {
    constexpr auto hklm = static_cast<std::int32_t>(0x80000002u);
    Store writer;
    Store other;
    std::int64_t stale = 0;
    std::int64_t fresh = 0;
    int disposition = 0;
    ASSERT_EQ(writer.CreateKey(hklm, "Keep\\A", stale, disposition), kStoreOk);
    ASSERT_EQ(other.DeleteKeyTree(hklm, "Keep", "A"), kStoreOk);
    ASSERT_EQ(other.CreateKey(hklm, "Keep\\B", fresh, disposition), kStoreOk);
    EXPECT_NE(fresh, stale);
    EXPECT_EQ(writer.SetValue(stale, "Port", 1, "8080"), kStoreKeyDeleted);
    std::vector<ValueRow> rows;
    ASSERT_EQ(other.ReadValues(fresh, rows), kStoreOk);
    EXPECT_TRUE(rows.empty());

    // A store whose newest key was made before the mark existed: its deletion keeps the id
    // from coming back too.
    ASSERT_EQ(writer.CreateKey(hklm, "Keep\\C", stale, disposition), kStoreOk);
    {
        sqlite3* db = nullptr;
        ASSERT_EQ(sqlite3_open(storePath.c_str(), &db), SQLITE_OK);
        EXPECT_EQ(sqlite3_exec(db, "DROP TABLE key_ids", nullptr, nullptr, nullptr), SQLITE_OK);
        sqlite3_close(db);
    }
    ASSERT_EQ(other.DeleteKeyTree(hklm, "Keep", "C"), kStoreOk);
    ASSERT_EQ(other.CreateKey(hklm, "Keep\\D", fresh, disposition), kStoreOk);
    EXPECT_NE(fresh, stale);
    EXPECT_EQ(writer.SetValue(stale, "Port", 1, "8080"), kStoreKeyDeleted);
}

TEST_F(StoreFileTest, SymbolicLinkOrFifoInPlaceOfTheStoreIsRefused) {
    const std::string target = dir + "/elsewhere.db";
    std::ofstream(target) << "";
    ASSERT_EQ(symlink(target.c_str(), storePath.c_str()), 0);
    CRegistry r;
    r.PutKey("K");
    EXPECT_EQ(r.GetValueCount(), 0);
    EXPECT_EQ(notices, std::vector<std::string>{"|Unknown error"});
    EXPECT_EQ(std::ifstream(target).peek(), EOF);  // nothing written through the link

    // A FIFO is refused at once rather than waited on for a writer that never comes.
    ASSERT_EQ(unlink(storePath.c_str()), 0);
    ASSERT_EQ(mkfifo(storePath.c_str(), 0600), 0);
    notices.clear();
    r.PutKey("K");
    EXPECT_EQ(r.GetValueCount(), 0);
    EXPECT_EQ(notices, std::vector<std::string>{"|Unknown error"});
}

TEST_F(StoreFileTest, KeyPathsIgnoreStraySeparatorsAndRefuseLongParts) {
    CRegistry r;
    r.PutKey("\\A\\\\B\\");
    Var n = std::string("v");
    Var v = std::string("1");
    EXPECT_TRUE(r.SetValue(n, v, 0));
    EXPECT_TRUE(KeyExists("A\\B"));
    r.PutKey(std::string(255, 'k'));
    EXPECT_EQ(r.GetValueCount(), 1);
    r.PutKey(std::string(256, 'k'));
    EXPECT_EQ(notices, std::vector<std::string>{"|Unknown error"});
}

// A path of `depth` levels below "Top".
std::string DeepPath(int depth) {
    std::string path = "Top";
    for (int i = 1; i < depth; ++i) {
        path += "\\d";
    }
    return path;
}

TEST_F(StoreFileTest, KeysDeeperThanTheLimitAreRefusedAndDeepTreesAreDeleted) {
    CRegistry r;
    r.PutKey(DeepPath(512));
    EXPECT_TRUE(KeyExists(DeepPath(512)));
    EXPECT_TRUE(notices.empty());
    r.PutKey(DeepPath(513));
    EXPECT_EQ(notices, std::vector<std::string>{"|Unknown error"});
    EXPECT_FALSE(KeyExists(DeepPath(513)));

    // A tree far deeper than that, as another program may have written it, still goes.
    std::int64_t id = 0;
    {
        Store store;
        ASSERT_EQ(store.OpenKey(static_cast<std::int32_t>(0x80000002u), DeepPath(512), id),
                  kStoreOk);
    }
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(storePath.c_str(), &db), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_stmt* st = nullptr;
    ASSERT_EQ(sqlite3_prepare_v2(db, "INSERT INTO keys(parent, name, folded) VALUES(?, 'e', ?)", -1,
                                 &st, nullptr),
              SQLITE_OK);
    for (int i = 0; i < 3000; ++i) {
        sqlite3_bind_int64(st, 1, id);
        sqlite3_bind_text(st, 2, FoldName("e").c_str(), -1, SQLITE_TRANSIENT);
        ASSERT_EQ(sqlite3_step(st), SQLITE_DONE);
        sqlite3_reset(st);
        id = sqlite3_last_insert_rowid(db);
    }
    sqlite3_finalize(st);
    const std::string value = "INSERT INTO vals(key, name, folded, type, data) VALUES(" +
                              std::to_string(id) + ", 'v', 'V', 1, x'3100')";
    ASSERT_EQ(sqlite3_exec(db, value.c_str(), nullptr, nullptr, nullptr), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr), SQLITE_OK);

    CRegistry top;
    top.PutKey("Top");
    EXPECT_TRUE(top.DeleteKey("d"));
    EXPECT_FALSE(KeyExists("Top\\d"));
    EXPECT_TRUE(KeyExists("Top"));
    for (const char* left :
         {"SELECT count(*) FROM keys WHERE name IN ('d', 'e')", "SELECT count(*) FROM vals"}) {
        ASSERT_EQ(sqlite3_prepare_v2(db, left, -1, &st, nullptr), SQLITE_OK);
        ASSERT_EQ(sqlite3_step(st), SQLITE_ROW);
        EXPECT_EQ(sqlite3_column_int(st, 0), 0) << left;
        sqlite3_finalize(st);
    }
    sqlite3_close(db);
}

}  // namespace
}  // namespace hivekit::test
