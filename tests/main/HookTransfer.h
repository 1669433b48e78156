#pragma once

#include <functional>

#include "protocol/CurlTransfer.h"
#include "protocol/Transfer.h"

namespace quillon::test {

// Carries every request through a real transfer of its own (to corvane-sim) and lets a test act
// just before or just after a request: inject a fault
// into corvane-sim between two requests, or fire a timer tick while a request is in flight, as
// the local event loop of a running request lets timers fire.
class HookTransfer : public Transfer {
  public:
    HookTransfer() { setServiceTransfer(this); }
    ~HookTransfer() override { unregisterServiceTransfer(this); }
    HookTransfer(const HookTransfer&) = delete;
    HookTransfer& operator=(const HookTransfer&) = delete;

    TransferReply OpenURL(const QString& url) override {
        if (before) {
            before(url);
        }
        TransferReply reply = inner_.OpenURL(url);
        if (after) {
            after(url, reply);
        }
        return reply;
    }

    std::function<void(const QString& url)> before;
    // May also change the reply: a reply set to failed is one lost on the way back, after the
    // service acted on the request.
    std::function<void(const QString& url, TransferReply& reply)> after;

  private:
    CurlTransfer inner_;
};

}  // namespace quillon::test
