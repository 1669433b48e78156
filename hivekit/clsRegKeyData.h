#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "Variant.h"

namespace hivekit {

// One registry value of the current key: its name, registry type and data.
class clsRegKeyData {
  public:
    std::string ItemKey;   // the name it is filed under
    std::string ItemName;  // the value's name

    std::int16_t GetDataType() const { return dataType_; }
    void SetDataType(std::int16_t iNewValue) { dataType_ = iNewValue; }
    const std::string& GetStringValue() const { return stringValue_; }
    void SetStringValue(std::string sNewValue) { stringValue_ = std::move(sNewValue); }
    std::int32_t GetLongValue() const { return longValue_; }
    void SetLongValue(std::int32_t iNewValue) { longValue_ = iNewValue; }
    std::uint8_t GetByteValue() const { return byteValue_; }
    void SetByteValue(std::uint8_t bNewValue) { byteValue_ = bNewValue; }

    // The data of text types (1, 2, 7); empty for the others.
    std::string GetDataStr() const;
    // The number of a DWORD (type 4); 0 for the others.
    std::int32_t GetDataLong() const;
    std::uint8_t GetDataByte() const { return 0; }
    std::int32_t GetData() const { return 0; }
    // For a multi-string, the number of zero characters less one; 0 for the others.
    std::int16_t GetMultiStringCount() const;
    // Puts the strings of a multi-string into `sArray` from index 0, as far as it reaches.
    std::string GetDataMultiStr(std::vector<std::string>& sArray) const;
    // Copies bytes into the data buffer (indexes 0 to 1000).
    void SetData(const Bytes& dta);

    static constexpr std::size_t kBufferSize = 1001;

  private:
    std::int16_t dataType_ = 0;
    std::string stringValue_;
    std::int32_t longValue_ = 0;
    std::uint8_t byteValue_ = 0;
    // Allocated by the first SetData only: most values never use it.
    std::vector<std::uint8_t> buffer_;
};

}  // namespace hivekit
