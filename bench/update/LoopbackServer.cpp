#include "LoopbackServer.h"

#include <stdexcept>

namespace {

// The request's path and its query (the parameters in name order).
std::string target(const httplib::Request& request) {
    std::string result = request.path;
    std::string query;
    for (const auto& [name, value] : request.params) {
        query += (query.empty() ? "" : "&") + name + "=" + value;
    }
    return query.empty() ? result : result + "?" + query;
}

}  // namespace

LoopbackServer::LoopbackServer() {
    server_.Get(".*", [this](const httplib::Request& request, httplib::Response& response) {
        {
            std::lock_guard lock(mutex_);
            requests_.push_back(target(request));
        }
        response.status = 200;
        response.set_content(kReply, "text/plain");
    });
    port_ = server_.bind_to_any_port("127.0.0.1");
    if (port_ <= 0) {
        throw std::runtime_error("the loopback server cannot bind a port");
    }
    thread_ = std::thread([this] {
        server_.listen_after_bind();
        ended_ = true;
    });
    // A stop before the thread's loop has begun would go unnoticed and leave the join hanging.
    while (!server_.is_running() && !ended_) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    if (ended_) {
        thread_.join();
        throw std::runtime_error("the loopback server did not start");
    }
}

LoopbackServer::~LoopbackServer() {
    server_.stop();
    thread_.join();
}

std::string LoopbackServer::hostPort() const {
    return "127.0.0.1:" + std::to_string(port_);
}

std::vector<std::string> LoopbackServer::requests() const {
    std::lock_guard lock(mutex_);
    return requests_;
}

bool LoopbackServer::received(const std::string& prefix) const {
    std::lock_guard lock(mutex_);
    for (const std::string& r : requests_) {
        if (r.rfind(prefix, 0) == 0) {
            return true;
        }
    }
    return false;
}
