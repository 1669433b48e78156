#pragma once

// Control endpoints for tests. They answer only a loopback peer (403 otherwise) and are not
// written to the request log. All are GET requests (POST is accepted too); values are
// percent-decoded; success answers "OK" as text/plain, a bad argument 400.
//
//   GET /_sim/log                 text/plain: the service request lines received, oldest
//                                 first, one per line ("\n"), each the path + "?" + the query
//                                 exactly as it came, undecoded
//   GET /_sim/log/clear           empties the request log
//   GET /_sim/address?user=U&ip=A GetIPAddress and login report A for the user U (any case);
//                                 an empty or missing ip removes it: a loopback caller is
//                                 then reported as 192.0.2.1, another caller as itself
//   GET /_sim/fault?kind=K&count=N&param=P
//                                 queues a fault for each of the next N service requests
//                                 (count defaults to 1); K is one of
//                                   delay   - wait P milliseconds, then answer normally
//                                   drop    - close the connection without answering
//                                   garbage - answer 200 with a body that is not HTML and
//                                             holds no field
//                                   status  - answer with HTTP status P (400..599): a web
//                                             server's own error page, or, when error=TEXT
//                                             is given, the service's reply "Error:" + TEXT
//                                   hold    - hold the request until /_sim/release: P 0
//                                             before the service acts on it, 1 after it
//                                             acted and before its answer
//                                 faults queued by several calls are served in order
//   GET /_sim/held                text/plain: the number of requests held now
//   GET /_sim/release?then=T      lets every held request go on: T "answer" answers it as
//                                 usual, "drop" closes its connection unanswered (held before
//                                 acting, the service then never acts on it)
//   GET /_sim/faults/clear        drops every queued fault

namespace httplib {
class Server;
}

namespace corvane_sim {

class SimControl;

void registerControlEndpoints(httplib::Server& server, SimControl& control);

}  // namespace corvane_sim
