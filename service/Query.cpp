#include "Query.h"

namespace corvane_sim {

namespace {

int hexValue(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

char lowerAscii(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

char upperAscii(char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

}  // namespace

std::string percentDecode(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size() && hexValue(text[i + 1]) >= 0 &&
            hexValue(text[i + 2]) >= 0) {
            out.push_back(static_cast<char>(hexValue(text[i + 1]) * 16 + hexValue(text[i + 2])));
            i += 2;
        } else {
            out.push_back(text[i]);
        }
    }
    return out;
}

bool equalsNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (lowerAscii(a[i]) != lowerAscii(b[i])) {
            return false;
        }
    }
    return true;
}

std::string toUpper(std::string_view text) {
    std::string out(text);
    for (char& c : out) {
        c = upperAscii(c);
    }
    return out;
}

std::string toLower(std::string_view text) {
    std::string out(text);
    for (char& c : out) {
        c = lowerAscii(c);
    }
    return out;
}

Query::Query(std::string_view text) {
    std::size_t start = 0;
    while (start <= text.size()) {
        auto end = text.find('&', start);
        if (end == std::string_view::npos) {
            end = text.size();
        }
        const auto part = text.substr(start, end - start);
        if (!part.empty()) {
            const auto eq = part.find('=');
            if (eq == std::string_view::npos) {
                items_.emplace_back(percentDecode(part), std::string());
            } else {
                items_.emplace_back(percentDecode(part.substr(0, eq)),
                                    percentDecode(part.substr(eq + 1)));
            }
        }
        start = end + 1;
    }
}

std::string Query::value(std::string_view key) const {
    for (const auto& [name, value] : items_) {
        if (equalsNoCase(name, key)) {
            return value;
        }
    }
    return {};
}

bool Query::has(std::string_view key) const {
    for (const auto& item : items_) {
        if (equalsNoCase(item.first, key)) {
            return true;
        }
    }
    return false;
}

}  // namespace corvane_sim
