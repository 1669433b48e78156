#include "CRegistry.h"

#include <hivekit/Hivekit.h>

#include <cstdlib>
#include <limits>

#include "ComError.h"
#include "Module1.h"
#include "NameFold.h"
#include "Notice.h"

namespace hivekit {

namespace {

constexpr const char* kDefaultName = "<DEFAULT>";

ComError OpenFailure() {
    return ComError(RegErrorOpenFail, "GetKeyInfo", "Unable to open Key");
}

// A name that is not UTF-8 text, or holds a zero, could alias another name or could not be
// written back from an export: it is refused, with a notice that says so.
bool CheckName(std::string_view name, const char* notice) {
    if (IsValidName(name)) {
        return true;
    }
    Notice("CRegistry", notice);
    return false;
}

// Trims blanks (only blanks) at both ends, as the language's Trim does.
std::string TrimBlanks(const std::string& s) {
    const std::size_t first = s.find_first_not_of(' ');
    if (first == std::string::npos) {
        return {};
    }
    return s.substr(first, s.find_last_not_of(' ') - first + 1);
}

std::string DwordData(std::int32_t value) {
    const auto u = static_cast<std::uint32_t>(value);
    std::string data(4, '\0');
    for (int i = 0; i < 4; ++i) {
        data[static_cast<std::size_t>(i)] = static_cast<char>((u >> (8 * i)) & 0xFF);
    }
    return data;
}

std::int32_t DwordFromData(const std::string& data) {
    // Four bytes, little-endian; shorter data reads as if padded with zeros.
    std::uint32_t u = 0;
    for (std::size_t i = 0; i < 4 && i < data.size(); ++i) {
        u |= static_cast<std::uint32_t>(static_cast<unsigned char>(data[i])) << (8 * i);
    }
    return static_cast<std::int32_t>(u);
}

// Expands %NAME% references from the environment; unknown names stay as written.
std::string ExpandEnvironment(const std::string& text) {
    std::string out;
    std::size_t i = 0;
    while (i < text.size()) {
        const std::size_t open = text.find('%', i);
        const std::size_t close = open == std::string::npos ? open : text.find('%', open + 1);
        if (close == std::string::npos) {
            out += text.substr(i);
            break;
        }
        out += text.substr(i, open - i);
        const std::string name = text.substr(open + 1, close - open - 1);
        const char* value = name.empty() ? nullptr : std::getenv(name.c_str());
        if (value) {
            out += value;
            i = close + 1;
        } else {
            out += text.substr(open, close - open);
            i = close;
        }
    }
    return out.substr(0, out.find('\0'));
}

}  // namespace

namespace {

// One snapshot for the reads of a routine.
class ReadScope {
  public:
    explicit ReadScope(Store& store) : store_(store), began_(store_.BeginRead()) {}
    ~ReadScope() {
        if (began_) {
            store_.EndRead();
        }
    }
    ReadScope(const ReadScope&) = delete;
    ReadScope& operator=(const ReadScope&) = delete;

