// The harness of the benchmarks that start whole programs: the exit status they report for a
// program they end, the loopback server that the other updaters check and update against, and
// the start-up benchmark's libcurl yardstick against corvane-sim's HTTPS side.

#include <gtest/gtest.h>
#include <httplib.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>

#include "ChildProcess.h"
#include "DemoService.h"
#include "LoopbackServer.h"
#include "ScratchFolder.h"

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

// The libcurl yardstick is a floor only if its request really happens, verified: it prints the
// reply's status when the service's certificate is the one it trusts, and refuses (exit 1,
// before any window) a server whose certificate is another.
TEST(BenchHarness, CurlYardstickMakesItsRequestOnlyToATrustedServer) {
    const char* binDir = std::getenv("QUILLON_BIN_DIR");
    ASSERT_NE(binDir, nullptr);
    ScratchFolder work("bench-harness-curl", "BENCH_HARNESS_KEEP");
    const std::string certDir = QUILLON_SIM_CERT_DIR;
    DemoService service(binDir, work.path(), certDir);
    ASSERT_FALSE(service.secureHostPort().empty());
    const std::string program = std::string(binDir) + "/startup_curl_dialog";
    const std::string url = "https://" + service.secureHostPort() + "/autoupdate/dnslogin3.asp";

    const std::string trustedLog = work.path("trusted.log");
    ChildProcess trusted(program, {"Dialog with libcurl", url, certDir + "/sim-cert.pem"}, {},
                         trustedLog);
    const std::string status =
        waitForLogLine(trustedLog, std::regex("HTTP status ([0-9]+)$"), std::chrono::seconds(30));
    EXPECT_GE(std::stoi(status), 100);
    EXPECT_TRUE(trusted.running()) << "it goes on to show its window";

    const std::string otherLog = work.path("other.log");
    ChildProcess other(program, {"Dialog with libcurl", url, certDir + "/other-cert.pem"}, {},
                       otherLog);
    EXPECT_EQ(other.wait(), 1);
    std::ifstream in(otherLog);
    const std::string said((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_NE(said.find("startup_curl_dialog: " + url + ": "), std::string::npos) << said;
    EXPECT_EQ(said.find("HTTP status"), std::string::npos) << said;
}

}  // namespace
