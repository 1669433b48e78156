// hivekit-reg: query output, add and delete, export/import round trips, and errors.
#include <gtest/gtest.h>
#include <sqlite3.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <utility>

#include "RegFile.h"
#include "RegText.h"
#include "RegTool.h"
#include "RegToolFixture.h"
#include "hivekit/Store.h"

namespace hivekit::reg::test {
namespace {

using RegToolTest = RegToolFixture;

TEST_F(RegToolTest, QueryPrintsTheKeyAndOneLinePerValue) {
    ASSERT_EQ(Run({"add", "HKLM\\SOFTWARE\\Corvane\\Init", "/v", "sUsername", "/d", "alice"}), 0)
        << err;
    EXPECT_EQ(out, "The operation completed successfully.\n");
    ASSERT_EQ(Run({"add", "HKEY_LOCAL_MACHINE\\SOFTWARE\\Corvane\\Init", "-v", "Port", "-t",
                   "REG_DWORD", "-d", "80"}),
              0);
    ASSERT_EQ(Run({"add", "HKLM\\SOFTWARE\\Corvane\\Init", "/ve", "/d", "dflt"}), 0);
    ASSERT_EQ(Run({"add", "HKLM\\SOFTWARE\\Corvane\\Init", "/v", "m", "/t", "REG_MULTI_SZ", "/d",
                   "a\\0b"}),
              0);
    ASSERT_EQ(Run({"add", "HKLM\\SOFTWARE\\Corvane\\Init\\Sub"}), 0);
    ASSERT_EQ(Run({"query", "hklm\\SOFTWARE\\Corvane\\Init"}), 0) << err;
    EXPECT_EQ(out,
              "\nHKEY_LOCAL_MACHINE\\SOFTWARE\\Corvane\\Init\n"
              "    sUsername    REG_SZ    alice\n"
              "    Port    REG_DWORD    0x50\n"
              "    (Default)    REG_SZ    dflt\n"
              "    m    REG_MULTI_SZ    a\\0b\n"
              "\n"
              "HKEY_LOCAL_MACHINE\\SOFTWARE\\Corvane\\Init\\Sub\n");
    ASSERT_EQ(Run({"query", "HKLM\\SOFTWARE\\Corvane\\Init", "/v", "PORT"}), 0);
    EXPECT_EQ(out,
              "\nHKEY_LOCAL_MACHINE\\SOFTWARE\\Corvane\\Init\n    Port    REG_DWORD    0x50\n\n");
}

TEST_F(RegToolTest, ErrorsGoToStandardErrorWithAFailingStatus) {
    EXPECT_EQ(Run({"query", "HKLM\\Nothing"}), 1);
    EXPECT_EQ(out, "");
    EXPECT_EQ(err, "ERROR: The system was unable to find the specified registry key or value.\n");
    EXPECT_EQ(Run({"query", "HKXX\\Nothing"}), 1);
    EXPECT_NE(err.find("Invalid key name"), std::string::npos);
    EXPECT_EQ(Run({"add", "HKLM\\K", "/v", "n", "/t", "REG_DWORD", "/d", "twelve"}), 1);
    EXPECT_EQ(Run({"add", "HKLM\\K", "/v", "n", "/t", "REG_QUUX"}), 1);
    EXPECT_EQ(Run({"frobnicate", "HKLM\\K"}), 1);
    EXPECT_EQ(Run({"query", "HKLM\\K", "/zz"}), 1);
    EXPECT_EQ(Run({"delete", "HKLM", "/f"}), 1);
    EXPECT_EQ(Run({"import", dir + "/missing.reg"}), 1);
    std::ofstream(dir + "/registry.db")
        << "this is not a database, not at all, not even a little bit";
    EXPECT_EQ(Run({"query", "HKLM\\K"}), 1);
    EXPECT_NE(err.find("cannot be read (file is not a database)"), std::string::npos) << err;
}

TEST_F(RegToolTest, DwordDataIsDecimalOrHexadecimalAfter0x) {
    ASSERT_EQ(Run({"add", "HKLM\\K", "/v", "ten", "/t", "REG_DWORD", "/d", "010"}), 0) << err;
    ASSERT_EQ(Run({"add", "HKLM\\K", "/v", "hex", "/t", "REG_DWORD", "/d", "0X1f"}), 0) << err;
    EXPECT_EQ(Run({"add", "HKLM\\K", "/v", "big", "/t", "REG_DWORD", "/d", "4294967296"}), 1);
    EXPECT_EQ(Run({"add", "HKLM\\K", "/v", "neg", "/t", "REG_DWORD", "/d", "-1"}), 1);
    ASSERT_EQ(Run({"query", "HKLM\\K"}), 0);
    EXPECT_EQ(
        out,
        "\nHKEY_LOCAL_MACHINE\\K\n    ten    REG_DWORD    0xa\n    hex    REG_DWORD    0x1f\n\n");
}

TEST_F(RegToolTest, OverwritingAndDeletingAskUnlessForced) {
    ASSERT_EQ(Run({"add", "HKLM\\K", "/v", "n", "/d", "1"}), 0);
    EXPECT_EQ(Run({"add", "HKLM\\K", "/v", "n", "/d", "2"}, "no\n"), 1);
    EXPECT_EQ(Run({"add", "HKLM\\K", "/v", "N", "/d", "3"}, "yes\n"), 0);
    ASSERT_EQ(Run({"query", "HKLM\\K", "/v", "n"}), 0);
    EXPECT_NE(out.find("    n    REG_SZ    3\n"), std::string::npos);
    EXPECT_EQ(Run({"delete", "HKLM\\K", "/v", "n"}, "n\n"), 1);
    EXPECT_EQ(Run({"delete", "HKLM\\K", "/v", "n", "/f"}), 0);
    EXPECT_EQ(Run({"query", "HKLM\\K", "/v", "n"}), 1);
    ASSERT_EQ(Run({"add", "HKLM\\K\\Deep\\Er"}), 0);
    EXPECT_EQ(Run({"delete", "HKLM\\K", "/f"}), 0);
    EXPECT_EQ(Run({"query", "HKLM\\K"}), 1);
}

// Another program changes the store while a question waits for its answer: the command then
// acts on the keys as they are after the answer, never on a key made meanwhile.
TEST_F(RegToolTest, ChangesMadeWhileAQuestionIsUpAreNotWrittenOver) {
    // Gives the answer only after `meanwhile` has run.
    class AnswerAfter : public std::streambuf {
      public:
        AnswerAfter(std::function<void()> meanwhile, std::string answer)
            : meanwhile_(std::move(meanwhile)), answer_(std::move(answer)) {}

      protected:
        int_type underflow() override {
            if (meanwhile_) {
                std::exchange(meanwhile_, nullptr)();
                setg(answer_.data(), answer_.data(), answer_.data() + answer_.size());
            }
            return gptr() < egptr() ? traits_type::to_int_type(*gptr()) : traits_type::eof();
        }

      private:
        std::function<void()> meanwhile_;
        std::string answer_;
    };
    const auto ask = [this](std::vector<std::string> args, std::function<void()> meanwhile) {
        AnswerAfter answer(std::move(meanwhile), "yes\n");
        std::istream in(&answer);
        std::ostringstream o;
        std::ostringstream e;
        return RunReg(args, o, e, in);
    };
    const auto other = [this](std::vector<std::string> args) { ASSERT_EQ(Run(args), 0) << err; };

    ASSERT_EQ(Run({"add", "HKCU\\Keep\\A", "/v", "a1", "/d", "x"}), 0);
    EXPECT_EQ(ask({"delete", "HKCU\\Keep\\A", "/va"},
                  [&] {
                      other({"delete", "HKCU\\Keep\\A", "/f"});
                      other({"add", "HKCU\\Keep\\B", "/v", "important", "/d", "settings"});
                  }),
              1);
    ASSERT_EQ(Run({"query", "HKCU\\Keep\\B", "/v", "important"}), 0);
    EXPECT_NE(out.find("settings"), std::string::npos) << out;

    ASSERT_EQ(Run({"add", "HKCU\\Tmp", "/v", "Port", "/d", "80"}), 0);
    EXPECT_EQ(ask({"add", "HKCU\\Tmp", "/v", "Port", "/d", "8080"},
                  [&] {
                      other({"delete", "HKCU\\Tmp", "/f"});
                      other({"add", "HKCU\\alice", "/v", "Port", "/d", "443"});
                  }),
              0);
    ASSERT_EQ(Run({"query", "HKCU\\alice", "/v", "Port"}), 0);
    EXPECT_NE(out.find("443"), std::string::npos) << out;
    ASSERT_EQ(Run({"query", "HKCU\\Tmp", "/v", "Port"}), 0);
    EXPECT_NE(out.find("8080"), std::string::npos) << out;
}

TEST_F(RegToolTest, ExportAndImportRoundTripAKeyTree) {
    const std::string key = "HKLM\\SOFTWARE\\Corvane";
    Run({"add", key + "\\Init", "/v", "sPassword", "/d", "p\"a\\ss wörd"});
    Run({"add", key + "\\Init", "/v", "Port", "/t", "REG_DWORD", "/d", "0xFFFFFFFF"});
    Run({"add", key + "\\Init", "/v", "Path", "/t", "REG_EXPAND_SZ", "/d", "%HOME%\\x"});
    Run({"add", key + "\\Init", "/v", "List", "/t", "REG_MULTI_SZ", "/d", "one\\0two"});
    Run({"add", key + "\\Init", "/v", "Bin", "/t", "REG_BINARY", "/d", "00FF10"});
    Run({"add", key + "\\Init", "/v", std::string(200, 'L'), "/d", std::string(300, 'x')});
    Run({"add", key + "\\alice", "/ve", "/d", "default text"});
    ASSERT_EQ(Run({"query", key, "/s"}), 0);
    const std::string before = out;

    const std::string file = dir + "/corvane.reg";
    ASSERT_EQ(Run({"export", key, file}), 0) << err;
    struct stat st {};
    ASSERT_EQ(stat(file.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    std::ifstream in(file, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const std::string text = Utf16leToUtf8(bytes.substr(2));
    EXPECT_EQ(bytes.substr(0, 2), "\xFF\xFE");
    EXPECT_EQ(
        text.rfind(
            "Windows Registry Editor Version 5.00\r\n\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Corvane]",
            0),
        0u);
    EXPECT_NE(text.find("\"sPassword\"=\"p\\\"a\\\\ss wörd\"\r\n"), std::string::npos);
    EXPECT_NE(text.find("\"Port\"=dword:ffffffff\r\n"), std::string::npos);
    EXPECT_NE(text.find("\"Bin\"=hex:00,ff,10\r\n"), std::string::npos);

    ASSERT_EQ(Run({"delete", key, "/f"}), 0);
    ASSERT_EQ(Run({"import", file}), 0) << err;
    ASSERT_EQ(Run({"query", key, "/s"}), 0);
    EXPECT_EQ(out, before);
}

TEST_F(RegToolTest, DeletionsTheStoreRefusesFailTheCommand) {
    ASSERT_EQ(Run({"add", "HKLM\\K", "/v", "n", "/d", "1"}), 0);
    // The store refuses every value deletion, as a damaged or full one would.
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open((dir + "/registry.db").c_str(), &db), SQLITE_OK);
    EXPECT_EQ(sqlite3_exec(db,
                           "CREATE TRIGGER keep BEFORE DELETE ON vals "
                           "BEGIN SELECT RAISE(ABORT, 'values are kept'); END",
                           nullptr, nullptr, nullptr),
              SQLITE_OK);
    sqlite3_close(db);
    EXPECT_EQ(Run({"delete", "HKLM\\K", "/va", "/f"}), 1);
    EXPECT_EQ(out, "");
    EXPECT_NE(err.find("values are kept"), std::string::npos) << err;
    EXPECT_EQ(Run({"delete", "HKLM\\K", "/v", "N", "/f"}), 1);
    EXPECT_NE(err.find("values are kept"), std::string::npos) << err;
    std::ofstream(dir + "/remove.reg") << "Windows Registry Editor Version 5.00\n\n"
                                          "[HKEY_LOCAL_MACHINE\\K]\n\"n\"=-\n";
    EXPECT_EQ(Run({"import", dir + "/remove.reg"}), 1);
    EXPECT_NE(err.find("values are kept"), std::string::npos) << err;
    EXPECT_EQ(Run({"query", "HKLM\\K", "/v", "n"}), 0);
}

TEST_F(RegToolTest, ExportKeepsTheFilePrivateAndRefusesNamesItCouldNotReadBack) {
    ASSERT_EQ(Run({"add", "HKLM\\K", "/v", "sPassword", "/d", "secret"}), 0);
    const std::string file = dir + "/k.reg";
    std::ofstream(file) << "an older file that others could read";
    ASSERT_EQ(chmod(file.c_str(), 0644), 0);
    ASSERT_EQ(Run({"export", "HKLM\\K", file, "/y"}), 0) << err;
    struct stat st {};
    ASSERT_EQ(stat(file.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);

    // A line break in a name would split its line, and the file would not import.
    ASSERT_EQ(Run({"add", "HKLM\\K", "/v", "two\nlines", "/d", "x"}), 0);
    EXPECT_EQ(Run({"export", "HKLM\\K", dir + "/broken.reg"}), 1);
    EXPECT_NE(err.find("line break"), std::string::npos) << err;
    EXPECT_FALSE(std::filesystem::exists(dir + "/broken.reg"));
}

TEST_F(RegToolTest, ImportsWhatTheWindowsEditorWrites) {
    const std::string text =
        "Windows Registry Editor Version 5.00\r\n\r\n"
        "[HKEY_CURRENT_USER\\Software\\Test]\r\n"
        "@=\"x\"\r\n"
        "\"Expand\"=hex(2):25,00,50,00,41,00,54,00,48,00,25,00,00,00\r\n"
        "\"Multi\"=hex(7):61,00,00,00,62,00,\\\r\n"
        "  00,00,00,00\r\n"
        "\"Gone\"=-\r\n"
        "[-HKEY_CURRENT_USER\\Software\\Old]\r\n";
    const std::string file = dir + "/win.reg";
    std::ofstream(file, std::ios::binary) << "\xFF\xFE" << Utf8ToUtf16le(text);
    ASSERT_EQ(Run({"add", "HKCU\\Software\\Old\\Deep"}), 0);
    ASSERT_EQ(Run({"add", "HKCU\\Software\\Test", "/v", "Gone", "/d", "bye"}), 0);
    ASSERT_EQ(Run({"import", file}), 0) << err;
    ASSERT_EQ(Run({"query", "HKCU\\Software\\Test"}), 0);
    EXPECT_EQ(out,
              "\nHKEY_CURRENT_USER\\Software\\Test\n"
              "    (Default)    REG_SZ    x\n"
              "    Expand    REG_EXPAND_SZ    %PATH%\n"
              "    Multi    REG_MULTI_SZ    a\\0b\n\n");
    EXPECT_EQ(Run({"query", "HKCU\\Software\\Old"}), 1);
    // A file that goes wrong half-way changes nothing.
    std::ofstream(dir + "/half.reg")
        << "Windows Registry Editor Version 5.00\n\n[HKEY_CURRENT_USER\\Half]\n"
           "\"ok\"=\"1\"\n\"broken\"=dword:zz\n";
    EXPECT_EQ(Run({"import", dir + "/half.reg"}), 1);
    EXPECT_NE(err.find("line 5"), std::string::npos) << err;
    EXPECT_EQ(Run({"query", "HKCU\\Half"}), 1);
    std::ofstream(dir + "/bad.reg") << "not a registry file\n";
    EXPECT_EQ(Run({"import", dir + "/bad.reg"}), 1);
    EXPECT_NE(err.find("Windows Registry Editor Version 5.00"), std::string::npos);
}

TEST_F(RegToolTest, TheProgramExitsWithTheStatus) {
    const char* bin = std::getenv("QUILLON_BIN_DIR");
    ASSERT_NE(bin, nullptr);
    const std::string tool = std::string(bin) + "/hivekit-reg";
    EXPECT_EQ(WEXITSTATUS(std::system((tool + " add HKLM\\\\A /v x /d 1 >/dev/null").c_str())), 0);
    EXPECT_EQ(WEXITSTATUS(std::system((tool + " query HKLM\\\\B 2>/dev/null").c_str())), 1);
}

}  // namespace
}  // namespace hivekit::reg::test
