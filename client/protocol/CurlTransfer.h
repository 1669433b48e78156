#pragma once

#include <QString>
#include <memory>

#include "protocol/Transfer.h"

namespace quillon {

// The real transfer, over libcurl's easy interface: one GET per call, blocking for the caller.
// libcurl lives in the transfer module (libquillon-curl.so, CurlModule.h), which the first request
// loads; a program whose first window needs no request starts without it. A module that cannot be
// loaded makes every request a failed transfer that names it.
//  - connect time-out 10 s, whole request 30 s (settable, so tests can cut them short);
//  - certificate and host-name verification always on; Endpoints::trustedCA, when set, names
//    an extra certificate authority file trusted besides the system's ones;
//  - redirects are not followed;
//  - a reply of any HTTP status whose body holds one of the service's reply tags (see
//    HoldsServiceReply) is the reply; a status outside 200-299 without any is a failed
//    transfer (a proxy's or web server's own error page);
//  - the reply is capped at 16 MiB (a longer reply is a failed transfer);
//  - User-Agent "Quillon/" + the program's version; proxies from the usual environment
//    variables (http_proxy, https_proxy, no_proxy), as libcurl reads them.
//
// One easy handle serves every request of this transfer, so that its connection (and TLS
// session) is kept from one request to the next. A mutex makes its use safe when requests
// overlap (a timer's request while another waits, see RequestWait.h). The handle is replaced
// when the extra certificate authority changes, so that no connection verified under one trust
// setting carries a request made under another.
// Empty when the transfer module is where the programs look for it; otherwise the line that says
// so, for a program to tell at its start (a broken installation is no service out of reach).
QString TransferModuleMissing();

class CurlTransfer : public Transfer {
  public:
    static constexpr long kDefaultConnectTimeoutMs = 10'000;
    static constexpr long kDefaultTotalTimeoutMs = 30'000;
    static constexpr long long kReplyCapBytes = 16LL * 1024 * 1024;

    CurlTransfer();
    ~CurlTransfer() override;
    CurlTransfer(const CurlTransfer&) = delete;
    CurlTransfer& operator=(const CurlTransfer&) = delete;

    // Runs the transfer on a worker thread while the user-interface thread waits without user
    // input (WaitForReply); on any other thread it runs right here.
    TransferReply OpenURL(const QString& url) override;

    void setTimeouts(long connectTimeoutMs, long totalTimeoutMs);
    long connectTimeoutMs() const { return connectTimeoutMs_; }
    long totalTimeoutMs() const { return totalTimeoutMs_; }

    // The largest reply accepted, in bytes (tests lower it).
    void setReplyCap(long long bytes) { replyCapBytes_ = bytes; }

    // The User-Agent header every request carries.
    static QString userAgent();

    // Whether a reply body holds one of the tags of the service's reply grammar ("SUCCESS",
    // "Error:", "DNS LOGIN:", "DomainUserRecords:"), which makes it the service's own answer
    // whatever its HTTP status.
    static bool HoldsServiceReply(const QString& body);

  private:
    // The kept easy handle and its lock. Shared with the worker of a request under way, so that
    // a transfer destroyed meanwhile (its window deleted by a deferred delete that the wait's
    // event loop carries out) neither waits for the request nor pulls the handle from under it.
    class Connection;

    long connectTimeoutMs_ = kDefaultConnectTimeoutMs;
    long totalTimeoutMs_ = kDefaultTotalTimeoutMs;
    long long replyCapBytes_ = kReplyCapBytes;
    std::shared_ptr<Connection> connection_;
};

}  // namespace quillon
