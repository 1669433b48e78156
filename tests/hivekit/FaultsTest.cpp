// Faults tried for real: foreign value types, damaged and read-only stores, awkward names
// and data, two processes writing at once, and a writer killed in a burst of writes.
#include <signal.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <set>

#include <hivekit/Hivekit.h>

#include "StoreFixture.h"
#include "hivekit/CRegistry.h"
#include "hivekit/ComError.h"

namespace hivekit::test {
namespace {

class FaultsTest : public StoreFixture {
  protected:
    static bool Set(CRegistry& r, const std::string& name, const std::string& value) {
        Var n = name;
        Var v = value;
        return r.SetValue(n, v, 0);
    }
};

TEST_F(FaultsTest, AForeignTypeIsListedLikeBinaryAndTheValuesAfterItStay) {
    PutRaw("K", "before", RegSz, std::string("1\0", 2));
    PutRaw("K", "link", RegLink, "whatever");
    PutRaw("K", "none", RegNone, "");
    PutRaw("K", "after", RegSz, std::string("2\0", 2));
    CRegistry r;
    r.PutKey("K");
    EXPECT_EQ(r.GetValueCount(), 5);
    EXPECT_EQ(r.GetName(2), "link");
    EXPECT_EQ(r.GetValueType(std::string("link")), RegLink);
    EXPECT_EQ(r.GetValue(std::string("link")), "");
    EXPECT_EQ(r.GetValue(std::string("after")), "2");
    // A write to the key still re-reads the whole list.
    EXPECT_TRUE(Set(r, "later", "3"));
    EXPECT_EQ(r.GetValueCount(), 6);
}

TEST_F(FaultsTest, AValueNamedLikeTheDefaultDoesNotHideTheRest) {
    PutRaw("K", "", RegSz, std::string("unnamed\0", 8));
    PutRaw("K", "<DEFAULT>", RegSz, std::string("named\0", 6));
    PutRaw("K", "after", RegSz, std::string("2\0", 2));
    CRegistry r;
    r.PutKey("K");
    // The value left out is not counted: the client's loop reads every position it counts.
    EXPECT_EQ(r.GetValueCount(), 3);
    for (std::int16_t i = 1; i < r.GetValueCount(); ++i) {
        EXPECT_NO_THROW(r.GetName(i)) << i;
    }
    EXPECT_EQ(r.GetName(2), "after");
    EXPECT_EQ(r.GetValue(std::string("<DEFAULT>")), "unnamed");
    EXPECT_EQ(r.GetValue(std::string("after")), "2");
}

TEST_F(FaultsTest, AStoreThatIsNotADatabaseGivesNoticesAndFailures) {
    std::ofstream(storePath) << std::string(8192, 'x');
    CRegistry r;
    r.PutKey("K");
    EXPECT_EQ(r.GetValueCount(), 0);
    EXPECT_EQ(notices, std::vector<std::string>{"|Cannot Open Parent Key"});
    EXPECT_THROW(Set(r, "a", "b"), ComError);  // the re-read after the write fails
    r.PutAutoCreate(false);
    r.PutKey("K");
    EXPECT_EQ(r.GetValueCount(), 0);
    std::ifstream in(storePath);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), std::string(8192, 'x'));
}

// Reads a read-only store and tries to write it; "" when everything behaved, else what did not.
std::string TryReadOnlyStore(std::vector<std::string>& notices) {
    CRegistry r;
    r.PutKey("K");
    if (r.GetValue(std::string("kept")) != "1") {
        return "the stored value was not read";
    }
    notices.clear();
    Var n = std::string("new");
    Var v = std::string("2");
    if (r.SetValue(n, v, 0)) {
        return "a write to a read-only store reported success";
    }
    if (notices != std::vector<std::string>{"|Darn!!  Couldn't write new value."}) {
        return "no write notice";
    }
    if (r.GetValueCount() != 2) {
        return "the list changed";
    }
    r.PutKey("Missing");
    if (notices.back() != "|Unknown error") {
        return "no notice for a key that cannot be created";
    }
    return {};
}

TEST_F(FaultsTest, AReadOnlyStoreIsReadAndRefusesWrites) {
    {
        CRegistry r;
        r.PutKey("K");
        ASSERT_TRUE(Set(r, "kept", "1"));
    }
    // Put the journal back into the main file so that a reader needs nothing else.
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(storePath.c_str(), &db), SQLITE_OK);
    sqlite3_exec(db, "PRAGMA journal_mode=DELETE", nullptr, nullptr, nullptr);
    sqlite3_close(db);
    ASSERT_EQ(chmod(storePath.c_str(), 0444), 0);
    if (geteuid() != 0) {
        EXPECT_EQ(TryReadOnlyStore(notices), "");
        return;
    }
    // The superuser writes any file whatever its mode: try it as an ordinary user instead.
    ASSERT_EQ(chmod(dir.c_str(), 0755), 0);
    int fds[2];
    ASSERT_EQ(pipe(fds), 0);
    const pid_t pid = fork();
    if (pid == 0) {
        close(fds[0]);
        std::string why = "cannot change to an ordinary user";
        if (setgid(65534) == 0 && setuid(65534) == 0) {
            why = TryReadOnlyStore(notices);
        }
        const ssize_t written = write(fds[1], why.data(), why.size());
        _exit(written == static_cast<ssize_t>(why.size()) ? 0 : 1);
    }
    close(fds[1]);
    std::string why;
    char buf[256];
    for (ssize_t n; (n = read(fds[0], buf, sizeof buf)) > 0;) {
        why.append(buf, static_cast<std::size_t>(n));
    }
    close(fds[0]);
    int status = 0;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    EXPECT_EQ(why, "");
}

