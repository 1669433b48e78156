// Several live objects in one process share the store with another process (hivekit-reg)
// that reads and writes between their writes; after the writing process has ended, every
// write that returned true is in the store.
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include <hivekit/Hivekit.h>

#include "StoreFixture.h"
#include "hivekit/CRegistry.h"
#include "hivekit/ComError.h"

extern char** environ;

namespace hivekit::test {
namespace {

class SharedStoreTest : public StoreFixture {};

// Runs hivekit-reg with `args` (its output thrown away); its exit status, or -1.
int RunTool(const std::vector<std::string>& args) {
    const char* bin = std::getenv("QUILLON_BIN_DIR");
    const std::string tool = std::string(bin ? bin : ".") + "/hivekit-reg";
    std::vector<char*> argv{const_cast<char*>(tool.c_str())};
    for (const std::string& a : args) {
        argv.push_back(const_cast<char*>(a.c_str()));
    }
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    const int rc = posix_spawn(&pid, tool.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0) {
        return -1;
    }
    int status = 0;
    if (waitpid(pid, &status, 0) != pid || !WIFEXITED(status)) {
        return -1;
    }
    return WEXITSTATUS(status);
}

// One writing process: live objects on the same key, a new object now and then, hivekit-reg
// reading and writing in between. Each write that returned true is sent down `fd` as
// "name=value\n"; the exit status counts what went wrong otherwise.
[[noreturn]] void WriteWithLiveObjects(int fd, int round) {
    int failures = 0;
    const std::string key = "Shared\\Round" + std::to_string(round);
    const std::string toolKey = "HKLM\\" + key;
    std::vector<std::unique_ptr<CRegistry>> objects;
    for (int i = 0; i < 3; ++i) {
        objects.push_back(std::make_unique<CRegistry>());
        objects.back()->PutKey(key);
    }
    auto confirm = [&](const std::string& name, const std::string& value) {
        const std::string line = name + "=" + value + "\n";
        if (write(fd, line.data(), line.size()) != static_cast<ssize_t>(line.size())) {
            ++failures;
        }
    };
    for (int step = 0; step < 6; ++step) {
        for (std::size_t o = 0; o < objects.size(); ++o) {
            const std::string name = Numbered(Numbered("o", o) + "s", step);
            const std::string value = Numbered(Numbered("v", round) + ".", step);
            Var n = name;
            Var v = value;
            try {
                if (objects[o]->SetValue(n, v, 1)) {
                    confirm(name, value);
                }
            } catch (const ComError&) {
                ++failures;
            }
            // Another process reads the value just written and writes one of its own.
            if (RunTool({"query", toolKey, "/v", name}) != 0) {
                ++failures;
            }
            const std::string toolName = Numbered(Numbered("t", o) + "s", step);
            if (RunTool({"add", toolKey, "/v", toolName, "/d", value, "/f"}) == 0) {
                confirm(toolName, value);
            }
        }
        // A new object connecting while the others live.
        objects[static_cast<std::size_t>(step) % objects.size()] = std::make_unique<CRegistry>();
        objects[static_cast<std::size_t>(step) % objects.size()]->PutKey(key);
    }
    _exit(failures);
}

TEST_F(SharedStoreTest, EveryWriteThatReturnedTrueOutlivesTheProcessInTwentyRounds) {
    for (int round = 0; round < 20; ++round) {
        int fds[2];
        ASSERT_EQ(pipe(fds), 0);
        const pid_t pid = fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            close(fds[0]);
            WriteWithLiveObjects(fds[1], round);
        }
        close(fds[1]);
        std::string text;
        char buf[512];
        for (ssize_t n; (n = read(fds[0], buf, sizeof buf)) > 0;) {
            text.append(buf, static_cast<std::size_t>(n));
        }
        close(fds[0]);
        int status = 0;
        ASSERT_EQ(waitpid(pid, &status, 0), pid);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0)
            << "round " << round << ": the writer saw failures";

        std::map<std::string, std::string> confirmed;
        for (std::size_t at = 0, end; (end = text.find('\n', at)) != std::string::npos;
             at = end + 1) {
            const std::string line = text.substr(at, end - at);
            const std::size_t eq = line.find('=');
            confirmed[line.substr(0, eq)] = line.substr(eq + 1);
        }
        EXPECT_EQ(confirmed.size(), 36u) << "round " << round;
        std::map<std::string, std::string> stored;
        for (const ValueRow& row : RawValues("Shared\\Round" + std::to_string(round))) {
            stored[row.name] = row.data.substr(0, row.data.find('\0'));
        }
        for (const auto& [name, value] : confirmed) {
            ASSERT_EQ(stored[name], value) << "round " << round << ": lost " << name;
        }
    }
}

}  // namespace
}  // namespace hivekit::test
