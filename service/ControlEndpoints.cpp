#include "ControlEndpoints.h"

#include <httplib.h>

#include <charconv>
#include <functional>
#include <optional>
#include <string>

#include "Arguments.h"
#include "Query.h"
#include "SimControl.h"

namespace corvane_sim {

namespace {

using ControlAction =
    std::function<void(const Query& query, httplib::Response& res, SimControl& control)>;

std::optional<int> numberValue(const std::string& text) {
    int value = 0;
    const auto* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value);
    if (text.empty() || ec != std::errc() || ptr != end) {
        return std::nullopt;
    }
    return value;
}

void ok(httplib::Response& res) {
    res.set_content("OK\n", "text/plain");
}

void badRequest(httplib::Response& res, const std::string& why) {
    res.status = 400;
    res.set_content(why + "\n", "text/plain");
}

void addRoute(httplib::Server& server, const char* path, SimControl& control,
              ControlAction action) {
    const auto handler = [&control, action](const httplib::Request& req, httplib::Response& res) {
        if (!isLoopbackAddress(req.remote_addr)) {
            res.status = 403;
            res.set_content("control endpoints answer loopback peers only\n", "text/plain");
            return;
        }
        const auto mark = req.target.find('?');
        const Query query(mark == std::string::npos ? std::string() : req.target.substr(mark + 1));
        action(query, res, control);
    };
    server.Get(path, handler);
    server.Post(path, handler);
}

void queueFault(const Query& query, httplib::Response& res, SimControl& control) {
    const std::string kind = toLower(query.value("kind"));
    const auto count = query.has("count") ? numberValue(query.value("count")) : 1;
    if (!count || *count < 1) {
        badRequest(res, "count must be a positive number");
        return;
    }
    const auto param = query.has("param") ? numberValue(query.value("param")) : 0;
    if (!param || *param < 0) {
        badRequest(res, "param must be a number of 0 or more");
        return;
    }
    Fault fault;
    fault.param = *param;
    fault.error = query.value("error");
    if (kind == "delay") {
        fault.kind = FaultKind::Delay;
    } else if (kind == "drop") {
        fault.kind = FaultKind::Drop;
    } else if (kind == "garbage") {
        fault.kind = FaultKind::Garbage;
    } else if (kind == "status") {
        fault.kind = FaultKind::Status;
        if (fault.param < 400 || fault.param > 599) {
            badRequest(res, "status needs param 400..599");
            return;
        }
    } else if (kind == "hold") {
        fault.kind = FaultKind::Hold;
        if (fault.param > 1) {
            badRequest(res, "hold needs param 0 (before acting) or 1 (after acting)");
            return;
        }
    } else {
        badRequest(res, "kind must be delay, drop, garbage, status or hold");
        return;
    }
    control.addFaults(fault, *count);
    ok(res);
}

}  // namespace

void registerControlEndpoints(httplib::Server& server, SimControl& control) {
    addRoute(server, "/_sim/log", control, [](const Query&, httplib::Response& res, SimControl& c) {
        std::string text;
        for (const auto& line : c.requestLog()) {
            text += line + "\n";
        }
        res.set_content(text, "text/plain");
    });
    addRoute(server, "/_sim/log/clear", control,
             [](const Query&, httplib::Response& res, SimControl& c) {
                 c.clearLog();
                 ok(res);
             });
    addRoute(server, "/_sim/address", control,
             [](const Query& query, httplib::Response& res, SimControl& c) {
                 if (query.value("user").empty()) {
                     badRequest(res, "user is missing");
                     return;
                 }
                 c.setAddress(query.value("user"), query.value("ip"));
                 ok(res);
             });
    addRoute(server, "/_sim/fault", control, queueFault);
    addRoute(server, "/_sim/held", control,
             [](const Query&, httplib::Response& res, SimControl& c) {
                 res.set_content(std::to_string(c.held()) + "\n", "text/plain");
             });
    addRoute(server, "/_sim/release", control,
             [](const Query& query, httplib::Response& res, SimControl& c) {
                 const std::string then = toLower(query.value("then"));
                 if (then != "answer" && then != "drop") {
                     badRequest(res, "then must be answer or drop");
                     return;
                 }
                 c.release(then == "answer");
                 ok(res);
             });
    addRoute(server, "/_sim/faults/clear", control,
             [](const Query&, httplib::Response& res, SimControl& c) {
                 c.clearFaults();
                 ok(res);
             });
}

}  // namespace corvane_sim
