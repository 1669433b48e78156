#include "platform/QtThreadsEnd.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

namespace quillon {

namespace {

int qtThreads() {
    int count = 0;
    std::error_code error;
    for (const auto& task : std::filesystem::directory_iterator("/proc/self/task", error)) {
        std::ifstream comm(task.path() / "comm");
        std::string name;
        if (std::getline(comm, name) && (name == kPooledThreadName || name == kDBusThreadName)) {
            ++count;
        }
    }
    return count;
}

}  // namespace

bool AwaitQtThreadsEnd(std::chrono::milliseconds limit) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (qtThreads() > 0) {
        if (std::chrono::steady_clock::now() >= deadline) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

QtThreadsEndBeforeExit::QtThreadsEndBeforeExit() {
    static const bool registered =
        std::atexit([] { AwaitQtThreadsEnd(std::chrono::seconds(1)); }) == 0;
    (void)registered;
}

}  // namespace quillon
