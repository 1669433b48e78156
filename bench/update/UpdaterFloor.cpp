#include <curl/curl.h>

#include <QCoreApplication>
#include <QTimer>
#include <csignal>
#include <cstdio>
#include <cstdlib>

// The updater benchmark's yardstick: a Qt Core program that links libcurl, makes one request to
// the service (plain HTTP, as quillon-update makes its own in the benchmark) and then idles on a
// 10-second timer, as quillon-update does between checks. The least a headless program on
// quillon-update's libraries costs; everything above it is quillon-update's own.
//
// usage: updater_floor URL
// It prints the reply's HTTP status once the request is done, and exits with status 1 when the
// request fails.

namespace {

size_t discardBody(char*, size_t size, size_t count, void*) {
    return size * count;
}

}  // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: updater_floor URL\n");
        return 2;
    }
    curl_global_init(CURL_GLOBAL_DEFAULT);
    CURL* handle = curl_easy_init();
    if (handle == nullptr) {
        return 1;
    }
    curl_easy_setopt(handle, CURLOPT_URL, argv[1]);
    curl_easy_setopt(handle, CURLOPT_NOPROXY, "*");  // loopback only, never through a proxy
    curl_easy_setopt(handle, CURLOPT_TIMEOUT_MS, 30'000L);
    curl_easy_setopt(handle, CURLOPT_WRITEFUNCTION, discardBody);
    const CURLcode result = curl_easy_perform(handle);
    long status = 0;
    curl_easy_getinfo(handle, CURLINFO_RESPONSE_CODE, &status);
    curl_easy_cleanup(handle);
    if (result != CURLE_OK) {
        std::fprintf(stderr, "updater_floor: %s: %s\n", argv[1], curl_easy_strerror(result));
        return 1;
    }
    std::fprintf(stderr, "updater_floor: HTTP status %ld\n", status);
    // Ended by the benchmark's SIGTERM, with nothing of its own to put away.
    std::signal(SIGTERM, [](int) { std::_Exit(0); });
    QTimer tick;
    tick.start(10'000);
    return QCoreApplication::exec();
}
