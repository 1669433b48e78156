// The store's name folding: strict UTF-8 decoding, folding that keeps valid names valid and
// is stable, names that fold alike landing on one value, and a value of any valid name coming
// back exactly through an export and an import. The input is a key path and a value name,
// separated by the byte 01.
#include <cstddef>
#include <cstdint>
#include <string>

#include "FuzzStore.h"
#include "RegChecks.h"
#include "hivekit/NameFold.h"

namespace {

using namespace hivekit;

void CheckDecoding(std::string_view s) {
    for (std::size_t i = 0; i < s.size(); ++i) {
        char32_t cp = 0;
        const std::size_t len = DecodeUtf8(s, i, cp);
        if (len == 0) {
            continue;
        }
        // Only the shortest form decodes, and only to a character.
        std::string again;
        AppendUtf8(cp, again);
        if (again != s.substr(i, len) || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
            fuzz::Fail("a form that is not UTF-8 decoded");
        }
    }
}

void CheckFolding(const std::string& name) {
    const std::string folded = FoldName(name);
    if (IsValidName(name) && (!IsValidName(folded) || FoldName(folded) != folded ||
                              CharacterCount(folded) != CharacterCount(name))) {
        fuzz::Fail("folding broke a valid name");
    }
    if (!IsValidName(name) && IsValidName(folded)) {
        fuzz::Fail("a name that is not valid folded onto a valid one");
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static fuzz::ScratchStores stores;
    const std::string input(reinterpret_cast<const char*>(data), size);
    const std::size_t cut = input.find('\x01');
    const std::string keyPath = cut == std::string::npos ? "K" : input.substr(0, cut);
    const std::string valueName = cut == std::string::npos ? input : input.substr(cut + 1);
    CheckDecoding(input);
    CheckFolding(keyPath);
    CheckFolding(valueName);

    std::string why;
    const bool keyOk = reg::CheckKeyPath(keyPath, true, why);
    const bool valueOk = reg::CheckValueName(valueName, true, why);
    if ((!IsValidName(keyPath) && keyOk) || (!IsValidName(valueName) && valueOk)) {
        fuzz::Fail("the tool's checks let a name through that is not valid");
    }
    if (!keyOk || !valueOk || SplitKeyPath(keyPath).empty()) {
        return 0;
    }
    stores.Reset();
    Store store;
    const std::int32_t root = static_cast<std::int32_t>(0x80000001u);
    std::int64_t id = 0;
    int disposition = 0;
    if (store.CreateKey(root, keyPath, id, disposition) != kStoreOk ||
        store.SetValue(id, valueName, 1, valueName + '\0') != kStoreOk) {
        fuzz::Fail("the store refused a valid name");
    }
    // The folded names find the same key and write the same value, whose name keeps its case.
    std::int64_t same = 0;
    if (store.OpenKey(root, FoldName(keyPath), same) != kStoreOk || same != id ||
        store.SetValue(id, FoldName(valueName), 4, std::string(4, '\x7f')) != kStoreOk) {
        fuzz::Fail("a folded name missed its key or value");
    }
    std::vector<ValueRow> rows;
    if (store.ReadValues(id, rows) != kStoreOk || rows.size() != 1 || rows[0].name != valueName) {
        fuzz::Fail("names that fold alike made two values, or lost the name's case");
    }
    fuzz::CheckRoundTrip(stores);
    return 0;
}
