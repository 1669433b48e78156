#pragma once

#include <string>

namespace corvane_sim {

// Cuts the connection of the request being handled, so that the client receives nothing at
// all. The HTTP library hands handlers no socket, so the socket is found among the process's
// open descriptors by its two end points; shutting it down makes the library's own write
// fail and close it. Returns false when no matching socket was found.
bool dropConnection(const std::string& localAddress, int localPort,
                    const std::string& remoteAddress, int remotePort);

}  // namespace corvane_sim
