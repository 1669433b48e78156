#include "protocol/CurlModule.h"

#include <curl/curl.h>
#include <openssl/ssl.h>
#include <openssl/x509.h>

#include <cstdio>
#include <mutex>
#include <string>

// The module's side of CurlModule.h: the easy handle, its options and the extra certificate
// authority added to the TLS context of libcurl's OpenSSL build.

namespace {

void initCurlOnce() {
    static const bool initialised = [] {
        curl_global_init(CURL_GLOBAL_DEFAULT);
        return true;
    }();
    (void)initialised;
}

struct Sink {
    const QuillonCurlSink* to;
    long long size = 0;
    long long cap = 0;
    bool overCap = false;
};

size_t writeBody(char* data, size_t size, size_t count, void* user) {
    auto* sink = static_cast<Sink*>(user);
    const size_t bytes = size * count;
    if (sink->size + static_cast<long long>(bytes) > sink->cap) {
        sink->overCap = true;
        return 0;  // makes libcurl end the transfer with a write error
    }
    sink->size += static_cast<long long>(bytes);
    sink->to->append(sink->to->user, data, bytes);
    return bytes;
}

// Adds the extra certificate authority file to the certificates the connection trusts, besides
// the system's ones (CURLOPT_CAINFO would replace them). A file that cannot be read adds nothing:
// the system's authorities still apply.
CURLcode addTrustedCA(CURL*, void* sslContext, void* user) {
    const auto* file = static_cast<const std::string*>(user);
    X509_STORE* store = SSL_CTX_get_cert_store(static_cast<SSL_CTX*>(sslContext));
    if (store != nullptr) {
        X509_STORE_load_file(store, file->c_str());
    }
    return CURLE_OK;
}

void setOptions(CURL* h, const QuillonCurlRequest& r) {
    curl_easy_setopt(h, CURLOPT_URL, r.url);
    curl_easy_setopt(h, CURLOPT_HTTPGET, 1L);
#if LIBCURL_VERSION_NUM >= 0x075500
    curl_easy_setopt(h, CURLOPT_PROTOCOLS_STR, "http,https");
#else
    curl_easy_setopt(h, CURLOPT_PROTOCOLS, static_cast<long>(CURLPROTO_HTTP | CURLPROTO_HTTPS));
#endif
    curl_easy_setopt(h, CURLOPT_FOLLOWLOCATION, 0L);
    curl_easy_setopt(h, CURLOPT_SSL_VERIFYPEER, 1L);
    curl_easy_setopt(h, CURLOPT_SSL_VERIFYHOST, 2L);
    curl_easy_setopt(h, CURLOPT_CONNECTTIMEOUT_MS, r.connectTimeoutMs);
    curl_easy_setopt(h, CURLOPT_TIMEOUT_MS, r.totalTimeoutMs);
    curl_easy_setopt(h, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(h, CURLOPT_USERAGENT, r.userAgent);
    curl_easy_setopt(h, CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(r.replyCapBytes));
    // The system's certificate authorities come from the bundle file alone (on Debian the hashed
    // folder holds the same certificates). libcurl then keeps the store it reads, some hundred
    // certificates, with the handle for the handle's next connections instead of reading the
    // file again for each; with a folder named it reads them anew every time. A handle serves
    // one trust setting only (handleFor), so the extra authority added to that store never
    // reaches a request made under another.
    curl_easy_setopt(h, CURLOPT_CAPATH, nullptr);
}

class Connection {
  public:
    ~Connection() {
        if (easy_ != nullptr) {
            curl_easy_cleanup(easy_);
        }
    }

    int get(const QuillonCurlRequest& request, const QuillonCurlSink& to, long* status, char* error,
            size_t errorSize) {
        // At the first request: setting up the TLS library is no part of a program's start.
        initCurlOnce();
        const std::lock_guard lock(mutex_);
        CURL* h = handleFor(request.trustedCA);
        if (h == nullptr) {
            std::snprintf(error, errorSize, "%s", "the transfer could not be set up");
            return QUILLON_CURL_FAILED;
        }
        char errorText[CURL_ERROR_SIZE] = {};
        Sink sink{&to, 0, request.replyCapBytes, false};
        setOptions(h, request);
        if (!trustedCA_.empty()) {
            curl_easy_setopt(h, CURLOPT_SSL_CTX_DATA, &trustedCA_);
            if (curl_easy_setopt(h, CURLOPT_SSL_CTX_FUNCTION, addTrustedCA) != CURLE_OK) {
                // A TLS library without the context hook: trust the extra file alone.
                curl_easy_setopt(h, CURLOPT_CAINFO, trustedCA_.c_str());
            }
        }
        curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, writeBody);
        curl_easy_setopt(h, CURLOPT_WRITEDATA, &sink);
        curl_easy_setopt(h, CURLOPT_ERRORBUFFER, errorText);

        const CURLcode result = curl_easy_perform(h);
        // The handle outlives this call: it must not keep pointers into this frame.
        curl_easy_setopt(h, CURLOPT_ERRORBUFFER, nullptr);
        curl_easy_setopt(h, CURLOPT_WRITEDATA, nullptr);
        if (sink.overCap || result == CURLE_FILESIZE_EXCEEDED) {
            return QUILLON_CURL_TOO_LARGE;
        }
        if (result != CURLE_OK) {
            std::snprintf(error, errorSize, "%s",
                          errorText[0] != '\0' ? errorText : curl_easy_strerror(result));
            return QUILLON_CURL_FAILED;
        }
        curl_easy_getinfo(h, CURLINFO_RESPONSE_CODE, status);
        return QUILLON_CURL_OK;
    }

  private:
    // The kept handle, or a new one when there is none or the extra certificate authority
    // changed (its connections and TLS sessions were verified under the old one).
    CURL* handleFor(const char* trustedCA) {
        if (easy_ != nullptr && trustedCA_ != trustedCA) {
            curl_easy_cleanup(easy_);
            easy_ = nullptr;
        }
        if (easy_ == nullptr) {
            easy_ = curl_easy_init();
            trustedCA_ = trustedCA;
        } else {
            // Options back to their defaults; the live connection and the TLS session stay.
            curl_easy_reset(easy_);
        }
        return easy_;
    }

    std::mutex mutex_;
    CURL* easy_ = nullptr;   // guarded by mutex_
    std::string trustedCA_;  // the extra authority easy_'s connections were made under
};

}  // namespace

extern "C" {

__attribute__((visibility("default"))) void* quillon_curl_open() {
    return new Connection;
}

__attribute__((visibility("default"))) void quillon_curl_close(void* connection) {
    delete static_cast<Connection*>(connection);
}

__attribute__((visibility("default"))) int quillon_curl_get(void* connection,
                                                            const QuillonCurlRequest* request,
                                                            const QuillonCurlSink* sink,
                                                            long* status, char* error,
                                                            size_t errorSize) {
    return static_cast<Connection*>(connection)->get(*request, *sink, status, error, errorSize);
}
}
