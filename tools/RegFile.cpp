#include "RegFile.h"

#include <cstdio>
#include <cstdlib>
#include <vector>

#include "RegText.h"

namespace hivekit::reg {

namespace {

constexpr const char* kHeader = "Windows Registry Editor Version 5.00";
constexpr const char* kOldHeader = "REGEDIT4";

std::string Quote(const std::string& s) {
    std::string out = "\"";
    for (char c : s) {
        if (c == '\\' || c == '"') {
            out += '\\';
        }
        out += c;
    }
    return out + "\"";
}

// A plain string line can carry text with one terminator and no line breaks or zeros.
bool PlainText(std::int32_t type, const std::string& data) {
    if (type != 1 || data.empty() || data.back() != '\0') {
        return false;
    }
    const std::string text = data.substr(0, data.size() - 1);
    return text.find_first_of(std::string("\r\n\0", 3)) == std::string::npos;
}

std::string ValueLine(const ValueRow& row) {
    std::string line = (row.name.empty() ? std::string("@") : Quote(row.name)) + "=";
    if (PlainText(row.type, row.data)) {
        return line + Quote(row.data.substr(0, row.data.size() - 1));
    }
    if (row.type == 4 && row.data.size() == 4) {
        std::uint32_t u = 0;
        for (int i = 3; i >= 0; --i) {
            u = (u << 8) | static_cast<unsigned char>(row.data[static_cast<std::size_t>(i)]);
        }
        char text[16];
        std::snprintf(text, sizeof text, "dword:%08x", u);
        return line + text;
    }
    char prefix[16];
    if (row.type == 3) {
        std::snprintf(prefix, sizeof prefix, "hex:");
    } else {
        std::snprintf(prefix, sizeof prefix, "hex(%x):", static_cast<unsigned>(row.type));
    }
    line += prefix;
    const bool text = row.type == 1 || row.type == 2 || row.type == 7;
    const std::string bytes = text ? Utf8ToUtf16le(row.data) : row.data;
    std::size_t width = line.size();
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        char hex[4];
        std::snprintf(hex, sizeof hex, "%02x", static_cast<unsigned char>(bytes[i]));
        line += hex;
        width += 2;
        if (i + 1 < bytes.size()) {
            line += ',';
            ++width;
            if (width > 76) {
                line += "\\\r\n  ";
                width = 2;
            }
        }
    }
    return line;
}

// A line break in a key or value name would split its line: the file could not be read back.
bool HasLineBreak(const std::string& name) {
    return name.find_first_of("\r\n") != std::string::npos;
}

bool ExportTree(Store& store, std::int64_t id, const std::string& fullName, std::string& out,
                std::string& why) {
    std::vector<ValueRow> values;
    std::vector<std::string> subKeys;
    if (store.ReadValues(id, values) != kStoreOk || store.ReadSubKeys(id, subKeys) != kStoreOk) {
        why = "cannot read " + fullName + ": " + store.LastError();
        return false;
    }
    if (HasLineBreak(fullName)) {
        why =
            "The key name " + fullName + " holds a line break, which a registry file cannot carry.";
        return false;
    }
    out += "[" + fullName + "]\r\n";
    for (const ValueRow& row : values) {
        if (HasLineBreak(row.name)) {
            why = "A value name in " + fullName +
                  " holds a line break, which a registry file cannot carry.";
            return false;
        }
        out += ValueLine(row) + "\r\n";
    }
    out += "\r\n";
    for (const std::string& sub : subKeys) {
        std::int64_t subId = 0;
        if (store.OpenSubKey(id, sub, subId) != kStoreOk) {
            why = "cannot open " + fullName + "\\" + sub;
            return false;
        }
        if (!ExportTree(store, subId, fullName + "\\" + sub, out, why)) {
            return false;
        }
    }
    return true;
}

// Reads a quoted string at `pos` (past its closing quote afterwards), undoing \\ and \".
bool ReadQuoted(const std::string& line, std::size_t& pos, std::string& out) {
    if (pos >= line.size() || line[pos] != '"') {
        return false;
    }
    out.clear();
    for (++pos; pos < line.size(); ++pos) {
        char c = line[pos];
        if (c == '\\' && pos + 1 < line.size()) {
            out += line[++pos];
        } else if (c == '"') {
            ++pos;
            return true;
        } else {
            out += c;
        }
    }
    return false;
}

bool ParseHexBytes(const std::string& text, std::string& bytes) {
    bytes.clear();
    std::size_t pos = 0;
    while (pos < text.size()) {
        while (pos < text.size() && (text[pos] == ' ' || text[pos] == '\t' || text[pos] == ',')) {
            ++pos;
        }
        if (pos >= text.size()) {
            break;
        }
        char* end = nullptr;
        const std::string pair = text.substr(pos, 2);
        const long b = std::strtol(pair.c_str(), &end, 16);
        if (end != pair.c_str() + pair.size() || pair.size() != 2) {
            return false;
        }
        bytes += static_cast<char>(b);
        pos += 2;
    }
    return true;
}

// Parses the data after "=" into a type and raw data; `wide` for version 5 files, whose
// text inside hex(1), hex(2) and hex(7) is UTF-16LE.
bool ParseData(const std::string& text, bool wide, std::int32_t& type, std::string& data) {
    std::size_t pos = 0;
    if (!text.empty() && text[0] == '"') {
        std::string s;
        if (!ReadQuoted(text, pos, s)) {
            return false;
        }
        type = 1;
        data = s + '\0';
        return true;
    }
    if (text.rfind("dword:", 0) == 0) {
        char* end = nullptr;
        const std::string digits = text.substr(6);
        const unsigned long v = std::strtoul(digits.c_str(), &end, 16);
        if (digits.empty() || digits.size() > 8 || *end != '\0') {
            return false;
        }
        type = 4;
        data.assign(4, '\0');
        for (std::size_t i = 0; i < 4; ++i) {
            data[i] = static_cast<char>((v >> (8 * i)) & 0xFF);
        }
        return true;
    }
    std::string hex;
    if (text.rfind("hex:", 0) == 0) {
        type = 3;
        hex = text.substr(4);
    } else if (text.rfind("hex(", 0) == 0 && text.find("):") != std::string::npos) {
        char* end = nullptr;
        type = static_cast<std::int32_t>(std::strtol(text.c_str() + 4, &end, 16));
        if (std::string(end).rfind("):", 0) != 0) {
            return false;
        }
        hex = std::string(end + 2);
    } else {
        return false;
    }
    if (!ParseHexBytes(hex, data)) {
        return false;
    }
    if (wide && (type == 1 || type == 2 || type == 7)) {
        data = Utf16leToUtf8(data);
    }
    return true;
}

// The file as UTF-8 lines, continuation lines joined.
std::vector<std::string> Lines(const std::string& fileBytes) {
    std::string text;
    if (fileBytes.size() >= 2 && static_cast<unsigned char>(fileBytes[0]) == 0xFF &&
        static_cast<unsigned char>(fileBytes[1]) == 0xFE) {
        text = Utf16leToUtf8(std::string_view(fileBytes).substr(2));
    } else if (fileBytes.rfind("\xEF\xBB\xBF", 0) == 0) {
        text = fileBytes.substr(3);
    } else {
        text = fileBytes;
    }
    std::vector<std::string> lines;
    std::string pending;
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos) {
            end = text.size();
        }
        std::string line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        if (!pending.empty()) {
            line.erase(0, line.find_first_not_of(" \t"));
        }
        pending += line;
        // A hex list goes on on the next line when it ends with a backslash.
        if (!pending.empty() && pending.back() == '\\' &&
            pending.find("=hex") != std::string::npos) {
            pending.pop_back();
        } else {
            lines.push_back(pending);
            pending.clear();
        }
        start = end + 1;
    }
    if (!pending.empty()) {
        lines.push_back(pending);
    }
    return lines;
}

}  // namespace

