#include "protocol/CurlTransfer.h"

#include <curl/curl.h>
#include <openssl/ssl.h>
#include <openssl/x509.h>

#include <array>
#include <mutex>

#include "Version.h"
#include "platform/Endpoints.h"
#include "protocol/RequestWait.h"

namespace quillon {

namespace {

void initCurlOnce() {
    static const bool initialised = [] {
        curl_global_init(CURL_GLOBAL_DEFAULT);
        return true;
    }();
    (void)initialised;
}

struct Sink {
    QByteArray body;
    long long cap = 0;
    bool overCap = false;
};

size_t writeBody(char* data, size_t size, size_t count, void* user) {
    auto* sink = static_cast<Sink*>(user);
    const size_t bytes = size * count;
    if (static_cast<long long>(sink->body.size()) + static_cast<long long>(bytes) > sink->cap) {
        sink->overCap = true;
        return 0;  // makes libcurl end the transfer with a write error
    }
    sink->body.append(data, static_cast<qsizetype>(bytes));
    return bytes;
}

// Adds the extra certificate authority file to the certificates the connection trusts, besides
// the system's ones (CURLOPT_CAINFO would replace them). A file that cannot be read adds nothing:
// the system's authorities still apply.
CURLcode addTrustedCA(CURL*, void* sslContext, void* user) {
    const auto* file = static_cast<const QByteArray*>(user);
    X509_STORE* store = SSL_CTX_get_cert_store(static_cast<SSL_CTX*>(sslContext));
    if (store != nullptr) {
        X509_STORE_load_file(store, file->constData());
    }
    return CURLE_OK;
}

TransferReply failed(const QString& why) {
    return TransferReply{false, QString(), why};
}

void setOptions(CURL* h, const QByteArray& url, const QByteArray& agent, long connectTimeoutMs,
                long totalTimeoutMs, long long replyCapBytes) {
    curl_easy_setopt(h, CURLOPT_URL, url.constData());
    curl_easy_setopt(h, CURLOPT_HTTPGET, 1L);
#if LIBCURL_VERSION_NUM >= 0x075500
    curl_easy_setopt(h, CURLOPT_PROTOCOLS_STR, "http,https");
#else
    curl_easy_setopt(h, CURLOPT_PROTOCOLS, static_cast<long>(CURLPROTO_HTTP | CURLPROTO_HTTPS));
#endif
    curl_easy_setopt(h, CURLOPT_FOLLOWLOCATION, 0L);
    curl_easy_setopt(h, CURLOPT_SSL_VERIFYPEER, 1L);
    curl_easy_setopt(h, CURLOPT_SSL_VERIFYHOST, 2L);
    curl_easy_setopt(h, CURLOPT_CONNECTTIMEOUT_MS, connectTimeoutMs);
    curl_easy_setopt(h, CURLOPT_TIMEOUT_MS, totalTimeoutMs);
    curl_easy_setopt(h, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(h, CURLOPT_USERAGENT, agent.constData());
    curl_easy_setopt(h, CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(replyCapBytes));
}

// The system's certificate authorities come from the bundle file alone (on Debian the hashed
// folder holds the same certificates). libcurl then keeps the store it reads, some hundred
// certificates, with the handle for the handle's next connections instead of reading the file
// again for each; with a folder named it reads them anew every time. A handle serves one trust
// setting only (handleFor), so the extra authority added to that store never reaches a request
// made under another.
void useCachedSystemAuthorities(CURL* h) {
    curl_easy_setopt(h, CURLOPT_CAPATH, nullptr);
}

void setTrustedCA(CURL* h, const QByteArray& trustedCA) {
    if (trustedCA.isEmpty()) {
        return;
    }
    curl_easy_setopt(h, CURLOPT_SSL_CTX_DATA, &trustedCA);
    if (curl_easy_setopt(h, CURLOPT_SSL_CTX_FUNCTION, addTrustedCA) != CURLE_OK) {
        // A TLS library without the context hook: trust the extra file alone.
        curl_easy_setopt(h, CURLOPT_CAINFO, trustedCA.constData());
    }
}

// Everything one request needs, taken on the calling thread before the transfer starts.
struct Request {
    QByteArray url;
    QByteArray userAgent;
    QByteArray trustedCA;
    long connectTimeoutMs = 0;
    long totalTimeoutMs = 0;
    long long replyCapBytes = 0;
};

}  // namespace

class CurlTransfer::Connection {
  public:
    Connection() = default;
    ~Connection() {
        if (easy_ != nullptr) {
            curl_easy_cleanup(easy_);
        }
    }
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    TransferReply perform(const Request& request);

