// Writing a key tree as a registry file ("Windows Registry Editor Version 5.00").
#include <cstdio>
#include <vector>

#include "RegChecks.h"
#include "RegFile.h"
#include "RegText.h"
#include "hivekit/NameFold.h"

namespace hivekit::reg {

namespace {

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

// A plain string line can carry UTF-8 text with one terminator and no line breaks or other
// zeros. Text that is not UTF-8 goes as hex(1) instead: decoded, a stray byte could read as a
// quote or a line break and end the line early.
bool PlainText(std::int32_t type, const std::string& data) {
    if (type != 1 || data.empty() || data.back() != '\0') {
        return false;
    }
    const std::string_view text(data.data(), data.size() - 1);
    return IsUtf8(text) && text.find_first_of(std::string_view("\r\n\0", 3)) == std::string::npos;
}

void AppendHexList(const std::string& bytes, std::string& line) {
    std::size_t width = line.size();
    char hex[4];
    for (std::size_t i = 0; i < bytes.size(); ++i) {
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
    // Text kinds go as UTF-16LE, the registry's own; bytes that are not UTF-8 keep their
    // value through the conversion.
    const bool text = row.type == 1 || row.type == 2 || row.type == 7;
    AppendHexList(text ? Utf8ToUtf16le(row.data) : row.data, line);
    return line;
}

// One key still to be written: its id, full name and depth below the exported key.
struct PendingKey {
    std::int64_t id;
    std::string fullName;
    std::size_t depth;
};

bool WriteKey(Store& store, const PendingKey& key, std::vector<PendingKey>& todo, std::string& out,
              std::string& why) {
    std::vector<ValueRow> values;
    std::vector<std::string> subKeys;
    if (long code = store.ReadValues(key.id, values);
        code != kStoreOk || (code = store.ReadSubKeys(key.id, subKeys)) != kStoreOk) {
        why = "Cannot read " + key.fullName + ": " + StoreErrorText(store, code);
        return false;
    }
    out += "[" + key.fullName + "]\r\n";
    for (const ValueRow& row : values) {
        if (!CheckValueName(row.name, true, why)) {
            why = "Cannot export " + key.fullName + ": " + why;
            return false;
        }
        out += ValueLine(row) + "\r\n";
    }
    out += "\r\n";
    // Sub-keys in reverse, so that the first one comes off the stack first.
    for (auto it = subKeys.rbegin(); it != subKeys.rend(); ++it) {
        const std::string subName = key.fullName + "\\" + *it;
        std::string fault;
        if (!CheckKeyPath(*it, true, fault)) {
            why = "Cannot export " + subName + ": " + fault;
            return false;
        }
        if (key.depth + 1 > kMaxKeyDepth) {
            why = "Cannot export " + key.fullName + ": it has keys more than " +
                  std::to_string(kMaxKeyDepth) + " levels deep, which the registry cannot hold.";
            return false;
        }
        std::int64_t subId = 0;
        if (long code = store.OpenSubKey(key.id, *it, subId); code != kStoreOk) {
            why = "Cannot open " + subName + ": " + StoreErrorText(store, code);
            return false;
        }
        todo.push_back({subId, subName, key.depth + 1});
    }
    return true;
}

// Ends a read snapshot on every way out.
class ReadSnapshot {
  public:
    explicit ReadSnapshot(Store& store) : store_(store), began_(store.BeginRead()) {}
    ~ReadSnapshot() {
        if (began_) {
            store_.EndRead();
        }
    }
    ReadSnapshot(const ReadSnapshot&) = delete;
    ReadSnapshot& operator=(const ReadSnapshot&) = delete;

  private:
    Store& store_;
    bool began_;
};

}  // namespace

bool ExportKey(Store& store, std::int32_t root, const std::string& path, std::string& fileBytes,
               std::string& why) {
    if (!CheckKeyPath(path, true, why)) {
        return false;
    }
    ReadSnapshot snapshot(store);
    std::int64_t id = 0;
    if (long code = store.OpenKey(root, path, id); code != kStoreOk) {
        why = StoreErrorText(store, code);
        return false;
    }
    std::string fullName;
    Store::RootName(root, fullName);
    for (const std::string& part : SplitKeyPath(path)) {
        fullName += "\\" + part;
    }
    std::string text = std::string(kRegFileHeader) + "\r\n\r\n";
    // Depth first, without recursion: a deep tree must not run the call stack out.
    std::vector<PendingKey> todo{{id, fullName, SplitKeyPath(path).size()}};
    while (!todo.empty()) {
        const PendingKey key = std::move(todo.back());
        todo.pop_back();
        if (!WriteKey(store, key, todo, text, why)) {
            return false;
        }
    }
    fileBytes = "\xFF\xFE" + Utf8ToUtf16le(text);
    return true;
}

}  // namespace hivekit::reg