TEST_F(FaultsTest, AwkwardNamesAndDataRoundTripOrAreRefused) {
    CRegistry r;
    r.PutKey("Odd \"quoted\" key's\\sub");
    const std::string longName(16383, 'n');
    const std::string longData(16383, 'd');
    const std::string quotes = "say \"hi\" and 'bye' \\ back\\slash";
    EXPECT_TRUE(Set(r, quotes, quotes));
    EXPECT_TRUE(Set(r, longName, longData));
    EXPECT_TRUE(Set(r, "zeros", std::string("a\0\0b", 4)));
    EXPECT_EQ(r.GetValue(quotes), quotes);
    EXPECT_EQ(r.GetValue(longName), longData);
    EXPECT_EQ(r.GetValue(std::string("zeros")), std::string("a\0\0b\0", 5));  // with its terminator
    EXPECT_TRUE(KeyExists("Odd \"quoted\" key's\\sub"));
    notices.clear();
    EXPECT_FALSE(Set(r, longName + "n", "too long a name"));
    EXPECT_FALSE(Set(r, std::string("zero\0name", 9), "x"));
    EXPECT_EQ(notices, (std::vector<std::string>{"|Darn!!  Couldn't write new value.",
                                                 std::string("CRegistry|") + kNoticeBadValueName,
                                                 "|Darn!!  Couldn't write new value."}));
    EXPECT_EQ(r.GetValueCount(), 4);
}

// Writes `count` values named prefix0.. into the key in a process of its own, then one shared
// value `count` times; exits 0 when every write returned true.
pid_t SpawnWriter(const std::string& prefix, int count, int reportFd = -1) {
    const pid_t pid = fork();
    if (pid != 0) {
        return pid;
    }
    int failures = 0;
    CRegistry r;
    r.PutKey("Shared\\Key");
    for (int i = 0; i < count; ++i) {
        Var n = prefix + std::to_string(i);
        Var v = std::string("value ") + std::to_string(i);
        try {
            if (!r.SetValue(n, v, 0)) {
                ++failures;
            } else if (reportFd >= 0) {
                const int done = i;
                if (write(reportFd, &done, sizeof done) != sizeof done) {
                    ++failures;
                }
            }
        } catch (const ComError&) {
            ++failures;
        }
    }
    _exit(failures == 0 ? 0 : 1);
}

TEST_F(FaultsTest, TwoProcessesWritingTheSameKeyLoseNothing) {
    constexpr int kEach = 150;
    const pid_t a = SpawnWriter("a", kEach);
    const pid_t b = SpawnWriter("b", kEach);
    ASSERT_GT(a, 0);
    ASSERT_GT(b, 0);
    int status = 0;
    ASSERT_EQ(waitpid(a, &status, 0), a);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    ASSERT_EQ(waitpid(b, &status, 0), b);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    const auto rows = RawValues("Shared\\Key");
    std::set<std::string> names;
    for (const auto& row : rows) {
        names.insert(row.name);
    }
    EXPECT_EQ(names.size(), 2u * kEach);
    for (int i = 0; i < kEach; ++i) {
        EXPECT_TRUE(names.count(Numbered("a", i)));
        EXPECT_TRUE(names.count(Numbered("b", i)));
    }
}

TEST_F(FaultsTest, AWriterKilledInABurstLeavesEveryReturnedWrite) {
    int fds[2];
    ASSERT_EQ(pipe(fds), 0);
    const pid_t pid = SpawnWriter("w", 100000, fds[1]);
    ASSERT_GT(pid, 0);
    close(fds[1]);
    int last = -1;
    int done = 0;
    while (last < 150 && read(fds[0], &done, sizeof done) == sizeof done) {
        last = done;
    }
    kill(pid, SIGKILL);
    // Writes that returned after the last report read here are confirmed too.
    while (read(fds[0], &done, sizeof done) == sizeof done) {
        last = done;
    }
    close(fds[0]);
    int status = 0;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    ASSERT_TRUE(WIFSIGNALED(status));
    ASSERT_GE(last, 150);

    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(storePath.c_str(), &db), SQLITE_OK);
    sqlite3_stmt* st = nullptr;
    ASSERT_EQ(sqlite3_prepare_v2(db, "PRAGMA integrity_check", -1, &st, nullptr), SQLITE_OK);
    ASSERT_EQ(sqlite3_step(st), SQLITE_ROW);
    EXPECT_STREQ(reinterpret_cast<const char*>(sqlite3_column_text(st, 0)), "ok");
    sqlite3_finalize(st);
    sqlite3_close(db);

    CRegistry r;
    r.PutKey("Shared\\Key");
    EXPECT_GE(r.GetValueCount(), last + 2);
    for (int i = 0; i <= last; ++i) {
        ASSERT_EQ(r.GetValue(std::string("w") + std::to_string(i)), "value " + std::to_string(i))
            << i;
    }
}

}  // namespace
}  // namespace hivekit::test
