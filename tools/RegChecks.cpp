#include "RegChecks.h"

#include "hivekit/NameFold.h"

namespace hivekit::reg {

namespace {

// Shows a refused name as it can be read: bytes that are not printable ASCII as \xNN.
std::string Printable(const std::string& name) {
    constexpr std::size_t kShown = 80;
    std::string out;
    for (std::size_t i = 0; i < name.size() && i < kShown; ++i) {
        const auto c = static_cast<unsigned char>(name[i]);
        if (c >= 0x20 && c < 0x7F) {
            out += static_cast<char>(c);
        } else {
            static const char digits[] = "0123456789ABCDEF";
            out += "\\x";
            out += digits[c >> 4];
            out += digits[c & 0xF];
        }
    }
    if (name.size() > kShown) {
        out += "...";
    }
    return out;
}

// The fault of a name, or an empty text when it has none.
std::string NameFault(const std::string& name, std::size_t maxLength, bool inFile) {
    if (name.find('\0') != std::string::npos) {
        return "holds a zero character";
    }
    if (!IsUtf8(name)) {
        return "is not UTF-8 text";
    }
    if (CharacterCount(name) > maxLength) {
        return "is longer than " + std::to_string(maxLength) + " characters";
    }
    if (inFile && name.find_first_of("\r\n") != std::string::npos) {
        return "holds a line break, which a registry file cannot carry";
    }
    return {};
}

}  // namespace

bool CheckKeyPath(const std::string& path, bool inFile, std::string& why) {
    const std::vector<std::string> parts = SplitKeyPath(path);
    if (parts.size() > kMaxKeyDepth) {
        why = "The key path is " + std::to_string(parts.size()) +
              " levels deep; the registry "
              "allows " +
              std::to_string(kMaxKeyDepth) + ".";
        return false;
    }
    for (const std::string& part : parts) {
        if (const std::string fault = NameFault(part, Store::kMaxKeyNameLength, inFile);
            !fault.empty()) {
            why = "The key name \"" + Printable(part) + "\" " + fault + ".";
            return false;
        }
    }
    return true;
}

bool CheckValueName(const std::string& name, bool inFile, std::string& why) {
    if (const std::string fault = NameFault(name, Store::kMaxValueNameLength, inFile);
        !fault.empty()) {
        why = "The value name \"" + Printable(name) + "\" " + fault + ".";
        return false;
    }
    return true;
}

std::string StoreErrorText(const Store& store, long code) {
    switch (code) {
        case kStoreNotFound:
        case kStoreBadPath:
            return "The system was unable to find the specified registry key or value.";
        case kStoreInvalidParameter:
            return "The store refused the name (too long, or not valid).";
        case kStoreBusy:
            return "The store " + Store::DefaultPath() +
                   " is busy: another program held it too long.";
        case kStoreAccessDenied:
            return "The store " + Store::DefaultPath() + " cannot be written (" +
                   store.LastError() + ").";
        case kStoreKeyDeleted:
            // A key deleted meanwhile, or a rule of the database that refused the change.
            return "The store refused the change (" + store.LastError() + ").";
        case kStoreBadKey:
        case kStoreCannotOpen:
            return "The store " + Store::DefaultPath() + " cannot be read (" + store.LastError() +
                   ").";
        default: {
            const std::string detail = store.LastError();
            return "The store " + Store::DefaultPath() + " cannot be read or written (" +
                   (detail.empty() ? "code " + std::to_string(code) : detail) + ").";
        }
    }
}

}  // namespace hivekit::reg
