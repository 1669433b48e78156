#include "registry/Registry.h"

#include <hivekit/Hivekit.h>

#include <utility>

#include "platform/ClientError.h"
#include "registry/ComponentLoader.h"

namespace quillon {

namespace {

using namespace hivekit;

// A string handed to the component, freed when the call is over.
class InString {
  public:
    explicit InString(const QString& text) {
        const QByteArray utf8 = text.toUtf8();
        s_ = SysAllocStringLen(utf8.constData(), static_cast<std::uint32_t>(utf8.size()));
    }
    ~InString() { SysFreeString(s_); }
    InString(const InString&) = delete;
    InString& operator=(const InString&) = delete;
    BSTR get() const { return s_; }
    BSTR* address() { return &s_; }

  private:
    BSTR s_ = nullptr;
};

// A string the component hands out, taken over and freed.
QString takeString(BSTR s) {
    QString text = QString::fromUtf8(s, static_cast<qsizetype>(SysStringLen(s)));
    SysFreeString(s);
    return text;
}

// A variant owned for the length of one call.
class OwnedVariant {
  public:
    explicit OwnedVariant(VARIANT v) : v_(v) {}
    ~OwnedVariant() { VariantClear(&v_); }
    OwnedVariant(const OwnedVariant&) = delete;
    OwnedVariant& operator=(const OwnedVariant&) = delete;
    VARIANT* get() { return &v_; }

  private:
    VARIANT v_;
};

VARIANT stringVariant(const QString& text) {
    const QByteArray utf8 = text.toUtf8();
    return MakeVariantBstr(
        SysAllocStringLen(utf8.constData(), static_cast<std::uint32_t>(utf8.size())));
}

// Turns a failed status into the client's exception, with the component's error information.
void check(_CRegistry* object, HRESULT hr) {
    if (Succeeded(hr)) {
        return;
    }
    long number = hr;
    QString source = QStringLiteral("Hivekit.CRegistry");
    QString description = QStringLiteral("The registry component reported status 0x%1")
                              .arg(static_cast<quint32>(hr), 8, 16, QLatin1Char('0'));
    void* infoPtr = nullptr;
    if (Succeeded(object->QueryInterface(IID_IErrorInfo, &infoPtr)) && infoPtr) {
        auto* info = static_cast<IErrorInfo*>(infoPtr);
        std::int32_t n = 0;
        BSTR s = nullptr;
        BSTR d = nullptr;
        if (Succeeded(info->GetNumber(&n)) && n != 0) {
            number = n;
            if (Succeeded(info->GetSource(&s))) {
                source = takeString(s);
            }
            if (Succeeded(info->GetDescription(&d))) {
                description = takeString(d);
            }
        }
        info->Release();
    }
    throw ClientError(number, source, description);
}

}  // namespace

Registry::Registry()
    : object_(static_cast<_CRegistry*>(
          ComponentLoader::createObject(CLSID_CRegistry, IID__CRegistry))) {}

Registry::~Registry() {
    if (object_) {
        object_->Release();
    }
}

Registry::Registry(Registry&& other) noexcept : object_(std::exchange(other.object_, nullptr)) {}

Registry& Registry::operator=(Registry&& other) noexcept {
    if (this != &other) {
        if (object_) {
            object_->Release();
        }
        object_ = std::exchange(other.object_, nullptr);
    }
    return *this;
}

void Registry::setKey(const QString& key) {
    InString s(key);
    check(object_, object_->put_Key(s.get()));
}

QString Registry::key() const {
    BSTR s = nullptr;
    check(object_, object_->get_Key(&s));
    return takeString(s);
}

qint16 Registry::valueCount() const {
    std::int16_t count = 0;
    check(object_, object_->get_ValueCount(&count));
    return count;
}

QString Registry::getName(qint16 position) const {
    BSTR s = nullptr;
    check(object_, object_->GetName(position, &s));
    return takeString(s);
}

QString Registry::getValue(qint16 position) const {
    const VARIANT request = MakeVariantI2(position);
    BSTR s = nullptr;
    check(object_, object_->GetValue(&request, &s));
    return takeString(s);
}

QString Registry::getValue(const QString& name) const {
    OwnedVariant request(stringVariant(name));
    BSTR s = nullptr;
    check(object_, object_->GetValue(request.get(), &s));
    return takeString(s);
}

namespace {

bool callSetValue(_CRegistry* object, VARIANT name, VARIANT value, qint16 regType) {
    OwnedVariant n(name);
    OwnedVariant v(value);
    std::int16_t type = regType;
    VARIANT_BOOL result = VARIANT_FALSE;
    check(object, object->SetValue(n.get(), v.get(), &type, &result));
    return result != VARIANT_FALSE;
}

}  // namespace

bool Registry::setValue(const QString& name, const QString& value, qint16 regType) {
    return callSetValue(object_, stringVariant(name), stringVariant(value), regType);
}
bool Registry::setValue(const QString& name, qint16 value, qint16 regType) {
    return callSetValue(object_, stringVariant(name), MakeVariantI2(value), regType);
}
bool Registry::setValue(const QString& name, qint32 value, qint16 regType) {
    return callSetValue(object_, stringVariant(name), MakeVariantI4(value), regType);
}
bool Registry::setValueAt(qint16 position, const QString& value, qint16 regType) {
    return callSetValue(object_, MakeVariantI2(position), stringVariant(value), regType);
}
bool Registry::setValueAt(qint16 position, qint16 value, qint16 regType) {
    return callSetValue(object_, MakeVariantI2(position), MakeVariantI2(value), regType);
}
bool Registry::setValueAt(qint16 position, qint32 value, qint16 regType) {
    return callSetValue(object_, MakeVariantI2(position), MakeVariantI4(value), regType);
}

bool Registry::deleteValue(const QString& name) {
    InString s(name);
    VARIANT_BOOL result = VARIANT_FALSE;
    check(object_, object_->DeleteValue(s.address(), &result));
    return result != VARIANT_FALSE;
}

bool Registry::deleteKey(const QString& keyName) {
    InString s(keyName);
    VARIANT_BOOL result = VARIANT_FALSE;
    check(object_, object_->DeleteKey(s.get(), &result));
    return result != VARIANT_FALSE;
}

qint16 Registry::create(const QString& keyName) {
    InString s(keyName);
    std::int16_t result = 0;
    check(object_, object_->Create(s.get(), nullptr, nullptr, &result));
    return result;
}

qint16 Registry::create(const QString& keyName, const QString& valueName, const QString& value) {
    InString s(keyName);
    OwnedVariant name(stringVariant(valueName));
    InString v(value);
    std::int16_t result = 0;
    check(object_, object_->Create(s.get(), name.get(), v.get(), &result));
    return result;
}

void Registry::setRoot(qint32 root) {
    check(object_, object_->put_Root(root));
}

qint32 Registry::root() const {
    std::int32_t value = 0;
    check(object_, object_->get_Root(&value));
    return value;
}

void Registry::setAutoCreate(bool autoCreate) {
    check(object_, object_->put_AutoCreate(autoCreate ? VARIANT_TRUE : VARIANT_FALSE));
}

bool Registry::autoCreate() const {
    VARIANT_BOOL value = VARIANT_FALSE;
    check(object_, object_->get_AutoCreate(&value));
    return value != VARIANT_FALSE;
}

}  // namespace quillon
