// hivekit-reg against hostile and awkward input: stored text that is not UTF-8, names that are
// not valid, deep trees, special files, exports that fail half-way, and .reg files as people
// have them.
#include <gtest/gtest.h>
#include <signal.h>
#include <sqlite3.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "RegText.h"
#include "RegTool.h"
#include "RegToolFixture.h"
#include "hivekit/Store.h"

namespace hivekit::reg::test {
namespace {

constexpr std::int32_t kHkcu = static_cast<std::int32_t>(0x80000001u);

class RegFileFaultsTest : public RegToolFixture {
  protected:
    // Writes a value straight into the store, past the tool's checks.
    void PutRaw(const std::string& key, const std::string& name, std::int32_t type,
                const std::string& data) {
        Store store;
        std::int64_t id = 0;
        int disposition = 0;
        ASSERT_EQ(store.CreateKey(kHkcu, key, id, disposition), kStoreOk);
        ASSERT_EQ(store.SetValue(id, name, type, data), kStoreOk);
    }
    std::vector<ValueRow> Values(const std::string& key) {
        Store store;
        std::int64_t id = 0;
        std::vector<ValueRow> rows;
        if (store.OpenKey(kHkcu, key, id) == kStoreOk) {
            store.ReadValues(id, rows);
        }
        return rows;
    }
    void Sql(const std::string& sql) {
        sqlite3* db = nullptr;
        ASSERT_EQ(sqlite3_open((dir + "/registry.db").c_str(), &db), SQLITE_OK);
        EXPECT_EQ(sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr), SQLITE_OK)
            << sqlite3_errmsg(db);
        sqlite3_close(db);
    }
    static std::string Slurp(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    }
};

TEST_F(RegFileFaultsTest, TextThatIsNotUtf8IsExportedExactlyAndCannotCarryLines) {
    // Overlong forms of '"', LF and '\' must not become real characters in the file.
    const std::string smuggled =
        std::string("x\xC0\xA2\xC0\x8A[-HKEY_CURRENT_USER\\Software\\Victim]") +
        "\xC1\x9C\xE0\x80\xA2\xED\xA0\x80\xF4\x90\x80\x80";
    PutRaw("Software\\Victim", "keep", 1, std::string("me\0", 3));
    PutRaw("Software\\Attacker", "sz", 1, smuggled + '\0');
    PutRaw("Software\\Attacker", "expand", 2, smuggled + '\0');
    PutRaw("Software\\Attacker", "multi", 7, smuggled + '\0' + "\xFF" + '\0' + '\0');
    PutRaw("Software\\Attacker", "odd", 1, std::string("no terminator \xC3", 15));
    const std::vector<ValueRow> before = Values("Software\\Attacker");

    const std::string file = dir + "/attacker.reg";
    ASSERT_EQ(Run({"export", "HKCU\\Software\\Attacker", file}), 0) << err;
    const std::string text = Utf16leToUtf8(Slurp(file).substr(2));
    EXPECT_EQ(text.find("[-"), std::string::npos) << text;
    EXPECT_NE(text.find("\"sz\"=hex(1):78,00,c0,dc,a2,dc,"), std::string::npos) << text;

    ASSERT_EQ(Run({"delete", "HKCU\\Software\\Attacker", "/f"}), 0);
    ASSERT_EQ(Run({"import", file}), 0) << err;
    EXPECT_EQ(Values("Software\\Victim").size(), 1u);
    const std::vector<ValueRow> after = Values("Software\\Attacker");
    ASSERT_EQ(after.size(), before.size());
    for (std::size_t i = 0; i < before.size(); ++i) {
        EXPECT_EQ(after[i].name, before[i].name);
        EXPECT_EQ(after[i].type, before[i].type);
        EXPECT_EQ(after[i].data, before[i].data) << before[i].name;
    }
}

TEST_F(RegFileFaultsTest, NamesThatAreNotValidAreRefusedSayingWhy) {
    ASSERT_EQ(Run({"add", "HKCU\\K", "/v", "A", "/d", "valid"}), 0);
    // An overlong 'A' is not A: refused, and A stays.
    EXPECT_EQ(Run({"add", "HKCU\\K", "/v", "\xC1\x81", "/d", "alias", "/f"}), 1);
    EXPECT_NE(err.find("is not UTF-8 text"), std::string::npos) << err;
    EXPECT_EQ(Run({"delete", "HKCU\\K", "/v", "\xC1\x81", "/f"}), 1);
    ASSERT_EQ(Values("K").size(), 1u);
    EXPECT_EQ(Values("K")[0].data, std::string("valid\0", 6));
    EXPECT_EQ(Run({"add", "HKCU\\x\xC0\x80y"}), 1);
    EXPECT_NE(err.find("is not UTF-8 text"), std::string::npos) << err;

    // A key name with a zero in an imported file, a key name too long in an export.
    const std::string zero = "Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\a" +
                             std::string(1, '\0') + "b]\r\n";
    std::ofstream(dir + "/zero.reg", std::ios::binary) << "\xFF\xFE" << Utf8ToUtf16le(zero);
    EXPECT_EQ(Run({"import", dir + "/zero.reg"}), 1);
    EXPECT_NE(err.find("holds a zero character (line 3)."), std::string::npos) << err;
    EXPECT_EQ(Run({"export", "HKCU\\" + std::string(256, 'k'), dir + "/long.reg"}), 1);
    EXPECT_NE(err.find("is longer than 255 characters"), std::string::npos) << err;
}

TEST_F(RegFileFaultsTest, DeepTreesAreWalkedWithoutRecursionAndNotExportedPastTheLimit) {
    ASSERT_EQ(Run({"add", "HKCU\\Deep"}), 0);
    // A chain of 3,000 keys below Deep, as an older store may hold.
    Sql("INSERT INTO keys(id, parent, name, folded) "
        "WITH RECURSIVE c(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM c WHERE i < 3000) "
        "SELECT 1000000 + i, CASE WHEN i = 1 THEN (SELECT id FROM keys WHERE folded = 'DEEP') "
        "ELSE 1000000 + i - 1 END, 'a', 'A' FROM c");
    // The query runs with a small stack: a walk on the call stack would overflow it.
    const char* bin = std::getenv("QUILLON_BIN_DIR");
    ASSERT_NE(bin, nullptr);
    const std::string command = "set -o pipefail; ulimit -s 1024; " + std::string(bin) +
                                "/hivekit-reg query 'HKCU\\Deep' /s | tail -n 1 | tr -cd a";
    FILE* pipe = popen(("bash -c \"" + command + "\"").c_str(), "r");
    ASSERT_NE(pipe, nullptr);
    char buffer[4096] = {};
    const std::size_t got = fread(buffer, 1, sizeof buffer - 1, pipe);
    EXPECT_EQ(pclose(pipe), 0);
    EXPECT_EQ(got, 3000u);  // the deepest key, shown last

    std::ofstream(dir + "/deep.reg") << "kept";
    EXPECT_EQ(Run({"export", "HKCU\\Deep", dir + "/deep.reg", "/y"}), 1);
    EXPECT_NE(err.find("more than 512 levels deep"), std::string::npos) << err;
    EXPECT_TRUE(Slurp(dir + "/deep.reg") == "kept");
    std::string path = "HKEY_CURRENT_USER";
    for (int i = 0; i < 513; ++i) {
        path += "\\b";
    }
    std::ofstream(dir + "/tooDeep.reg") << "REGEDIT4\n[" << path << "]\n";
    EXPECT_EQ(Run({"import", dir + "/tooDeep.reg"}), 1);
    EXPECT_NE(err.find("513 levels deep"), std::string::npos) << err;
}

TEST_F(RegFileFaultsTest, AnExportThatFailsHalfWayLeavesTheOldFile) {
    ASSERT_EQ(Run({"add", "HKCU\\K", "/v", "big", "/d", std::string(200000, 'b')}), 0);
    const std::string file = dir + "/k.reg";
    std::ofstream(file) << "the old file";
    ASSERT_EQ(chmod(file.c_str(), 0644), 0);
    // A file size limit makes the write fail after it began.
    const pid_t pid = fork();
    if (pid == 0) {
        signal(SIGXFSZ, SIG_IGN);
        // Room for the store, not for the file.
        const rlimit limit{128 << 10, 128 << 10};
        setrlimit(RLIMIT_FSIZE, &limit);
        const int status = Run({"export", "HKCU\\K", file, "/y"});
        _exit(status == 1 && err.find("File too large") != std::string::npos ? 0 : 1);
    }
    int status = -1;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_TRUE(Slurp(file) == "the old file");
    for (const auto& entry : std::filesystem::directory_iterator(dir)) {
        EXPECT_EQ(entry.path().filename().string().rfind("registry.db", 0) == 0 ||
                      entry.path().filename() == "k.reg",
                  true)
            << entry.path();  // no new file left behind
    }

    // A new file is private from its creation, whatever the umask.
    const mode_t old = umask(0);
    EXPECT_EQ(Run({"export", "HKCU\\K", dir + "/new.reg"}), 0) << err;
    umask(old);
    struct stat st {};
    ASSERT_EQ(stat((dir + "/new.reg").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
}

TEST_F(RegFileFaultsTest, OnlyRegularFilesAreImportedOrReplaced) {
    ASSERT_EQ(Run({"add", "HKCU\\K", "/v", "v", "/d", "1"}), 0);
    EXPECT_EQ(Run({"import", dir}), 1);
    EXPECT_NE(err.find("it is a folder"), std::string::npos) << err;
    EXPECT_EQ(Run({"import", "/dev/zero"}), 1);
    EXPECT_NE(err.find("it is a device"), std::string::npos) << err;
    const std::string fifo = dir + "/fifo";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_EQ(Run({"import", fifo}), 1);
    EXPECT_NE(err.find("it is a pipe"), std::string::npos) << err;
    EXPECT_EQ(Run({"export", "HKCU\\K", fifo, "/y"}), 1);
    EXPECT_NE(err.find("it is a pipe"), std::string::npos) << err;
    EXPECT_EQ(Run({"export", "HKCU\\K", dir, "/y"}), 1);
    EXPECT_NE(err.find("it is a folder"), std::string::npos) << err;
    const std::string huge = dir + "/huge.reg";
    std::ofstream(huge) << "REGEDIT4\n";
    ASSERT_EQ(truncate(huge.c_str(), (64 << 20) + 1), 0);
    EXPECT_EQ(Run({"import", huge}), 1);
    EXPECT_NE(err.find("larger than 64 MiB"), std::string::npos) << err;
}

TEST_F(RegFileFaultsTest, RegFilesAreReadAsTheRegistryEditorReadsThem) {
    // Blanks at line ends and before "[", comments after the header and after a continuation,
    // values under a deleted key passed over.
    const std::string file = dir + "/wild.reg";
    std::ofstream(file) << "Windows Registry Editor Version 5.00   \n"
                           "; pasted from a documentation page  \n"
                           "  [HKEY_CURRENT_USER\\Software\\Old]  \n"
                           "\"gone\"=\"1\"\n"
                           "[-HKEY_CURRENT_USER\\Software\\Old]\n"
                           "\"name\"=\"\"\n"
                           "@=dword:00000001\n"
                           "\t[HKEY_CURRENT_USER\\Software\\New]\t\n"
                           "\"bin\"=hex:00,01,\\ ; note\n"
                           "  ; a comment line in the list\n"
                           "  02,03\t\n"
                           "\"n\"=dword:0000002a ; the answer\n";
    ASSERT_EQ(Run({"import", file}), 0) << err;
    EXPECT_TRUE(Values("Software\\Old").empty());
    EXPECT_EQ(Run({"query", "HKCU\\Software\\Old"}), 1);
    const std::vector<ValueRow> rows = Values("Software\\New");
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].data, std::string("\0\1\2\3", 4));
    EXPECT_EQ(rows[1].data, std::string("\x2a\0\0\0", 4));

    // REGEDIT4: narrow text in hex(2) and hex(7), a QWORD, names beyond ASCII.
    std::ofstream(dir + "/old.reg") << "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\日本]\r\n"
                                       "\"名前\"=\"値\"\r\n"
                                       "\"e\"=hex(2):25,41,25,00\r\n"
                                       "\"m\"=hex(7):61,00,62,00,00\r\n"
                                       "\"q\"=hex(b):01,00,00,00,00,00,00,00\r\n";
    ASSERT_EQ(Run({"import", dir + "/old.reg"}), 0) << err;
    const std::vector<ValueRow> old = Values("Software\\日本");
    ASSERT_EQ(old.size(), 4u);
    EXPECT_EQ(old[0].name, "名前");
    EXPECT_EQ(old[1].data, std::string("%A%\0", 4));
    EXPECT_EQ(old[2].data, std::string("a\0b\0\0", 5));
    EXPECT_EQ(old[3].type, 11);

    // What is really malformed fails the whole file.
    for (const std::string bad : {"\"a\"=\"b\"junk", "\"a\"=hex:0,1", "\"a\"=dword:-1",
                                  "\"a\"=hex(x):00", "garbage", "\"a\"=dword:123456789"}) {
        std::ofstream(dir + "/bad.reg")
            << "Windows Registry Editor Version 5.00\n[HKEY_CURRENT_USER\\Bad]\n\"ok\"=\"1\"\n"
            << bad << "\n";
        EXPECT_EQ(Run({"import", dir + "/bad.reg"}), 1) << bad;
        EXPECT_NE(err.find("(line 4)"), std::string::npos) << err;
        EXPECT_EQ(Run({"query", "HKCU\\Bad"}), 1) << bad;
    }
    std::ofstream(dir + "/orphan.reg") << "REGEDIT4\n\"a\"=\"b\"\n";
    EXPECT_EQ(Run({"import", dir + "/orphan.reg"}), 1);
    EXPECT_NE(err.find("before any key line"), std::string::npos) << err;
}

}  // namespace
}  // namespace hivekit::reg::test
