#include "Replies.h"

namespace corvane_sim {

Reply& Reply::success() {
    paragraphs_.emplace_back("SUCCESS");
    return *this;
}

Reply& Reply::field(const std::string& tag, const std::string& value) {
    paragraphs_.push_back(tag + value);
    return *this;
}

std::string Reply::html() const {
    std::string out = "<html>\r\n<head><title>Corvane</title></head>\r\n<body>\r\n";
    for (const auto& p : paragraphs_) {
        out += "<p>" + p + "</p>\r\n";
    }
    out += "</body>\r\n</html>\r\n";
    return out;
}

std::string formatRecordList(const std::vector<DnsRecord>& records) {
    std::string out;
    for (const auto& r : records) {
        if (!out.empty()) {
            out += "~~";
        }
        out += r.domain + ";;" + r.type + ";;" + r.name + ";;" + r.address;
    }
    return out;
}

std::string errorReply(const std::string& message) {
    return Reply().field("Error:", message).html();
}

}  // namespace corvane_sim
