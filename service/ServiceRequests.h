#pragma once

#include <string>

#include "Query.h"

namespace corvane_sim {

class SimStore;
class SimControl;

// What a service request needs besides its arguments.
struct RequestContext {
    SimStore& store;
    SimControl& control;
    std::string callerAddress;  // the peer's address, reported when no override is set
    std::string today;          // yyyy-MM-dd; an account expiring today counts as expired
};

// Answers one request to the service paths (login, GetIPAddress, DNSTickler,
// DNSTicklerAdvanced) with its HTML reply page.
std::string answerServiceRequest(const Query& query, RequestContext& context);

}  // namespace corvane_sim
