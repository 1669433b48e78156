#include "RegText.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>

#include "hivekit/NameFold.h"

namespace hivekit::reg {

namespace {

struct TypeEntry {
    std::int32_t type;
    const char* name;
};

constexpr TypeEntry kTypes[] = {
    {0, "REG_NONE"},
    {1, "REG_SZ"},
    {2, "REG_EXPAND_SZ"},
    {3, "REG_BINARY"},
    {4, "REG_DWORD"},
    {5, "REG_DWORD_BIG_ENDIAN"},
    {6, "REG_LINK"},
    {7, "REG_MULTI_SZ"},
    {8, "REG_RESOURCE_LIST"},
    {9, "REG_FULL_RESOURCE_DESCRIPTOR"},
    {10, "REG_RESOURCE_REQUIREMENTS_LIST"},
    {11, "REG_QWORD"},
};

void AppendUnit(char16_t u, std::string& out) {
    out += static_cast<char>(u & 0xFF);
    out += static_cast<char>(u >> 8);
}

}  // namespace

std::string Utf8ToUtf16le(std::string_view s) {
    std::string out;
    out.reserve(s.size() * 2);
    for (std::size_t i = 0; i < s.size();) {
        char32_t cp = 0;
        std::size_t len = hivekit::DecodeUtf8(s, i, cp);
        if (len == 0) {
            // A byte that is not part of valid UTF-8 travels as a lone low surrogate
            // (U+DC80..U+DCFF), which valid text never holds, so that it comes back as itself.
            cp = 0xDC00 + static_cast<unsigned char>(s[i]);
            len = 1;
        }
        if (cp >= 0x10000) {
            cp -= 0x10000;
            AppendUnit(static_cast<char16_t>(0xD800 + (cp >> 10)), out);
            AppendUnit(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)), out);
        } else {
            AppendUnit(static_cast<char16_t>(cp), out);
        }
        i += len;
    }
    return out;
}

std::string Utf16leToUtf8(std::string_view s, bool rawBytes) {
    std::string out;
    out.reserve(s.size());
    for (std::size_t i = 0; i + 1 < s.size(); i += 2) {
        char32_t u = static_cast<unsigned char>(s[i]) | (static_cast<unsigned char>(s[i + 1]) << 8);
        if (u >= 0xD800 && u < 0xDC00 && i + 3 < s.size()) {
            const char32_t low =
                static_cast<unsigned char>(s[i + 2]) | (static_cast<unsigned char>(s[i + 3]) << 8);
            if (low >= 0xDC00 && low < 0xE000) {
                u = 0x10000 + ((u - 0xD800) << 10) + (low - 0xDC00);
                i += 2;
            }
        }
        if (u >= 0xD800 && u < 0xE000) {
            // A lone surrogate is no character: the byte it carries, or the replacement
            // character.
            if (rawBytes && u >= 0xDC80 && u <= 0xDCFF) {
                out += static_cast<char>(u - 0xDC00);
                continue;
            }
            u = 0xFFFD;
        }
        hivekit::AppendUtf8(u, out);
    }
    return out;
}

std::string TypeName(std::int32_t type) {
    for (const TypeEntry& t : kTypes) {
        if (t.type == type) {
            return t.name;
        }
    }
    return "REG_UNKNOWN(" + std::to_string(type) + ")";
}

bool TypeFromName(std::string_view name, std::int32_t& type) {
    const std::string folded = FoldName(name);
    for (const TypeEntry& t : kTypes) {
        if (folded == t.name) {
            type = t.type;
            return true;
        }
    }
    return false;
}

std::string DisplayData(std::int32_t type, const std::string& data) {
    if (type == 1 || type == 2) {
        return data.substr(0, data.find('\0'));
    }
    if (type == 4 && data.size() == 4) {
        std::uint32_t u = 0;
        for (int i = 3; i >= 0; --i) {
            u = (u << 8) | static_cast<unsigned char>(data[static_cast<std::size_t>(i)]);
        }
        char text[16];
        std::snprintf(text, sizeof text, "0x%x", u);
        return text;
    }
    if (type == 7) {
        std::string out;
        std::string trimmed = data;
        while (!trimmed.empty() && trimmed.back() == '\0') {
            trimmed.pop_back();
        }
        for (char c : trimmed) {
            out += c == '\0' ? std::string("\\0") : std::string(1, c);
        }
        return out;
    }
    std::string out;
    char hex[3];
    for (unsigned char c : data) {
        std::snprintf(hex, sizeof hex, "%02X", c);
        out += hex;
    }
    return out;
}

bool ParseAddData(std::int32_t type, const std::string& text, std::string& data, std::string& why) {
    switch (type) {
        case 1:
        case 2:
            data = text + '\0';
            return true;
        case 7: {
            // Strings separated by the two characters \0, as `reg add` takes them.
            data.clear();
            std::size_t start = 0;
            for (std::size_t pos; (pos = text.find("\\0", start)) != std::string::npos;
                 start = pos + 2) {
                data += text.substr(start, pos - start) + '\0';
            }
            if (start < text.size()) {
                data += text.substr(start) + '\0';
            }
            data += '\0';
            return true;
        }
        case 4: {
            errno = 0;
            char* end = nullptr;
            // Decimal, or hexadecimal after "0x", as `reg add` reads it: "010" is ten, not an
            // octal eight.
            const int base = text.size() > 1 && (text[1] == 'x' || text[1] == 'X') ? 16 : 10;
            const unsigned long long v = std::strtoull(text.c_str(), &end, base);
            if (text.empty() || text[0] == '-' || *end != '\0' || errno == ERANGE ||
                v > 0xFFFFFFFFull) {
                why = "Invalid value for REG_DWORD: " + text;
                return false;
            }
            data.assign(4, '\0');
            for (std::size_t i = 0; i < 4; ++i) {
                data[i] = static_cast<char>((v >> (8 * i)) & 0xFF);
            }
            return true;
        }
        default: {
            if (text.size() % 2 != 0) {
                why = "Hexadecimal data must have an even number of digits";
                return false;
            }
            data.clear();
            for (std::size_t i = 0; i < text.size(); i += 2) {
                char* end = nullptr;
                const std::string pair = text.substr(i, 2);
                const long b = std::strtol(pair.c_str(), &end, 16);
                if (*end != '\0') {
                    why = "Invalid hexadecimal data: " + text;
                    return false;
                }
                data += static_cast<char>(b);
            }
            return true;
        }
    }
}

}  // namespace hivekit::reg
