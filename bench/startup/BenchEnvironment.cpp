#include "BenchEnvironment.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>
#include <xcb/xcb.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>
#include <thread>

namespace {

using namespace std::chrono_literals;

}  // namespace

BenchEnvironment::BenchEnvironment(const std::string& binDir, const std::string& certDir)
    : work_("startup-bench", "STARTUP_BENCH_KEEP"), binDir_(binDir), certDir_(certDir) {
    startScreen();
    service_ = std::make_unique<DemoService>(binDir_, work_.path(), certDir_);
}

std::string BenchEnvironment::secureUrl(const std::string& pathAndQuery) const {
    return "https://" + service_->secureHostPort() + pathAndQuery;
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
    // Formatted in a buffer: GCC 12 at -O3 warns falsely (-Wrestrict) about joining ":" and a
    // std::to_string.
    char display[16];
    std::snprintf(display, sizeof display, ":%d", std::atoi(number.c_str()));
    display_ = display;
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

std::string BenchEnvironment::makeStore(const std::string& name, bool savedLogin) const {
    const std::string store = path(name);
    service_->writeStore(store, savedLogin);
    return store;
}

std::map<std::string, std::string> BenchEnvironment::programEnvironment(
    const std::string& store) const {
    return {
        {"DISPLAY", display_},
        {"QT_QPA_PLATFORM", ""},  // the real X platform, whatever the caller's setting
        {"HIVEKIT_STORE", store},
        {"XDG_STATE_HOME", work_.path()},  // the error log lands in the scratch folder
        {"no_proxy", "127.0.0.1,localhost"},
        {"NO_PROXY", "127.0.0.1,localhost"},
    };
}
