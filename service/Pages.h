#pragma once

namespace httplib {
class Server;
}

namespace corvane_sim {

// The service's web pages that the client opens in the browser: /help, /services.asp,
// /v.1.3/support.asp, /v.1.6/login.asp and /tos.asp.
void registerPages(httplib::Server& server);

}  // namespace corvane_sim
