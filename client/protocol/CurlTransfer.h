#pragma once

#include <QByteArray>
#include <QString>
#include <mutex>

#include "protocol/Transfer.h"

typedef void CURL;

namespace quillon {

// The real transfer, over libcurl's easy interface: one GET per call, blocking for the caller.
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
    // Everything one request needs, taken on the calling thread before the transfer starts.
    struct Request {
        QByteArray url;
        QByteArray userAgent;
        QByteArray trustedCA;
        long connectTimeoutMs = 0;
        long totalTimeoutMs = 0;
        long long replyCapBytes = 0;
    };

    TransferReply perform(const Request& request);
    CURL* handleFor(const QByteArray& trustedCA);

    long connectTimeoutMs_ = kDefaultConnectTimeoutMs;
    long totalTimeoutMs_ = kDefaultTotalTimeoutMs;
    long long replyCapBytes_ = kReplyCapBytes;

    std::mutex handleMutex_;
    CURL* easy_ = nullptr;      // guarded by handleMutex_
    QByteArray easyTrustedCA_;  // the extra authority easy_'s connections were made under
};

}  // namespace quillon