bool ParseKeyName(const std::string& name, std::int32_t& root, std::string& path) {
    const std::size_t slash = name.find('\\');
    if (!Store::RootFromName(name.substr(0, slash), root)) {
        return false;
    }
    path = slash == std::string::npos ? std::string() : name.substr(slash + 1);
    return true;
}

bool ExportKey(Store& store, std::int32_t root, const std::string& path, std::string& fileBytes,
               std::string& why) {
    std::int64_t id = 0;
    std::string rootName;
    Store::RootName(root, rootName);
    if (long code = store.OpenKey(root, path, id); code != kStoreOk) {
        why = code == kStoreNotFound
                  ? "The system was unable to find the specified registry key or value."
                  : "The store cannot be read (" + store.LastError() + ").";
        return false;
    }
    std::string fullName = rootName;
    for (const std::string& part : SplitKeyPath(path)) {
        fullName += "\\" + part;
    }
    std::string text = std::string(kHeader) + "\r\n\r\n";
    if (!ExportTree(store, id, fullName, text, why)) {
        return false;
    }
    fileBytes = "\xFF\xFE" + Utf8ToUtf16le(text);
    return true;
}

namespace {

bool ImportLines(Store& store, const std::string& fileBytes, std::string& why) {
    const std::vector<std::string> lines = Lines(fileBytes);
    std::size_t n = 0;
    while (n < lines.size() && lines[n].empty()) {
        ++n;
    }
    if (n == lines.size() || (lines[n] != kHeader && lines[n] != kOldHeader)) {
        why = "The file is not a registry file (it does not begin with \"" + std::string(kHeader) +
              "\").";
        return false;
    }
    const bool wide = lines[n] == kHeader;
    std::int64_t keyId = 0;
    for (++n; n < lines.size(); ++n) {
        const std::string& line = lines[n];
        const std::string where = " (line " + std::to_string(n + 1) + ")";
        if (line.empty() || line[0] == ';') {
            continue;
        }
        if (line[0] == '[') {
            if (line.back() != ']') {
                why = "Bad key line" + where;
                return false;
            }
            const bool remove = line.size() > 1 && line[1] == '-';
            const std::string name = line.substr(remove ? 2 : 1, line.size() - (remove ? 3 : 2));
            std::int32_t root = 0;
            std::string path;
            if (!ParseKeyName(name, root, path)) {
                why = "Unknown root in " + name + where;
                return false;
            }
            if (remove) {
                const long code = store.DeleteKeyTree(root, "", path);
                if (code != kStoreOk && code != kStoreNotFound) {
                    why = "Cannot delete " + name + ": " + store.LastError() + where;
                    return false;
                }
                keyId = 0;
                continue;
            }
            int disposition = 0;
            if (store.CreateKey(root, path, keyId, disposition) != kStoreOk) {
                why = "Cannot create " + name + ": " + store.LastError() + where;
                return false;
            }
            continue;
        }
        std::size_t pos = 0;
        std::string valueName;
        if (line[0] == '@') {
            pos = 1;
        } else if (!ReadQuoted(line, pos, valueName)) {
            why = "Bad value line" + where;
            return false;
        }
        if (pos >= line.size() || line[pos] != '=' || keyId == 0) {
            why = "Bad value line" + where;
            return false;
        }
        const std::string dataText = line.substr(pos + 1);
        if (dataText == "-") {
            // A value that is not there is already as the file wants it.
            if (long code = store.DeleteValue(keyId, valueName);
                code != kStoreOk && code != kStoreNotFound) {
                why = "Cannot delete " + valueName + ": " + store.LastError() + where;
                return false;
            }
            continue;
        }
        std::int32_t type = 0;
        std::string data;
        if (!ParseData(dataText, wide, type, data)) {
            why = "Bad data" + where;
            return false;
        }
        if (store.SetValue(keyId, valueName, type, data) != kStoreOk) {
            why = "Cannot write " + valueName + ": " + store.LastError() + where;
            return false;
        }
    }
    return true;
}

}  // namespace

bool ImportFile(Store& store, const std::string& fileBytes, std::string& why) {
    // One transaction: a file that fails half-way changes nothing.
    const long code = store.Batch(
        [&]() -> long { return ImportLines(store, fileBytes, why) ? kStoreOk : kStoreIoFailed; });
    if (code != kStoreOk && why.empty()) {
        why = store.LastError();
    }
    return code == kStoreOk;
}

}  // namespace hivekit::reg
