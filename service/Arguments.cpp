#include "Arguments.h"

#include <arpa/inet.h>
#include <netinet/in.h>

#include <charconv>

namespace corvane_sim {

bool isLoopbackAddress(const std::string& host) {
    in_addr v4{};
    if (inet_pton(AF_INET, host.c_str(), &v4) == 1) {
        return (ntohl(v4.s_addr) >> 24) == 127;
    }
    in6_addr v6{};
    if (inet_pton(AF_INET6, host.c_str(), &v6) == 1) {
        if (IN6_IS_ADDR_LOOPBACK(&v6)) {
            return true;
        }
        return IN6_IS_ADDR_V4MAPPED(&v6) && v6.s6_addr[12] == 127;
    }
    return false;
}

ListenAddress parseListenAddress(const std::string& text) {
    ListenAddress address;
    std::string portText;
    if (!text.empty() && text.front() == '[') {
        const auto close = text.find(']');
        if (close == std::string::npos || close + 1 >= text.size() || text[close + 1] != ':') {
            throw ArgumentError{"corvane-sim: malformed address '" + text +
                                "' (expected [ADDR]:PORT)"};
        }
        address.host = text.substr(1, close - 1);
        portText = text.substr(close + 2);
    } else {
        const auto colon = text.rfind(':');
        if (colon == std::string::npos || text.find(':') != colon) {
            throw ArgumentError{"corvane-sim: malformed address '" + text +
                                "' (expected ADDR:PORT, or [ADDR]:PORT for IPv6)"};
        }
        address.host = text.substr(0, colon);
        portText = text.substr(colon + 1);
    }
    int port = -1;
    const auto* end = portText.data() + portText.size();
    const auto [ptr, ec] = std::from_chars(portText.data(), end, port);
    if (portText.empty() || ec != std::errc() || ptr != end || port < 0 || port > 65535) {
        throw ArgumentError{"corvane-sim: bad port in '" + text + "' (0 to 65535)"};
    }
    address.port = port;
    if (!isLoopbackAddress(address.host)) {
        throw ArgumentError{"corvane-sim: refusing to listen on '" + address.host +
                            "': only loopback addresses (127.0.0.0/8 or ::1) are allowed"};
    }
    return address;
}

std::string usageText() {
    return "usage: corvane-sim --db FILE [--http ADDR:PORT] [--https ADDR:PORT --cert PEM --key "
           "PEM] [--seed-demo]\n"
           "  ADDR must be a loopback address (127.0.0.0/8 or ::1); PORT 0 picks a free port.\n"
           "  Without --http and --https the service listens on http 127.0.0.1:0.\n";
}

namespace {

const std::string& valueOf(const std::vector<std::string>& args, std::size_t& i) {
    if (i + 1 >= args.size()) {
        throw ArgumentError{"corvane-sim: " + args[i] + " needs a value"};
    }
    return args[++i];
}

}  // namespace

Arguments parseArguments(const std::vector<std::string>& args) {
    Arguments parsed;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--db") {
            parsed.dbPath = valueOf(args, i);
        } else if (arg == "--http") {
            parsed.http = parseListenAddress(valueOf(args, i));
        } else if (arg == "--https") {
            parsed.https = parseListenAddress(valueOf(args, i));
        } else if (arg == "--cert") {
            parsed.certPath = valueOf(args, i);
        } else if (arg == "--key") {
            parsed.keyPath = valueOf(args, i);
        } else if (arg == "--seed-demo") {
            parsed.seedDemo = true;
        } else {
            throw ArgumentError{"corvane-sim: unknown argument '" + arg + "'"};
        }
    }
    if (parsed.dbPath.empty()) {
        throw ArgumentError{"corvane-sim: --db FILE is required"};
    }
    if (parsed.https && (parsed.certPath.empty() || parsed.keyPath.empty())) {
        throw ArgumentError{"corvane-sim: --https needs --cert PEM and --key PEM"};
    }
    if (!parsed.http && !parsed.https) {
        parsed.http = ListenAddress{"127.0.0.1", 0};
    }
    return parsed;
}

}  // namespace corvane_sim
