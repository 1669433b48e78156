#include "BenchEnvironment.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>
#include <xcb/xcb.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <regex>
#include <stdexcept>
#include <thread>

namespace {

using namespace std::chrono_literals;

// Reads what a program wrote to its log until `pattern` matches, for up to `limit`.
std::string waitForLine(const std::string& logFile, const std::regex& pattern,
                        std::chrono::seconds limit) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (std::chrono::steady_clock::now() < deadline) {
        std::ifstream in(logFile);
        std::string line;
        std::smatch match;
        while (std::getline(in, line)) {
            if (std::regex_search(line, match, pattern)) {
                return match.size() > 1 ? match[1].str() : line;
            }
        }
        std::this_thread::sleep_for(50ms);
    }
    throw std::runtime_error("nothing matched in " + logFile);
}

}  // namespace

BenchEnvironment::BenchEnvironment(const std::string& binDir) : binDir_(binDir) {
    std::string pattern = (std::filesystem::temp_directory_path() / "startup-bench.XXXXXX");
    if (!mkdtemp(pattern.data())) {
        throw std::runtime_error("cannot make a scratch folder");
    }
    work_ = pattern;
    try {
        startScreen();
        startService();
    } catch (...) {
        cleanUp();
        throw;
    }
}

BenchEnvironment::~BenchEnvironment() {
    cleanUp();
}

void BenchEnvironment::cleanUp() {
    service_.reset();
    screen_.reset();
    // STARTUP_BENCH_KEEP=1 keeps the scratch folder with the programs' logs.
    if (const char* keep = std::getenv("STARTUP_BENCH_KEEP"); keep && *keep == '1') {
        std::fprintf(stderr, "startup_bench: logs kept in %s\n", work_.c_str());
        return;
    }
    std::error_code ignored;
    std::filesystem::remove_all(work_, ignored);
}

void BenchEnvironment::startScreen() {
    if (const char* display = std::getenv("DISPLAY"); display && *display) {
        display_ = display;
        return;
    }
    // Xvfb picks a free display number itself and writes it to descriptor 3.
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0) {
        throw std::runtime_error("cannot make a pipe");
    }
    screen_ = std::make_unique<ChildProcess>(
        "/usr/bin/Xvfb",
        std::vector<std::string>{"-displayfd", "3", "-screen", "0", "1024x768x24", "-nolisten",
                                 "tcp"},
        std::map<std::string, std::string>{}, path("xvfb.log"), fds[1]);
    close(fds[1]);
    // Read the whole line: Xvfb gives up when the pipe closes before it has written it.
    std::string number;
    pollfd fd{fds[0], POLLIN, 0};
    char c = 0;
    while (number.find('\n') == std::string::npos && poll(&fd, 1, 20000) > 0 &&
           read(fds[0], &c, 1) == 1) {
        number += c;
    }
    close(fds[0]);
    if (number.find('\n') == std::string::npos) {
        throw std::runtime_error("Xvfb did not start (see its log)");
    }
    display_ = ":" + std::to_string(std::atoi(number.c_str()));
    // The number comes a moment before the server takes connections.
    const auto deadline = std::chrono::steady_clock::now() + 20s;
    for (;;) {
        xcb_connection_t* c = xcb_connect(display_.c_str(), nullptr);
        const bool answers = xcb_connection_has_error(c) == 0;
        xcb_disconnect(c);
        if (answers) {
            return;
        }
        if (std::chrono::steady_clock::now() > deadline) {
            throw std::runtime_error("the virtual screen " + display_ + " does not answer");
        }
        std::this_thread::sleep_for(50ms);
    }
}

void BenchEnvironment::startService() {
    service_ = std::make_unique<ChildProcess>(
        program("corvane-sim"),
        std::vector<std::string>{"--db", path("sim.db"), "--http", "127.0.0.1:0", "--seed-demo"},
        std::map<std::string, std::string>{}, path("sim.log"));
    hostPort_ =
        waitForLine(path("sim.log"), std::regex(R"(listening on http://([0-9.]+:[0-9]+)$)"), 20s);
}

void BenchEnvironment::setting(const std::string& store, const std::string& name,
                               const std::string& data, const std::string& type) const {
    const int status =
        runToEnd(program("hivekit-reg"),
                 {"add", "HKLM\\SOFTWARE\\Corvane\\Init", "/v", name, "/t", type, "/d", data, "/f"},
                 {{"HIVEKIT_STORE", store}}, path("hivekit-reg.log"));
    if (status != 0) {
        throw std::runtime_error("hivekit-reg could not write " + name);
    }
}

std::string BenchEnvironment::makeStore(const std::string& name, bool savedLogin) const {
    const std::string store = path(name);
    setting(store, "UpdateHost", hostPort_, "REG_SZ");
    if (savedLogin) {
        setting(store, "bSaveLogin", "1", "REG_DWORD");
        setting(store, "Username", "demo", "REG_SZ");
        setting(store, "Password", "demo", "REG_SZ");
    }
    return store;
}

std::map<std::string, std::string> BenchEnvironment::programEnvironment(
    const std::string& store) const {
    return {
        {"DISPLAY", display_},
        {"QT_QPA_PLATFORM", ""},  // the real X platform, whatever the caller's setting
        {"HIVEKIT_STORE", store},
        {"XDG_STATE_HOME", work_},  // the error log lands in the scratch folder
        {"no_proxy", "127.0.0.1,localhost"},
        {"NO_PROXY", "127.0.0.1,localhost"},
    };
}
