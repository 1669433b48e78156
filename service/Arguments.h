#pragma once

#include <optional>
#include <string>
#include <vector>

namespace corvane_sim {

// One address the service listens on, as given on the command line.
struct ListenAddress {
    std::string host;  // numeric loopback address, without brackets
    int port = 0;      // 0 asks for an ephemeral port
};

struct Arguments {
    std::string dbPath;
    std::optional<ListenAddress> http;
    std::optional<ListenAddress> https;
    std::string certPath;
    std::string keyPath;
    bool seedDemo = false;
};

// Thrown for a command line that cannot be used; the text is shown to the user as it is.
struct ArgumentError {
    std::string message;
};

// Reads the command line (without the program name). Every address must be a loopback
// address (127.0.0.0/8 or ::1): the stand-in never listens where another machine could reach it.
Arguments parseArguments(const std::vector<std::string>& args);

// "ADDR:PORT" or "[::1]:PORT" to an address; throws ArgumentError.
ListenAddress parseListenAddress(const std::string& text);

// True for 127.0.0.0/8, ::1 and IPv4-mapped 127.x addresses (numeric forms only).
bool isLoopbackAddress(const std::string& host);

// The usage text printed with an argument error.
std::string usageText();

}  // namespace corvane_sim
