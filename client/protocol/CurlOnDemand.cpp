#include "protocol/CurlOnDemand.h"

// The definitions below replace libcurl's own macros for type-checked options.
#define CURL_DISABLE_TYPECHECK 1

#include <curl/curl.h>
#include <dlfcn.h>
#include <openssl/ssl.h>
#include <openssl/x509.h>

#include <cstdarg>
#include <cstdio>
#include <mutex>

namespace {

// The run-time name of the libcurl the program is built against (its ABI has kept this name
// since 2006).
constexpr const char* kCurlLibrary = "libcurl.so.4";

struct Curl {
    void* handle = nullptr;
    CURLcode (*globalInit)(long) = nullptr;
    CURL* (*easyInit)() = nullptr;
    void (*easyCleanup)(CURL*) = nullptr;
    void (*easyReset)(CURL*) = nullptr;
    CURLcode (*easySetopt)(CURL*, CURLoption, ...) = nullptr;
    CURLcode (*easyPerform)(CURL*) = nullptr;
    CURLcode (*easyGetinfo)(CURL*, CURLINFO, ...) = nullptr;
    const char* (*easyStrerror)(CURLcode) = nullptr;
    X509_STORE* (*sslCtxGetCertStore)(const SSL_CTX*) = nullptr;
    int (*x509StoreLoadFile)(X509_STORE*, const char*) = nullptr;
};

template <typename F>
void bind(void* handle, F& function, const char* name) {
    // dlsym on the handle searches libcurl and then the libraries it loaded (its OpenSSL).
    function = reinterpret_cast<F>(dlsym(handle, name));
}

// The global initialisation the program asked for, done when libcurl is loaded.
std::once_flag globalInitRequested;
long globalInitFlags = CURL_GLOBAL_DEFAULT;
bool globalInitPending = false;

Curl load() {
    Curl c;
    c.handle = dlopen(kCurlLibrary, RTLD_NOW | RTLD_LOCAL);
    if (!c.handle) {
        const char* why = dlerror();
        std::fprintf(stderr, "quillon: %s could not be loaded: %s\n", kCurlLibrary,
                     why ? why : "unknown reason");
        return c;
    }
    bind(c.handle, c.globalInit, "curl_global_init");
    bind(c.handle, c.easyInit, "curl_easy_init");
    bind(c.handle, c.easyCleanup, "curl_easy_cleanup");
    bind(c.handle, c.easyReset, "curl_easy_reset");
    bind(c.handle, c.easySetopt, "curl_easy_setopt");
    bind(c.handle, c.easyPerform, "curl_easy_perform");
    bind(c.handle, c.easyGetinfo, "curl_easy_getinfo");
    bind(c.handle, c.easyStrerror, "curl_easy_strerror");
    bind(c.handle, c.sslCtxGetCertStore, "SSL_CTX_get_cert_store");
    bind(c.handle, c.x509StoreLoadFile, "X509_STORE_load_file");
    return c;
}

// libcurl, loaded and initialised on the first call that needs it.
const Curl& curl() {
    static const Curl loaded = [] {
        Curl c = load();
        if (c.globalInit && globalInitPending) {
            c.globalInit(globalInitFlags);
        }
        return c;
    }();
    return loaded;
}

}  // namespace

namespace quillon {

bool curlLibraryLoaded() {
    void* handle = dlopen(kCurlLibrary, RTLD_NOW | RTLD_NOLOAD);
    if (handle) {
        dlclose(handle);
    }
    return handle != nullptr;
}

}  // namespace quillon

extern "C" {

// Recorded only: the initialisation runs when libcurl is loaded, before any other call.
CURLcode curl_global_init(long flags) {
    std::call_once(globalInitRequested, [flags] {
        globalInitFlags = flags;
        globalInitPending = true;
    });
    return CURLE_OK;
}

CURL* curl_easy_init() {
    return curl().easyInit ? curl().easyInit() : nullptr;
}

void curl_easy_cleanup(CURL* handle) {
    // A handle exists only once libcurl is loaded.
    if (handle && curl().easyCleanup) {
        curl().easyCleanup(handle);
    }
}

void curl_easy_reset(CURL* handle) {
    if (handle && curl().easyReset) {
        curl().easyReset(handle);
    }
}

CURLcode curl_easy_setopt(CURL* handle, CURLoption option, ...) {
    if (!curl().easySetopt) {
        return CURLE_FAILED_INIT;
    }
    // The option's number tells the type of its one argument, as libcurl itself reads it.
    va_list args;
    va_start(args, option);
    CURLcode result;
    if (option < CURLOPTTYPE_OBJECTPOINT) {
        result = curl().easySetopt(handle, option, va_arg(args, long));
    } else if (option < CURLOPTTYPE_FUNCTIONPOINT) {
        result = curl().easySetopt(handle, option, va_arg(args, void*));
    } else if (option < CURLOPTTYPE_OFF_T) {
        result = curl().easySetopt(handle, option, va_arg(args, void (*)()));
    } else if (option < CURLOPTTYPE_BLOB) {
        result = curl().easySetopt(handle, option, va_arg(args, curl_off_t));
    } else {
        result = curl().easySetopt(handle, option, va_arg(args, void*));
    }
    va_end(args);
    return result;
}

CURLcode curl_easy_perform(CURL* handle) {
    return curl().easyPerform ? curl().easyPerform(handle) : CURLE_FAILED_INIT;
}

CURLcode curl_easy_getinfo(CURL* handle, CURLINFO info, ...) {
    if (!curl().easyGetinfo) {
        return CURLE_FAILED_INIT;
    }
    // Every query writes through one pointer.
    va_list args;
    va_start(args, info);
    void* out = va_arg(args, void*);
    va_end(args);
    return curl().easyGetinfo(handle, info, out);
}

const char* curl_easy_strerror(CURLcode code) {
    return curl().easyStrerror ? curl().easyStrerror(code) : "libcurl could not be loaded";
}

// OpenSSL, which libcurl loaded; only called from libcurl's TLS context callback.
X509_STORE* SSL_CTX_get_cert_store(const SSL_CTX* context) {
    return curl().sslCtxGetCertStore ? curl().sslCtxGetCertStore(context) : nullptr;
}

int X509_STORE_load_file(X509_STORE* store, const char* file) {
    return curl().x509StoreLoadFile ? curl().x509StoreLoadFile(store, file) : 0;
}

}  // extern "C"
