// corvane-sim: a stand-in of the Corvane service for the demo and the tests.
#include <httplib.h>
#include <signal.h>
#include <sys/socket.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <iostream>
#include <memory>
#include <thread>
#include <vector>

#include "Arguments.h"
#include "ControlEndpoints.h"
#include "DemoSeed.h"
#include "Pages.h"
#include "ServiceRoutes.h"
#include "SimControl.h"
#include "SimStore.h"

using namespace corvane_sim;

namespace {

struct Listener {
    std::unique_ptr<httplib::Server> server;
    std::string scheme;
    ListenAddress address;
    std::thread thread;
    std::shared_ptr<std::atomic<bool>> finished = std::make_shared<std::atomic<bool>>(false);
};

std::string urlHost(const std::string& host) {
    return host.find(':') == std::string::npos ? host : "[" + host + "]";
}

// Binds the listener; on success `address.port` holds the real port.
bool bindListener(Listener& listener) {
    auto& a = listener.address;
    if (a.port == 0) {
        a.port = listener.server->bind_to_any_port(a.host);
        return a.port > 0;
    }
    return listener.server->bind_to_port(a.host, a.port);
}

// The library's default also sets SO_REUSEPORT, which lets a second corvane-sim listen on a port
// that one already holds, and the kernel then shares the connections between the two. Only
// SO_REUSEADDR is kept (a restart may bind while old connections linger), so a port in use is
// refused.
void exclusivePort(socket_t sock) {
    const int yes = 1;
    setsockopt(sock, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
}

void setUp(httplib::Server& server, SimStore& store, SimControl& control) {
    server.set_socket_options(exclusivePort);
    registerServiceRoutes(server, store, control);
    registerControlEndpoints(server, control);
    registerPages(server);
    server.set_keep_alive_max_count(100);
    // An idle kept connection is closed after a second: the client's requests of one update
    // come back to back, and a stop does not wait out a long idle wait on a kept connection.
    server.set_keep_alive_timeout(1);
    // The reply's head and body go out in separate writes; without this the second waits for
    // the client's delayed acknowledgement, some 40 ms on every request of a kept connection.
    server.set_tcp_nodelay(true);
}

int run(const Arguments& args) {
    SimStore store(args.dbPath);
    if (args.seedDemo) {
        seedDemo(store, todayText());
    }
    SimControl control;
    std::vector<Listener> listeners;
    if (args.http) {
        listeners.push_back({std::make_unique<httplib::Server>(),
                             "http",
                             *args.http,
                             {},
                             std::make_shared<std::atomic<bool>>(false)});
    }
    if (args.https) {
        auto server =
            std::make_unique<httplib::SSLServer>(args.certPath.c_str(), args.keyPath.c_str());
        if (!server->is_valid()) {
            std::cerr << "corvane-sim: cannot use certificate '" << args.certPath << "' and key '"
                      << args.keyPath << "'\n";
            return 1;
        }
        listeners.push_back({std::move(server),
                             "https",
                             *args.https,
                             {},
                             std::make_shared<std::atomic<bool>>(false)});
    }
    for (auto& listener : listeners) {
        setUp(*listener.server, store, control);
        if (!bindListener(listener)) {
            std::cerr << "corvane-sim: cannot listen on " << urlHost(listener.address.host) << ":"
                      << listener.address.port << "\n";
            return 1;
        }
    }
    for (auto& listener : listeners) {
        listener.thread = std::thread([&listener] {
            listener.server->listen_after_bind();
            *listener.finished = true;
        });
    }
    // A stop() that reaches a server before its accept loop runs is ignored by httplib, and the
    // join below would then wait for ever; so the listening lines (which tell a caller it may
    // stop us) go out only once every loop runs.
    for (auto& listener : listeners) {
        while (!listener.server->is_running() && !*listener.finished) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        std::cout << "corvane-sim: listening on " << listener.scheme << "://"
                  << urlHost(listener.address.host) << ":" << listener.address.port << std::endl;
    }

    // SIGINT and SIGTERM are blocked in every thread (set before any was started) and
    // taken here, so that the stop runs in ordinary code rather than in a signal handler.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    int signal = 0;
    sigwait(&stopSignals, &signal);

    control.stopping();
    for (auto& listener : listeners) {
        listener.server->stop();
    }
    for (auto& listener : listeners) {
        listener.thread.join();
    }
    std::cout << "corvane-sim: stopped" << std::endl;
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);
    ::signal(SIGPIPE, SIG_IGN);

    Arguments args;
    try {
        args = parseArguments(std::vector<std::string>(argv + 1, argv + argc));
    } catch (const ArgumentError& e) {
        std::cerr << e.message << "\n" << usageText();
        return 2;
    }
    try {
        return run(args);
    } catch (const StoreError& e) {
        std::cerr << "corvane-sim: " << e.what() << "\n";
        return 1;
    }
}
