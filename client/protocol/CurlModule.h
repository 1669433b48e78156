#pragma once

#include <cstddef>

// The transfer module's entry points (libquillon-curl.so): libcurl's easy interface behind one
// plain-C boundary, so that libcurl and the TLS library it brings are loaded at the first request
// rather than at the start of a program whose first window needs none.

extern "C" {

// One GET. The strings are NUL-terminated; `trustedCA` may be empty (no extra authority).
struct QuillonCurlRequest {
    const char* url;
    const char* userAgent;
    const char* trustedCA;
    long connectTimeoutMs;
    long totalTimeoutMs;
    long long replyCapBytes;
};

// Where the reply's body goes, piece by piece.
struct QuillonCurlSink {
    void* user;
    void (*append)(void* user, const char* data, size_t size);
};

// Room for the reason of a failure, as libcurl's own error buffer has.
enum { QUILLON_CURL_ERROR_SIZE = 256 };

enum QuillonCurlResult {
    QUILLON_CURL_OK = 0,         // a reply came; its HTTP status is set
    QUILLON_CURL_FAILED = 1,     // no reply; `error` says why
    QUILLON_CURL_TOO_LARGE = 2,  // the reply was longer than the cap
};

// A connection keeps one easy handle, and so its connection and TLS session, from one request to
// the next; its requests may come from any thread, one at a time or overlapping.
typedef void* (*QuillonCurlOpenFn)(void);
typedef void (*QuillonCurlCloseFn)(void* connection);
typedef int (*QuillonCurlGetFn)(void* connection, const QuillonCurlRequest* request,
                                const QuillonCurlSink* sink, long* status, char* error,
                                size_t errorSize);
}