  private:
    Store& store_;
    bool began_;
};

}  // namespace

CRegistry::CRegistry() {
    PutRoot(kDefaultRoot);
}

void CRegistry::PutKey(const std::string& vData) {
    key_ = vData;
    try {
        GetKeyInfo();
    } catch (const ComError&) {
        // Putting the key never fails; a key that cannot be read leaves the list as it was.
    }
}

void CRegistry::PutRoot(std::int32_t vData) {
    root_ = vData;
    try {
        OpenKey(kDefaultAccess);
    } catch (const ComError&) {
    }
}

void CRegistry::PutValueCount(std::int16_t&) {
    throw ComError(RegErrorNoLetProperty, "CRegistry.Let ValueCount",
                   "The Let Property is not available");
}

bool CRegistry::OpenKey(std::int32_t /*access: the store keeps no rights per key*/) {
    if (key_.empty() || root_ == 0) {
        keyHandle_ = 0;
        return false;
    }
    CloseKey();
    ReadScope snapshot(store_);
    if (autoCreate_) {
        const long disposition = CreateKey();
        return disposition == 1 || disposition == 2;
    }
    if (!CheckName(key_, kNoticeBadKeyName)) {
        return false;
    }
    return store_.OpenKey(root_, key_, keyHandle_) == kStoreOk;
}

long CRegistry::CreateKey() {
    if (!CheckName(key_, kNoticeBadKeyName)) {
        keyHandle_ = 0;
        return 0;
    }
    std::int64_t id = 0;
    int disposition = 0;
    const long code = store_.CreateKey(root_, key_, id, disposition);
    if (code != kStoreOk) {
        Notice("", code == kStoreBadKey ? kNoticeParentKey : kNoticeUnknown);
        keyHandle_ = 0;
        return 0;
    }
    keyHandle_ = id;
    return disposition;
}

void CRegistry::GetKeyInfo() {
    ReadScope snapshot(store_);
    CloseKey();
    if (autoCreate_) {
        if (CreateKey() == 0) {
            throw OpenFailure();
        }
    } else if (!CheckName(key_, kNoticeBadKeyName) ||
               store_.OpenKey(root_, key_, keyHandle_) != kStoreOk) {
        CloseKey();
        throw OpenFailure();
    }
    // The row buffer is kept between reads so that a re-read after every write does not
    // grow it again row by row; the rows' data moves on into the list.
    std::vector<ValueRow>& rows = rows_;
    if (store_.ReadValues(keyHandle_, rows) != kStoreOk) {
        CloseKey();
        throw OpenFailure();
    }
    valueList_.Clear();
    valueList_.Reserve(rows.size());
    std::int32_t i = 0;
    for (ValueRow& row : rows) {
        std::string& name = row.name;
        Var data;
        switch (row.type) {
            case 4:
                data = DwordFromData(row.data);
                break;
            case 3:
                data = Bytes(row.data.begin(), row.data.end());
                break;
            case 7:
                data = std::move(row.data);
                break;
            default: {
                if (name.empty()) {
                    name = kDefaultName;
                }
                if (row.type == 1 || row.type == 2) {
                    // The text less its terminating zero.
                    const bool terminated = !row.data.empty() && row.data.back() == '\0';
                    if (terminated) {
                        row.data.pop_back();
                    }
                    data = std::move(row.data);
                } else {
                    // A type the list does not know is listed like binary data (name and type,
                    // no data) so that the values after it are not lost.
                    data = Bytes();
                }
                break;
            }
        }
        try {
            valueList_.Add(name, name, row.type, std::move(data));
        } catch (const ComError& e) {
            // A value really named "<DEFAULT>" next to the default value: the second is left
            // out of the list rather than ending the enumeration, and it is not counted, so
            // that every position below ValueCount reads.
            if (e.Number() != 457) {
                CloseKey();
                throw OpenFailure();
            }
            continue;
        }
        ++i;
    }
    if (i + 1 > std::numeric_limits<std::int16_t>::max()) {
        CloseKey();
        throw OpenFailure();
    }
    valueCount_ = static_cast<std::int16_t>(i + 1);
    CloseKey();
}

std::string CRegistry::GetName(std::int16_t iRequest) {
    return valueList_.Item(Var(iRequest))->ItemName;
}

namespace {

// The value asked for, or null after a notice of why there is none.
std::shared_ptr<clsRegKeyData> Lookup(const colRegistry& list, const Var& request) {
    try {
        colRegistry::Miss miss;
        auto item = list.Find(request, miss);
        if (!item) {
            Notice(miss.source, miss.description);
        }
        return item;
    } catch (const ComError& e) {  // a position that overflows
        Notice(e.Source(), e.Description());
        return nullptr;
    }
}

}  // namespace

std::string CRegistry::GetValue(const Var& vRequest) {
    const auto item = Lookup(valueList_, vRequest);
    if (!item) {
        return {};
    }
    switch (item->GetDataType()) {
        case 1:
        case 2:
        case 7:
            return TrimBlanks(item->GetStringValue());
        case 4:
            return std::to_string(item->GetLongValue());
        default:
            return {};
    }
}

bool CRegistry::WriteValue(const std::string& name, const Var& value, std::int16_t regType,
                           bool& wrote) {
    std::int32_t type = 0;
    std::string data;
    wrote = false;
    switch (regType) {
        case 0:
            if (IsNumber(value)) {
                type = RegDword;
                data = DwordData(VarToLong(value));
            } else if (const auto* s = std::get_if<std::string>(&value)) {
                type = CountChar(*s, std::string_view("\0", 1)) > 0 ? RegMultiSz
                       : CountChar(*s, "%") > 0                     ? RegExpandSz
                                                                    : RegSz;
                data = *s + '\0';
            } else if (std::holds_alternative<Bytes>(value)) {
                Notice("", kNoticeByteArray);
                return true;
            } else {
                return true;
            }
            break;
        case 1:
            type = RegSz;
            data = VarToString(value) + '\0';
            break;
        case 4:
            type = RegDword;
            data = DwordData(VarToLong(value));
            break;
        case 7: {
            const auto* bytes = std::get_if<Bytes>(&value);
            if (!bytes) {
                throw ComError(kErrTypeMismatch, kComponentSource, "Type mismatch");
            }
            if (bytes->size() > 513) {
                throw ComError(kErrSubscript, kComponentSource, "Subscript out of range");
            }
            type = RegMultiSz;
            data.assign(bytes->begin(), bytes->end());
            break;
        }
        default:
            return true;
    }
    wrote = true;
    return store_.SetValue(keyHandle_, name, type, data) == kStoreOk;
}

bool CRegistry::SetValue(Var& sKeyName, Var& sValue, std::int16_t regType) {
    if (VarLength(sValue) == 0) {
        sValue = std::string(" ");
    }
    const std::string name = std::holds_alternative<std::int16_t>(sKeyName)
                                 ? GetName(std::get<std::int16_t>(sKeyName))
                                 : VarToString(sKeyName);
    bool result = false;
    if (!CheckName(name, kNoticeBadValueName)) {
        // Nothing is written under such a name: that is a failed write, reported as one.
        Notice("", kNoticeWriteFailed);
    } else if (OpenKey(kWriteAccess)) {
        result = true;
        bool wrote = false;
        if (!WriteValue(name, sValue, regType, wrote)) {
            result = false;
            Notice("", kNoticeWriteFailed);
        }
        CloseKey();
    }
    GetKeyInfo();
    return result;
}

bool CRegistry::DeleteValue(std::string& sValue) {
    if (!CheckName(sValue, kNoticeBadValueName)) {
        return false;
    }
    try {
        OpenKey(kDefaultAccess);
        const long code = store_.DeleteValue(keyHandle_, sValue);
        CloseKey();
        GetKeyInfo();
        return code == kStoreOk;
    } catch (const ComError&) {
        return false;
    }
}

long CRegistry::DeleteKeyTree(const std::string& subKey) {
    if (!CheckName(key_ + "\\" + subKey, kNoticeBadKeyName)) {
        return -1;
    }
    // An object whose Key names no key stands for the root itself: nothing below a root is
    // deleted through it, as nothing would be through an empty sub-key name.
    if (SplitKeyPath(key_).empty()) {
        return -1;
    }
    const long code = store_.DeleteKeyTree(root_, key_, subKey);
    return (code == kStoreNotFound || code == kStoreBadPath || code == kStoreInvalidHandle) ? -1
                                                                                            : code;
}

bool CRegistry::DeleteKey(const std::string& KeyName) {
    try {
        return DeleteKeyTree(KeyName) == kStoreOk;
    } catch (const ComError&) {
        return false;
    }
}

std::int16_t CRegistry::Create(const std::string& KeyName, const Var* sKeyName,
                               const std::string* sValue) {
    std::int16_t result = 0;
    try {
        if (KeyName != key_) {
            key_ = key_ + "\\" + KeyName;
        }
        if (CreateKey() != 0) {
            if (sKeyName && sValue) {
                Var name = *sKeyName;
                Var value = *sValue;
                if (!SetValue(name, value, 0)) {
                    Notice("", kNoticeCouldNotSet);
                }
            }
            result = -1;
        }
    } catch (const ComError&) {
        // The result stays what it was when the error struck.
    }
    CloseKey();
    return result;
}

std::vector<std::string> CRegistry::GetStringArray(const Var& request) {
    const auto item = Lookup(valueList_, request);
    if (!item) {
        return {};
    }
    if (item->GetDataType() != 7) {
        throw ComError(RegNotMultistring, "CRegistry",
                       "The value you tried to retrive was nit a MultiSrting type");
    }
    std::vector<std::string> strings(
        static_cast<std::size_t>(std::max<std::int16_t>(item->GetMultiStringCount(), 0)));
    item->GetDataMultiStr(strings);
    return strings;
}

std::int32_t CRegistry::GetDword(const Var& request) {
    const auto item = Lookup(valueList_, request);
    return item && item->GetDataType() == 4 ? item->GetLongValue() : 0;
}

Var CRegistry::GetString(const Var& request) {
    const auto item = Lookup(valueList_, request);
    if (!item) {
        return {};
    }
    const std::int16_t type = item->GetDataType();
    if (type == 1 || type == 2 || type == 7) {
        return item->GetStringValue();
    }
    return {};
}

std::string CRegistry::GetExpandedString(const Var& request) {
    const auto item = Lookup(valueList_, request);
    return item ? ExpandEnvironment(item->GetDataStr()) : std::string();
}

std::int16_t CRegistry::GetValueType(const Var& request) {
    const auto item = Lookup(valueList_, request);
    return item ? item->GetDataType() : 0;
}

}  // namespace hivekit
