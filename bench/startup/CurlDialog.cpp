#include <curl/curl.h>

#include <QApplication>
#include <QDialog>
#include <cstdio>

#include "BareDialogWindow.h"

// The start-up benchmark's second yardstick: the bare dialog in a program that links libcurl and
// makes one HTTPS request before its window shows, the least a Qt program that talks to the
// service over libcurl costs. The server's certificate and host name are verified against the
// one certificate authority file given; the handle is let go after the request (the library
// stays loaded and initialised), so that this floor holds no connection or certificate store.
//
// usage: startup_curl_dialog TITLE URL CA-FILE
// It prints the reply's HTTP status once the request is done, and exits with status 1 without
// showing a window when the request fails.

namespace {

size_t discardBody(char*, size_t size, size_t count, void*) {
    return size * count;
}

bool requestOnce(const char* url, const char* caFile) {
    curl_global_init(CURL_GLOBAL_DEFAULT);
    CURL* handle = curl_easy_init();
    if (handle == nullptr) {
        std::fprintf(stderr, "startup_curl_dialog: libcurl could not make a handle\n");
        return false;
    }
    char error[CURL_ERROR_SIZE] = {};
    curl_easy_setopt(handle, CURLOPT_URL, url);
    curl_easy_setopt(handle, CURLOPT_CAINFO, caFile);
    curl_easy_setopt(handle, CURLOPT_SSL_VERIFYPEER, 1L);
    curl_easy_setopt(handle, CURLOPT_SSL_VERIFYHOST, 2L);
    curl_easy_setopt(handle, CURLOPT_NOPROXY, "*");  // loopback only, never through a proxy
    curl_easy_setopt(handle, CURLOPT_CONNECTTIMEOUT_MS, 10'000L);
    curl_easy_setopt(handle, CURLOPT_TIMEOUT_MS, 30'000L);
    curl_easy_setopt(handle, CURLOPT_WRITEFUNCTION, discardBody);
    curl_easy_setopt(handle, CURLOPT_ERRORBUFFER, error);
    const CURLcode result = curl_easy_perform(handle);
    long status = 0;
    curl_easy_getinfo(handle, CURLINFO_RESPONSE_CODE, &status);
    curl_easy_cleanup(handle);
    if (result != CURLE_OK) {
        std::fprintf(stderr, "startup_curl_dialog: %s: %s\n", url,
                     error[0] != '\0' ? error : curl_easy_strerror(result));
        return false;
    }
    std::printf("startup_curl_dialog: HTTP status %ld\n", status);
    std::fflush(stdout);
    return true;
}

}  // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    if (argc != 4) {
        std::fprintf(stderr, "usage: startup_curl_dialog TITLE URL CA-FILE\n");
        return 2;
    }
    QDialog dialog;
    fillBareDialog(dialog, QString::fromLocal8Bit(argv[1]));
    if (!requestOnce(argv[2], argv[3])) {
        return 1;
    }
    dialog.show();
    return app.exec();
}
