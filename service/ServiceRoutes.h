#pragma once

namespace httplib {
class Server;
}

namespace corvane_sim {

class SimStore;
class SimControl;

// The service paths /dnslogin3.asp (plain) and /autoupdate/dnslogin3.asp (secure). Each
// request line is logged exactly as received, then a queued fault, if any, is applied,
// else the request is answered.
void registerServiceRoutes(httplib::Server& server, SimStore& store, SimControl& control);

}  // namespace corvane_sim
