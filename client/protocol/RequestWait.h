#pragma once

#include <functional>

#include "protocol/Transfer.h"

namespace quillon {

// How a request waits for its reply without freezing the windows.
//
// The procedures see a blocking call that returns the reply. On the user-interface thread the
// transfer itself runs on a worker thread (one, kept until the application object goes;
// overlapping requests queue there) while this thread waits in a local event loop that
// delivers no user input: keys and clicks stay queued until the request ends (as they would
// behind a blocked thread), while windows repaint and timers fire. A timer handler that could
// start a request must therefore ask RequestInFlight() first and leave its work to a later tick.
//
//   UI thread:  WaitForReply ──► local loop (timers, paint; no input) ──► quit ──► reply
//                    │                                                    ▲
//   worker:          └──► transfer (blocking libcurl call) ──► post quit ─┘

// True while a request is in flight on any thread, from the start of its transfer until its
// reply is handed back (including the whole time the user-interface thread waits for it), and
// while a RequestInFlightGuard lives.
bool RequestInFlight();

// Marks a sequence of requests as running for its lifetime (a check with its re-points, a delete
// with its message), so that a timer firing between two of its requests starts nothing. Guards
// nest.
class RequestInFlightGuard {
  public:
    RequestInFlightGuard();
    ~RequestInFlightGuard();
    RequestInFlightGuard(const RequestInFlightGuard&) = delete;
    RequestInFlightGuard& operator=(const RequestInFlightGuard&) = delete;
};

// Runs `transfer` and returns its reply, as described above. Away from the user-interface
// thread (or with no application object) the transfer runs on the calling thread. The transfer
// must not touch widgets or other user-interface state: it runs on another thread. An exception
// it raises becomes a failed transfer.
TransferReply WaitForReply(const std::function<TransferReply()>& transfer);

}  // namespace quillon
