#include "ConnectionDrop.h"

#include <arpa/inet.h>
#include <dirent.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/stat.h>

#include <cstdlib>
#include <cstring>

namespace corvane_sim {

namespace {

// The numeric address and port of a socket end point.
bool endPoint(const sockaddr_storage& storage, std::string& address, int& port) {
    char text[INET6_ADDRSTRLEN] = {};
    if (storage.ss_family == AF_INET) {
        sockaddr_in in{};
        std::memcpy(&in, &storage, sizeof in);
        inet_ntop(AF_INET, &in.sin_addr, text, sizeof text);
        port = ntohs(in.sin_port);
    } else if (storage.ss_family == AF_INET6) {
        sockaddr_in6 in6{};
        std::memcpy(&in6, &storage, sizeof in6);
        inet_ntop(AF_INET6, &in6.sin6_addr, text, sizeof text);
        port = ntohs(in6.sin6_port);
    } else {
        return false;
    }
    address = text;
    return true;
}

bool matches(int fd, const std::string& localAddress, int localPort,
             const std::string& remoteAddress, int remotePort) {
    sockaddr_storage peer{};
    socklen_t peerLength = sizeof peer;
    sockaddr_storage self{};
    socklen_t selfLength = sizeof self;
    if (getpeername(fd, reinterpret_cast<sockaddr*>(&peer), &peerLength) != 0 ||
        getsockname(fd, reinterpret_cast<sockaddr*>(&self), &selfLength) != 0) {
        return false;
    }
    std::string peerAddress;
    std::string selfAddress;
    int peerPort = 0;
    int selfPort = 0;
    if (!endPoint(peer, peerAddress, peerPort) || !endPoint(self, selfAddress, selfPort)) {
        return false;
    }
    return peerPort == remotePort && peerAddress == remoteAddress && selfPort == localPort &&
           (localAddress.empty() || selfAddress == localAddress);
}

}  // namespace

bool dropConnection(const std::string& localAddress, int localPort,
                    const std::string& remoteAddress, int remotePort) {
    DIR* dir = opendir("/proc/self/fd");
    if (dir == nullptr) {
        return false;
    }
    const int own = dirfd(dir);
    bool dropped = false;
    while (const dirent* entry = readdir(dir)) {
        char* end = nullptr;
        const long fd = std::strtol(entry->d_name, &end, 10);
        if (end == entry->d_name || *end != '\0' || fd == own) {
            continue;
        }
        struct stat info {};
        if (fstat(static_cast<int>(fd), &info) != 0 || !S_ISSOCK(info.st_mode)) {
            continue;
        }
        if (matches(static_cast<int>(fd), localAddress, localPort, remoteAddress, remotePort)) {
            shutdown(static_cast<int>(fd), SHUT_RDWR);
            dropped = true;
            break;
        }
    }
    closedir(dir);
    return dropped;
}

}  // namespace corvane_sim