  private:
    CURL* handleFor(const QByteArray& trustedCA);

    std::mutex mutex_;
    CURL* easy_ = nullptr;      // guarded by mutex_
    QByteArray easyTrustedCA_;  // the extra authority easy_'s connections were made under
};

CurlTransfer::CurlTransfer() : connection_(std::make_shared<Connection>()) {}

CurlTransfer::~CurlTransfer() = default;

void CurlTransfer::setTimeouts(long connectTimeoutMs, long totalTimeoutMs) {
    connectTimeoutMs_ = connectTimeoutMs;
    totalTimeoutMs_ = totalTimeoutMs;
}

QString CurlTransfer::userAgent() {
    return QStringLiteral("Quillon/" QUILLON_VERSION_TEXT);
}

bool CurlTransfer::HoldsServiceReply(const QString& body) {
    static const std::array<QString, 4> kTags{QStringLiteral("SUCCESS"), QStringLiteral("Error:"),
                                              QStringLiteral("DNS LOGIN:"),
                                              QStringLiteral("DomainUserRecords:")};
    for (const QString& tag : kTags) {
        if (body.contains(tag)) {
            return true;
        }
    }
    return false;
}

TransferReply CurlTransfer::OpenURL(const QString& url) {
    // The settings and endpoints belong to the calling thread; the worker gets a copy.
    const Request request{
        url.toUtf8(),      userAgent().toUtf8(), endpoints().trustedCA.toLocal8Bit(),
        connectTimeoutMs_, totalTimeoutMs_,      replyCapBytes_};
    return WaitForReply(
        [connection = connection_, &request] { return connection->perform(request); });
}

// The kept handle, or a new one when there is none or the extra certificate authority changed
// (its connections and TLS sessions were verified under the old one). Called under the mutex.
CURL* CurlTransfer::Connection::handleFor(const QByteArray& trustedCA) {
    if (easy_ != nullptr && easyTrustedCA_ != trustedCA) {
        curl_easy_cleanup(easy_);
        easy_ = nullptr;
    }
    if (easy_ == nullptr) {
        easy_ = curl_easy_init();
        easyTrustedCA_ = trustedCA;
    } else {
        // Options back to their defaults; the live connection and the TLS session stay.
        curl_easy_reset(easy_);
    }
    return easy_;
}

TransferReply CurlTransfer::Connection::perform(const Request& request) {
    // At the first request, not at the start: setting up the TLS library costs the start-up of
    // a program whose first window needs no request.
    initCurlOnce();
    const std::lock_guard lock(mutex_);
    CURL* h = handleFor(request.trustedCA);
    if (h == nullptr) {
        return failed(QStringLiteral("the transfer could not be set up"));
    }
    char errorText[CURL_ERROR_SIZE] = {};
    Sink sink;
    sink.cap = request.replyCapBytes;

    setOptions(h, request.url, request.userAgent, request.connectTimeoutMs, request.totalTimeoutMs,
               request.replyCapBytes);
    useCachedSystemAuthorities(h);
    setTrustedCA(h, easyTrustedCA_);
    curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, writeBody);
    curl_easy_setopt(h, CURLOPT_WRITEDATA, &sink);
    curl_easy_setopt(h, CURLOPT_ERRORBUFFER, errorText);

    const CURLcode result = curl_easy_perform(h);
    // The handle outlives this call: it must not keep pointers into this frame.
    curl_easy_setopt(h, CURLOPT_ERRORBUFFER, nullptr);
    curl_easy_setopt(h, CURLOPT_WRITEDATA, nullptr);
    if (sink.overCap || result == CURLE_FILESIZE_EXCEEDED) {
        return failed(QStringLiteral("the reply is larger than the limit"));
    }
    if (result != CURLE_OK) {
        return failed(
            QString::fromUtf8(errorText[0] != '\0' ? errorText : curl_easy_strerror(result)));
    }
    long status = 0;
    curl_easy_getinfo(h, CURLINFO_RESPONSE_CODE, &status);
    QString body = QString::fromUtf8(sink.body);
    // The service answers some failures (a storage fault, for one) with an error status and its
    // own reply; that reply goes to the reply rules. Another server's error page does not.
    if ((status < 200 || status > 299) && !HoldsServiceReply(body)) {
        return failed(QStringLiteral("the server answered with status %1").arg(status));
    }
    return TransferReply{true, std::move(body), QString(), status};
}

}  // namespace quillon
