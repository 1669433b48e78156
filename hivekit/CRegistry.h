#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "Store.h"
#include "Variant.h"
#include "colRegistry.h"

namespace hivekit {

// One registry key at a time and its values: the caller chooses Root and Key, the object
// reads the key's values into ValueList and serves reads from it; writes and deletions go
// straight to the store and the list is read again. Failures that reach the caller are
// ComError exceptions; notices go to the system log.
class CRegistry {
  public:
    static constexpr std::int32_t kDefaultAccess = 0x2001F;
    static constexpr std::int32_t kWriteAccess = 0x20006;
    static constexpr std::int32_t kDefaultRoot = static_cast<std::int32_t>(0x80000002u);

    CRegistry();

    // Properties.
    void PutKey(const std::string& vData);
    const std::string& GetKey() const { return key_; }
    void PutRoot(std::int32_t vData);
    std::int32_t GetRoot() const { return root_; }
    void PutAutoCreate(bool vData) { autoCreate_ = vData; }
    bool GetAutoCreate() const { return autoCreate_; }
    void PutAccess(std::int32_t lNewValue) { access_ = lNewValue; }
    std::int32_t GetAccess() const { return access_; }
    std::int16_t GetValueCount() const { return valueCount_; }
    [[noreturn]] void PutValueCount(std::int16_t& vl);
    void PutDefault(const std::string&) {}
    std::string GetDefault() const { return {}; }

    // Methods.
    bool DeleteValue(std::string& sValue);
    std::string GetName(std::int16_t iRequest);
    std::string GetValue(const Var& vRequest);
    bool DeleteKey(const std::string& KeyName);
    std::int16_t Create(const std::string& KeyName, const Var* sKeyName, const std::string* sValue);
    bool SetValue(Var& sKeyName, Var& sValue, std::int16_t regType);

    // Component-internal readers and operations.
    std::vector<std::string> GetStringArray(const Var& request);
    std::int32_t GetDword(const Var& request);
    Var GetString(const Var& request);
    std::string GetExpandedString(const Var& request);
    std::int16_t GetValueType(const Var& request);
    bool OpenKey(std::int32_t access);
    void CloseKey() { keyHandle_ = 0; }
    long CreateKey();
    long DeleteKeyTree(const std::string& subKey);
    void GetKeyInfo();

    std::int64_t KeyHandle() const { return keyHandle_; }
    const colRegistry& ValueList() const { return valueList_; }

  private:
    bool WriteValue(const std::string& name, const Var& value, std::int16_t regType, bool& wrote);

    std::int32_t root_ = kDefaultRoot;
    std::string key_;
    bool autoCreate_ = true;
    std::int32_t access_ = kDefaultAccess;
    std::int16_t valueCount_ = 0;
    std::int64_t keyHandle_ = 0;
    colRegistry valueList_;
    std::vector<ValueRow> rows_;
    Store store_;
};

// Notice texts and error details.
constexpr const char* kNoticeParentKey = "Cannot Open Parent Key";
constexpr const char* kNoticeUnknown = "Unknown error";
constexpr const char* kNoticeCouldNotSet = "Could not set value";
constexpr const char* kNoticeByteArray = "Byute Array";
constexpr const char* kNoticeWriteFailed = "Darn!!  Couldn't write new value.";
constexpr const char* kNoticeBadKeyName =
    "Refused a key name that is not UTF-8 text or holds a zero character";
constexpr const char* kNoticeBadValueName =
    "Refused a value name that is not UTF-8 text or holds a zero character";

}  // namespace hivekit
