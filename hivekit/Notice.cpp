#include "Notice.h"

#include <syslog.h>

#include <mutex>
#include <utility>

namespace hivekit {

namespace {

std::mutex& SinkMutex() {
    static std::mutex m;
    return m;
}

NoticeSink& CurrentSink() {
    static NoticeSink sink;
    return sink;
}

// A library must not call openlog (the ident is the program's), so the tag goes into the text.
void ToSystemLog(const std::string& title, const std::string& text) {
    if (title.empty()) {
        syslog(LOG_USER | LOG_NOTICE, "Hivekit: %s", text.c_str());
    } else {
        syslog(LOG_USER | LOG_NOTICE, "Hivekit: %s: %s", title.c_str(), text.c_str());
    }
}

}  // namespace

void Notice(const std::string& title, const std::string& text) {
    NoticeSink sink;
    {
        std::lock_guard lock(SinkMutex());
        sink = CurrentSink();
    }
    if (sink) {
        sink(title, text);
    } else {
        ToSystemLog(title, text);
    }
}

NoticeSink SetNoticeSink(NoticeSink sink) {
    std::lock_guard lock(SinkMutex());
    return std::exchange(CurrentSink(), std::move(sink));
}

}  // namespace hivekit
