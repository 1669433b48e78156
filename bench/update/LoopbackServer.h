#pragma once

#include <httplib.h>

#include <atomic>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

// A plain HTTP server on a free 127.0.0.1 port, on a thread of its own, for the other updaters
// to check their address and send their updates to: every GET is answered with status 200 and
// the text "good 192.0.2.1", which reads both as an address check's reply and as a dyndns2
// update's success. It keeps the path (with the query) of every request.
class LoopbackServer {
  public:
    static constexpr const char* kReply = "good 192.0.2.1";

    // Throws std::runtime_error when no port can be bound.
    LoopbackServer();
    ~LoopbackServer();
    LoopbackServer(const LoopbackServer&) = delete;
    LoopbackServer& operator=(const LoopbackServer&) = delete;

    int port() const { return port_; }
    // "127.0.0.1:PORT".
    std::string hostPort() const;

    // The requests received so far, oldest first.
    std::vector<std::string> requests() const;
    // Whether a request whose path starts with `prefix` has come.
    bool received(const std::string& prefix) const;

  private:
    httplib::Server server_;
    std::thread thread_;
    int port_ = -1;
    std::atomic<bool> ended_ = false;
    mutable std::mutex mutex_;
    std::vector<std::string> requests_;
};
