#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "Variant.h"
#include "clsRegKeyData.h"

namespace hivekit {

// The values of the current key in enumeration order, found by position (from 1) or by name
// (without regard to case). Names are unique within the list.
class colRegistry {
  public:
    // Builds an item and files it under `Key` (an empty key: returned, not filed). A key
    // already filed fails the call, as does non-array data for a type that wants bytes.
    std::shared_ptr<clsRegKeyData> Add(const std::string& Key, const std::string& Name,
                                       std::int32_t Typ, Var Data);
    // Room for `count` items without growing.
    void Reserve(std::size_t count);
    // Fails with 1200 / "Registry Collection" / "Invalid Index" or "Name not Found in Current Key".
    std::shared_ptr<clsRegKeyData> Item(const Var& index) const;
    // The error Item fails with where Find finds nothing.
    struct Miss {
        std::int32_t number = 0;
        const char* source = "";
        const char* description = "";
    };
    // Item without raising: null, and `miss` filled, where Item fails. The value reads use it,
    // where a missing name is ordinary and unwinding an exception costs more than the read.
    std::shared_ptr<clsRegKeyData> Find(const Var& index, Miss& miss) const;
    std::int32_t Count() const { return static_cast<std::int32_t>(items_.size()); }
    void Remove(const Var& index);
    void Clear();
    // The items in order, for a for-each loop.
    const std::vector<std::shared_ptr<clsRegKeyData>>& NewEnum() const { return items_; }

    static constexpr std::int32_t kCollectionError = 1200;
    static constexpr const char* kCollectionSource = "Registry Collection";

  private:
    std::vector<std::shared_ptr<clsRegKeyData>> items_;
    std::unordered_map<std::string, std::shared_ptr<clsRegKeyData>> byKey_;
};

}  // namespace hivekit
