#include "colRegistry.h"

#include <algorithm>

#include "ComError.h"
#include "NameFold.h"

namespace hivekit {

namespace {

// The errors a collection raises, before the item lookup translates them.
constexpr std::int32_t kErrKeyInUse = 457;
constexpr std::int32_t kBytesBuffer = 513;

}  // namespace

std::shared_ptr<clsRegKeyData> colRegistry::Add(const std::string& Key, const std::string& Name,
                                                std::int32_t Typ, Var Data) {
    auto item = std::make_shared<clsRegKeyData>();
    item->ItemKey = Key;
    item->ItemName = Name;
    item->SetDataType(static_cast<std::int16_t>(Typ));
    switch (Typ) {
        case 1:
        case 2:
        case 7:
            if (auto* text = std::get_if<std::string>(&Data)) {
                item->SetStringValue(std::move(*text));
            } else {
                item->SetStringValue(VarToString(Data));
            }
            break;
        case 4:
            item->SetLongValue(VarToLong(Data));
            break;
        case 3:
            break;
        default: {
            const auto* bytes = std::get_if<Bytes>(&Data);
            if (!bytes) {
                throw ComError(kErrTypeMismatch, kComponentSource, "Type mismatch");
            }
            if (bytes->size() > kBytesBuffer) {
                throw ComError(kErrSubscript, kComponentSource, "Subscript out of range");
            }
            // Elements 0 to the upper bound less one go to the buffer.
            Bytes buffer(kBytesBuffer, 0);
            std::copy(bytes->begin(),
                      bytes->begin() +
                          static_cast<std::ptrdiff_t>(bytes->empty() ? 0 : bytes->size() - 1),
                      buffer.begin());
            item->SetData(buffer);
            break;
        }
    }
    if (!Key.empty()) {
        if (!byKey_.try_emplace(FoldName(Key), item).second) {
            throw ComError(kErrKeyInUse, kComponentSource,
                           "This key is already associated with an element of this collection");
        }
        items_.push_back(item);
    }
    return item;
}

std::shared_ptr<clsRegKeyData> colRegistry::Find(const Var& index, Miss& miss) const {
    if (const auto* s = std::get_if<std::string>(&index)) {
        if (auto it = byKey_.find(FoldName(*s)); it != byKey_.end()) {
            return it->second;
        }
        miss = {kCollectionError, kCollectionSource, "Name not Found in Current Key"};
        return nullptr;
    }
    if (IsNumber(index) || std::holds_alternative<std::uint8_t>(index) ||
        std::holds_alternative<bool>(index)) {
        const std::int32_t position = VarToLong(index);
        if (position >= 1 && position <= Count()) {
            return items_[static_cast<std::size_t>(position - 1)];
        }
        miss = {kCollectionError, kCollectionSource, "Invalid Index"};
        return nullptr;
    }
    miss = {kErrInvalidCall, kComponentSource, "Invalid procedure call or argument"};
    return nullptr;
}

std::shared_ptr<clsRegKeyData> colRegistry::Item(const Var& index) const {
    Miss miss;
    auto item = Find(index, miss);
    if (!item) {
        throw ComError(miss.number, miss.source, miss.description);
    }
    return item;
}

void colRegistry::Remove(const Var& index) {
    const auto item = Item(index);
    byKey_.erase(FoldName(item->ItemKey));
    items_.erase(std::find(items_.begin(), items_.end(), item));
}

void colRegistry::Reserve(std::size_t count) {
    items_.reserve(count);
    byKey_.reserve(count);
}

void colRegistry::Clear() {
    items_.clear();
    byKey_.clear();
}

}  // namespace hivekit
