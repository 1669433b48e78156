#pragma once

#include <functional>
#include <string>

namespace hivekit {

// The component's notices: it runs unattended and never shows a window or prints, so what
// the user should know goes to the system log (syslog, LOG_USER, tagged "Hivekit:"). Tests
// replace the sink to read the notices.
using NoticeSink = std::function<void(const std::string& title, const std::string& text)>;

// Gives one notice; `title` may be empty.
void Notice(const std::string& title, const std::string& text);

// Replaces the sink; an empty function puts the system log back. Returns the previous sink.
NoticeSink SetNoticeSink(NoticeSink sink);

}  // namespace hivekit
