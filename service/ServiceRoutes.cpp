#include "ServiceRoutes.h"

#include <httplib.h>

#include "ConnectionDrop.h"
#include "DemoSeed.h"
#include "Query.h"
#include "Replies.h"
#include "ServiceRequests.h"
#include "SimControl.h"
#include "SimStore.h"

namespace corvane_sim {

namespace {

// The query text exactly as it came, without the "?": the target holds it undecoded.
std::string rawQuery(const httplib::Request& req) {
    const auto mark = req.target.find('?');
    return mark == std::string::npos ? std::string() : req.target.substr(mark + 1);
}

// A body that is neither HTML nor holds any of the reply's tags or markers.
const char* const kGarbage = "\x1b\x7f#!%&$*@^ 0x5EED 0xBAD 0x0F 7e3a-91bc garbled stream\n";

void drop(const httplib::Request& req, httplib::Response& res) {
    dropConnection(req.local_addr, req.local_port, req.remote_addr, req.remote_port);
    res.status = 500;
}

void answer(const httplib::Request& req, httplib::Response& res, SimStore& store,
            SimControl& control) {
    control.logRequest(req.target);
    const auto fault = control.takeFault();
    if (fault) {
        switch (fault->kind) {
            case FaultKind::Delay:
                control.sleepUnlessStopping(std::chrono::milliseconds(fault->param));
                break;
            case FaultKind::Drop:
                drop(req, res);
                return;
            case FaultKind::Garbage:
                res.set_content(kGarbage, "application/octet-stream");
                return;
            case FaultKind::Status:
                res.status = fault->param;
                if (!fault->error.empty()) {
                    res.set_content(errorReply(fault->error), "text/html");
                    return;
                }
                res.set_content("<html><body><h1>Error " + std::to_string(fault->param) +
                                    "</h1></body></html>\n",
                                "text/html");
                return;
            case FaultKind::Hold:
                if (fault->param == 0 && !control.holdUntilReleased()) {
                    drop(req, res);
                    return;
                }
                break;
        }
    }
    RequestContext context{store, control, req.remote_addr, todayText()};
    try {
        res.set_content(answerServiceRequest(Query(rawQuery(req)), context), "text/html");
    } catch (const StoreError& e) {
        res.status = 500;
        res.set_content("<html><body><p>Error:Service storage failure.</p></body></html>\n",
                        "text/html");
    }
    if (fault && fault->kind == FaultKind::Hold && fault->param == 1 &&
        !control.holdUntilReleased()) {
        drop(req, res);  // the service acted; its answer is lost
    }
}

}  // namespace

void registerServiceRoutes(httplib::Server& server, SimStore& store, SimControl& control) {
    for (const char* path : {"/dnslogin3.asp", "/autoupdate/dnslogin3.asp"}) {
        server.Get(path, [&store, &control](const httplib::Request& req, httplib::Response& res) {
            answer(req, res, store, control);
        });
    }
}

}  // namespace corvane_sim
