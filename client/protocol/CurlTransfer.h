#pragma once

#include <QString>

#include "protocol/Transfer.h"

namespace quillon {

// The real transfer, over libcurl's easy interface: one blocking GET per call.
//  - connect time-out 10 s, whole request 30 s (settable, so tests can cut them short);
//  - certificate and host-name verification always on; Endpoints::trustedCA, when set, names
//    an extra certificate authority file trusted besides the system's ones;
//  - redirects are not followed, and any status outside 200-299 is a failed transfer;
//  - the reply is capped at 16 MiB (a longer reply is a failed transfer);
//  - User-Agent "Quillon/" + the program's version; proxies from the usual environment
//    variables (http_proxy, https_proxy, no_proxy), as libcurl reads them.
class CurlTransfer : public Transfer {
  public:
    static constexpr long kDefaultConnectTimeoutMs = 10'000;
    static constexpr long kDefaultTotalTimeoutMs = 30'000;
    static constexpr long long kReplyCapBytes = 16LL * 1024 * 1024;

    CurlTransfer();
    ~CurlTransfer() override;
    CurlTransfer(const CurlTransfer&) = delete;
    CurlTransfer& operator=(const CurlTransfer&) = delete;

    TransferReply OpenURL(const QString& url) override;

    void setTimeouts(long connectTimeoutMs, long totalTimeoutMs);
    long connectTimeoutMs() const { return connectTimeoutMs_; }
    long totalTimeoutMs() const { return totalTimeoutMs_; }

    // The largest reply accepted, in bytes (tests lower it).
    void setReplyCap(long long bytes) { replyCapBytes_ = bytes; }

    // The User-Agent header every request carries.
    static QString userAgent();

  private:
    long connectTimeoutMs_ = kDefaultConnectTimeoutMs;
    long totalTimeoutMs_ = kDefaultTotalTimeoutMs;
    long long replyCapBytes_ = kReplyCapBytes;
};

}  // namespace quillon
