// Reading a registry file into the store, as the registry editor reads it: version 5 (UTF-16LE
// or UTF-8) and REGEDIT4 files, all of the file or nothing.
#include <vector>

#include "RegChecks.h"
#include "RegFile.h"
#include "RegText.h"
#include "hivekit/NameFold.h"

namespace hivekit::reg {

namespace {

constexpr const char* kOldHeader = "REGEDIT4";

// A line of the file, continuations joined, and the number of its first physical line.
struct Line {
    std::string text;
    std::size_t number;
};

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

std::string Trim(const std::string& s) {
    std::size_t first = 0;
    std::size_t last = s.size();
    while (first < last && IsBlank(s[first])) {
        ++first;
    }
    while (last > first && IsBlank(s[last - 1])) {
        --last;
    }
    return s.substr(first, last - first);
}

// Reads a quoted string at `pos` (past its closing quote afterwards), undoing \\ and \".
bool ReadQuoted(const std::string& line, std::size_t& pos, std::string& out) {
    if (pos >= line.size() || line[pos] != '"') {
        return false;
    }
    out.clear();
    for (++pos; pos < line.size(); ++pos) {
        const char c = line[pos];
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

// Where the data of a value line begins (after "="), or npos when it is no value line.
std::size_t DataStart(const std::string& line) {
    std::size_t pos = 0;
    std::string name;
    if (!line.empty() && line[0] == '@') {
        pos = 1;
    } else if (!ReadQuoted(line, pos, name)) {
        return std::string::npos;
    }
    return pos < line.size() && line[pos] == '=' ? pos + 1 : std::string::npos;
}

// A piece of a hex list less its comment (";" to the end); true when it ends with the
// backslash that continues the list on the next line (taken off).
bool CutHexPiece(std::string& piece) {
    if (const std::size_t semi = piece.find(';'); semi != std::string::npos) {
        piece.erase(semi);
    }
    piece = Trim(piece);
    if (!piece.empty() && piece.back() == '\\') {
        piece.pop_back();
        return true;
    }
    return false;
}

// The file's text as lines: blanks at both ends dropped, hex lists continued with a
// backslash joined into one line.
std::vector<Line> SplitLines(const std::string& text) {
    std::vector<Line> lines;
    bool continuing = false;
    std::size_t number = 0;
    for (std::size_t start = 0; start <= text.size(); ++number) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos) {
            end = text.size();
        }
        std::string line = text.substr(start, end - start);
        start = end + 1;
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        line = Trim(line);
        if (continuing) {
            if (!line.empty() && line[0] == ';') {
                continue;  // a comment line inside a continued list
            }
            if (!line.empty()) {
                continuing = CutHexPiece(line);
                lines.back().text += line;
                continue;
            }
            continuing = false;  // a blank line ends the list
        }
        const std::size_t data = DataStart(line);
        if (data != std::string::npos && line.compare(data, 3, "hex") == 0) {
            std::string piece = line.substr(data);
            continuing = CutHexPiece(piece);
            line = line.substr(0, data) + piece;
        }
        lines.push_back({line, number + 1});
    }
    return lines;
}

bool HexDigits(const std::string& s) {
    return !s.empty() && s.find_first_not_of("0123456789abcdefABCDEF") == std::string::npos;
}

// A hex list "00,ff,…": two digits an item, one comma between items (blanks allowed
// around them, a comma at the end too).
bool ParseHexBytes(const std::string& text, std::string& bytes) {
    bytes.clear();
    const std::string list = Trim(text);
    std::size_t pos = 0;
    while (pos < list.size()) {
        std::size_t comma = list.find(',', pos);
        if (comma == std::string::npos) {
            comma = list.size();
        }
        const std::string item = Trim(list.substr(pos, comma - pos));
        if (item.size() != 2 || !HexDigits(item)) {
            return false;
        }
        bytes += static_cast<char>(std::stoul(item, nullptr, 16));
        pos = comma + 1;
    }
    return true;
}

// Nothing but blanks or a comment after the data.
bool RestIsEmpty(const std::string& text, std::size_t pos) {
    const std::string rest = Trim(text.substr(pos));
    return rest.empty() || rest[0] == ';';
}

// Parses the data after "=" into a type and raw data; `wide` for version 5 files, whose
// text inside hex(1), hex(2) and hex(7) is UTF-16LE.
bool ParseData(const std::string& text, bool wide, std::int32_t& type, std::string& data) {
    if (!text.empty() && text[0] == '"') {
        std::size_t pos = 0;
        std::string s;
        if (!ReadQuoted(text, pos, s) || !RestIsEmpty(text, pos)) {
            return false;
        }
        type = 1;
        data = s + '\0';
        return true;
    }
    if (text.rfind("dword:", 0) == 0) {
        const std::size_t end = text.find_first_not_of("0123456789abcdefABCDEF", 6);
        const std::string digits = text.substr(6, end == std::string::npos ? end : end - 6);
        if (!HexDigits(digits) || digits.size() > 8 ||
            (end != std::string::npos && !RestIsEmpty(text, end))) {
            return false;
        }
        const unsigned long v = std::stoul(digits, nullptr, 16);
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
    } else if (text.rfind("hex(", 0) == 0) {
        const std::size_t close = text.find("):", 4);
        const std::string digits = close == std::string::npos ? "" : text.substr(4, close - 4);
        if (!HexDigits(digits) || digits.size() > 8) {
            return false;
        }
        type = static_cast<std::int32_t>(std::stoul(digits, nullptr, 16));
        hex = text.substr(close + 2);
    } else {
        return false;
    }
    if (!ParseHexBytes(hex, data)) {
        return false;
    }
    if (wide && (type == 1 || type == 2 || type == 7)) {
        data = Utf16leToUtf8(data, true);
    }
    return true;
}

// The file's bytes as UTF-8 text: UTF-16LE with its byte-order mark, or UTF-8 with or
// without one.
bool DecodeFile(const std::string& bytes, std::string& text, std::string& why) {
    if (bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFF &&
        static_cast<unsigned char>(bytes[1]) == 0xFE) {
        text = Utf16leToUtf8(std::string_view(bytes).substr(2));
        return true;
    }
    text = bytes.rfind("\xEF\xBB\xBF", 0) == 0 ? bytes.substr(3) : bytes;
    if (!IsUtf8(text)) {
        why = "The file is neither UTF-16LE (with its byte-order mark) nor UTF-8 text.";
        return false;
    }
    return true;
}

// The header line, with blanks or a comment after it: version 5 or REGEDIT4.
bool ReadHeader(const std::string& line, bool& wide) {
    for (const char* header : {kRegFileHeader, kOldHeader}) {
        if (line.rfind(header, 0) == 0 && RestIsEmpty(line, std::string(header).size())) {
            wide = header == kRegFileHeader;
            return true;
        }
    }
    return false;
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

namespace {

// What the reader knows between lines: the open key, and whether the last key line deleted.
struct ImportState {
    bool wide = false;
    std::int64_t keyId = 0;
    bool underDeletedKey = false;
};

bool ImportKeyLine(Store& store, const std::string& line, ImportState& state, std::string& why) {
    if (line.back() != ']') {
        why = "Bad key line (it does not end with \"]\")";
        return false;
    }
    const bool remove = line.size() > 1 && line[1] == '-';
    const std::string name = line.substr(remove ? 2 : 1, line.size() - (remove ? 3 : 2));
    std::int32_t root = 0;
    std::string path;
    if (!ParseKeyName(name, root, path)) {
        why = "Unknown root in " + name;
        return false;
    }
    if (!CheckKeyPath(path, true, why)) {
        return false;
    }
    state.keyId = 0;
    state.underDeletedKey = remove;
    if (remove) {
        if (SplitKeyPath(path).empty()) {
            why = "A root key cannot be deleted: " + name;
            return false;
        }
        // A key that is not there is already as the file wants it.
        const long code = store.DeleteKeyTree(root, "", path);
        if (code != kStoreOk && code != kStoreNotFound && code != kStoreBadPath) {
            why = "Cannot delete " + name + ": " + StoreErrorText(store, code);
            return false;
        }
        return true;
    }
    int disposition = 0;
    if (long code = store.CreateKey(root, path, state.keyId, disposition); code != kStoreOk) {
        why = "Cannot create " + name + ": " + StoreErrorText(store, code);
        return false;
    }
    return true;
}

bool ImportValueLine(Store& store, const std::string& line, ImportState& state, std::string& why) {
    if (state.underDeletedKey) {
        return true;  // values under a deleted key are passed over
    }
    const std::size_t data = DataStart(line);
    if (data == std::string::npos) {
        why = "Bad value line";
        return false;
    }
    if (state.keyId == 0) {
        why = "A value line before any key line";
        return false;
    }
    std::string valueName;
    std::size_t pos = 0;
    if (line[0] != '@') {
        ReadQuoted(line, pos, valueName);
    }
    if (!CheckValueName(valueName, true, why)) {
        return false;
    }
    const std::string dataText = line.substr(data);
    if (Trim(dataText) == "-") {
        // A value that is not there is already as the file wants it.
        if (long code = store.DeleteValue(state.keyId, valueName);
            code != kStoreOk && code != kStoreNotFound) {
            why = "Cannot delete " + valueName + ": " + StoreErrorText(store, code);
            return false;
        }
        return true;
    }
    std::int32_t type = 0;
    std::string bytes;
    if (!ParseData(dataText, state.wide, type, bytes)) {
        why = "Bad data";
        return false;
    }
    if (long code = store.SetValue(state.keyId, valueName, type, bytes); code != kStoreOk) {
        why = "Cannot write " + valueName + ": " + StoreErrorText(store, code);
        return false;
    }
    return true;
}

bool ImportLines(Store& store, const std::string& fileBytes, std::string& why) {
    std::string text;
    if (!DecodeFile(fileBytes, text, why)) {
        return false;
    }
    const std::vector<Line> lines = SplitLines(text);
    std::size_t n = 0;
    while (n < lines.size() && lines[n].text.empty()) {
        ++n;
    }
    ImportState state;
    if (n == lines.size() || !ReadHeader(lines[n].text, state.wide)) {
        why = "The file is not a registry file (it does not begin with \"" +
              std::string(kRegFileHeader) + "\" or \"" + kOldHeader + "\").";
        return false;
    }
    for (++n; n < lines.size(); ++n) {
        const std::string& line = lines[n].text;
        bool ok = true;
        if (line.empty() || line[0] == ';') {
            continue;
        }
        if (line[0] == '[') {
            ok = ImportKeyLine(store, line, state, why);
        } else if (line[0] == '"' || line[0] == '@') {
            ok = ImportValueLine(store, line, state, why);
        } else {
            why = "Bad line";
            ok = false;
        }
        if (!ok) {
            const bool stop = !why.empty() && why.back() == '.';
            if (stop) {
                why.pop_back();
            }
            why += " (line " + std::to_string(lines[n].number) + ")" + (stop ? "." : "");
            return false;
        }
    }
    return true;
}

}  // namespace

bool ImportFile(Store& store, const std::string& fileBytes, std::string& why) {
    // One transaction: a file that fails half-way changes nothing.
    why.clear();
    const long code = store.Batch(
        [&]() -> long { return ImportLines(store, fileBytes, why) ? kStoreOk : kStoreIoFailed; });
    if (code != kStoreOk && why.empty()) {
        why = StoreErrorText(store, code);
    }
    return code == kStoreOk;
}

}  // namespace hivekit::reg
