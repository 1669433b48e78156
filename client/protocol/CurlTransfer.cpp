#include "protocol/CurlTransfer.h"

#include <curl/curl.h>
#include <openssl/ssl.h>
#include <openssl/x509.h>

#include <QByteArray>
#include <memory>

#include "Version.h"
#include "platform/Endpoints.h"

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

struct EasyDeleter {
    void operator()(CURL* easy) const { curl_easy_cleanup(easy); }
};

TransferReply failed(const QString& why) {
    return TransferReply{false, QString(), why};
}

}  // namespace

CurlTransfer::CurlTransfer() {
    initCurlOnce();
}

CurlTransfer::~CurlTransfer() = default;

void CurlTransfer::setTimeouts(long connectTimeoutMs, long totalTimeoutMs) {
    connectTimeoutMs_ = connectTimeoutMs;
    totalTimeoutMs_ = totalTimeoutMs;
}

QString CurlTransfer::userAgent() {
    return QStringLiteral("Quillon/" QUILLON_VERSION_TEXT);
}

TransferReply CurlTransfer::OpenURL(const QString& url) {
    std::unique_ptr<CURL, EasyDeleter> easy(curl_easy_init());
    if (!easy) {
        return failed(QStringLiteral("the transfer could not be set up"));
    }
    CURL* h = easy.get();
    const QByteArray address = url.toUtf8();
    const QByteArray agent = userAgent().toUtf8();
    const QByteArray trustedCA = endpoints().trustedCA.toLocal8Bit();
    char errorText[CURL_ERROR_SIZE] = {};
    Sink sink;
    sink.cap = replyCapBytes_;

    curl_easy_setopt(h, CURLOPT_URL, address.constData());
    curl_easy_setopt(h, CURLOPT_HTTPGET, 1L);
#if LIBCURL_VERSION_NUM >= 0x075500
    curl_easy_setopt(h, CURLOPT_PROTOCOLS_STR, "http,https");
#else
    curl_easy_setopt(h, CURLOPT_PROTOCOLS, static_cast<long>(CURLPROTO_HTTP | CURLPROTO_HTTPS));
#endif
    curl_easy_setopt(h, CURLOPT_FOLLOWLOCATION, 0L);
    curl_easy_setopt(h, CURLOPT_SSL_VERIFYPEER, 1L);
    curl_easy_setopt(h, CURLOPT_SSL_VERIFYHOST, 2L);
    curl_easy_setopt(h, CURLOPT_CONNECTTIMEOUT_MS, connectTimeoutMs_);
    curl_easy_setopt(h, CURLOPT_TIMEOUT_MS, totalTimeoutMs_);
    curl_easy_setopt(h, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(h, CURLOPT_USERAGENT, agent.constData());
    curl_easy_setopt(h, CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(replyCapBytes_));
    curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, writeBody);
    curl_easy_setopt(h, CURLOPT_WRITEDATA, &sink);
    curl_easy_setopt(h, CURLOPT_ERRORBUFFER, errorText);
    if (!trustedCA.isEmpty()) {
#if LIBCURL_VERSION_NUM >= 0x075700
        // A cached certificate store would outlive this request and carry the extra authority
        // into later ones that no longer name it.
        curl_easy_setopt(h, CURLOPT_CA_CACHE_TIMEOUT, 0L);
#endif
        curl_easy_setopt(h, CURLOPT_SSL_CTX_DATA, &trustedCA);
        if (curl_easy_setopt(h, CURLOPT_SSL_CTX_FUNCTION, addTrustedCA) != CURLE_OK) {
            // A TLS library without the context hook: trust the extra file alone.
            curl_easy_setopt(h, CURLOPT_CAINFO, trustedCA.constData());
        }
    }

    const CURLcode result = curl_easy_perform(h);
    if (sink.overCap || result == CURLE_FILESIZE_EXCEEDED) {
        return failed(QStringLiteral("the reply is larger than the limit"));
    }
    if (result != CURLE_OK) {
        return failed(
            QString::fromUtf8(errorText[0] != '\0' ? errorText : curl_easy_strerror(result)));
    }
    long status = 0;
    curl_easy_getinfo(h, CURLINFO_RESPONSE_CODE, &status);
    if (status < 200 || status > 299) {
        return failed(QStringLiteral("the server answered with status %1").arg(status));
    }
    return TransferReply{true, QString::fromUtf8(sink.body), QString()};
}

}  // namespace quillon
