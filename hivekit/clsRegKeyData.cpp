#include "clsRegKeyData.h"

#include <algorithm>

#include "ComError.h"
#include "Module1.h"

namespace hivekit {

std::string clsRegKeyData::GetDataStr() const {
    return (dataType_ == 7 || dataType_ == 2 || dataType_ == 1) ? stringValue_ : std::string();
}

std::int32_t clsRegKeyData::GetDataLong() const {
    return dataType_ == 4 ? longValue_ : 0;
}

std::int16_t clsRegKeyData::GetMultiStringCount() const {
    if (dataType_ != 7) {
        return 0;
    }
    return static_cast<std::int16_t>(CountChar(GetDataStr(), std::string_view("\0", 1)) - 1);
}

std::string clsRegKeyData::GetDataMultiStr(std::vector<std::string>& sArray) const {
    if (dataType_ != 7) {
        return {};
    }
    std::size_t next = 0;
    std::string collected;
    for (char c : GetDataStr()) {
        if (c != '\0') {
            collected += c;
            continue;
        }
        if (collected.empty()) {
            break;
        }
        // An array sized by the caller: strings beyond its end are not stored.
        if (next < sArray.size()) {
            sArray[next] = collected;
        }
        ++next;
        collected.clear();
    }
    return {};
}

void clsRegKeyData::SetData(const Bytes& dta) {
    if (dta.size() > kBufferSize) {
        throw ComError(kErrSubscript, kComponentSource, "Subscript out of range");
    }
    buffer_.resize(kBufferSize);
    std::copy(dta.begin(), dta.end(), buffer_.begin());
}

}  // namespace hivekit
