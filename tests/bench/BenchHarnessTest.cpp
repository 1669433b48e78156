// The harness of the benchmarks that start whole programs: the exit status they report for a
// program they end, and the loopback server that the other updaters check and update against.

#include <gtest/gtest.h>
#include <httplib.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>

#include "ChildProcess.h"
#include "LoopbackServer.h"

namespace {

std::string scratchLog(const std::string& name) {
    return (std::filesystem::temp_directory_path() /
            (name + "." + std::to_string(getpid()) + ".log"))
        .string();
}

// The benchmark prints a program's exit status after its SIGTERM: it must be the program's own
// (here 7, from its handler), and a program that the signal itself ended must not read as 0.
TEST(BenchHarness, StopReportsTheProgramsOwnExitStatusAfterSigterm) {
    const std::string log = scratchLog("bench-harness-child");
    ChildProcess handles(
        "/bin/sh", {"-c", "trap 'exit 7' TERM; echo ready; while :; do sleep 0.05; done"}, {}, log);
    waitForLogLine(log, std::regex("^ready$"), std::chrono::seconds(10));
    EXPECT_EQ(handles.stop(), 7);
    EXPECT_FALSE(handles.running());

    ChildProcess killed("/bin/sleep", {"30"}, {}, log);
    EXPECT_TRUE(killed.running());
    EXPECT_EQ(killed.stop(), -1);

    ChildProcess quits("/bin/sh", {"-c", "exit 3"}, {}, log);
    while (quits.running()) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    EXPECT_EQ(quits.stop(), 3) << "a program that ended before the stop keeps its status";
    std::filesystem::remove(log);
}

// Both peers read the same reply as their address check's answer and their update's success;
// the benchmark tells that a peer has updated from the paths the server kept.
TEST(BenchHarness, LoopbackServerAnswersEveryGetAndKeepsItsPath) {
    LoopbackServer server;
    ASSERT_GT(server.port(), 0);
    httplib::Client client("127.0.0.1", server.port());
    const auto check = client.Get("/ddclient/ip");
    ASSERT_TRUE(check);
    EXPECT_EQ(check->status, 200);
    EXPECT_EQ(check->body, LoopbackServer::kReply);
    const auto update = client.Get("/nic/update?hostname=localhost&myip=192.0.2.1");
    ASSERT_TRUE(update);
    EXPECT_EQ(update->body, LoopbackServer::kReply);

    EXPECT_TRUE(server.received("/nic/update"));
    EXPECT_FALSE(server.received("/inadyn/update"));
    ASSERT_EQ(server.requests().size(), 2u);
    EXPECT_EQ(server.requests()[1], "/nic/update?hostname=localhost&myip=192.0.2.1");
}

}  // namespace
