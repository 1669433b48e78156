#include "CRegistryObject.h"

#include <new>

#include "ComError.h"
#include "ServerState.h"

namespace hivekit {

std::string FromBstr(const char* s) {
    return s ? std::string(s, SysStringLen(s)) : std::string();
}

BSTR ToBstr(const std::string& s) {
    return SysAllocStringLen(s.data(), static_cast<std::uint32_t>(s.size()));
}

bool FromVariant(const VARIANT& v, Var& out) {
    switch (v.vt) {
        case VT_EMPTY:
        case VT_ERROR:
            out = std::monostate();
            return true;
        case VT_I2:
            out = v.iVal;
            return true;
        case VT_I4:
            out = v.lVal;
            return true;
        case VT_UI1:
            // A byte is a number but not a 16-bit integer: as a value name it is its digits.
            out = v.bVal;
            return true;
        case VT_BOOL:
            out = v.boolVal != VARIANT_FALSE;
            return true;
        case VT_BSTR:
            out = FromBstr(v.bstrVal);
            return true;
        case VT_ARRAY | VT_UI1: {
            const auto* p = reinterpret_cast<const std::uint8_t*>(v.bstrVal);
            out = Bytes(p, p + SysStringLen(v.bstrVal));
            return true;
        }
        default:
            return false;
    }
}

VARIANT ToVariant(const Var& v) {
    VARIANT out;
    VariantInit(&out);
    if (const auto* i = std::get_if<std::int16_t>(&v)) {
        out = MakeVariantI2(*i);
    } else if (const auto* l = std::get_if<std::int32_t>(&v)) {
        out = MakeVariantI4(*l);
    } else if (const auto* s = std::get_if<std::string>(&v)) {
        out = MakeVariantBstr(ToBstr(*s));
    } else if (const auto* b = std::get_if<bool>(&v)) {
        out = MakeVariantBool(*b);
    } else if (const auto* u = std::get_if<std::uint8_t>(&v)) {
        out.vt = VT_UI1;
        out.bVal = *u;
    } else if (const auto* bytes = std::get_if<Bytes>(&v)) {
        out.vt = VT_ARRAY | VT_UI1;
        out.bstrVal = SysAllocStringLen(reinterpret_cast<const char*>(bytes->data()),
                                        static_cast<std::uint32_t>(bytes->size()));
    }
    return out;
}

CRegistryObject::CRegistryObject() {
    ObjectCreated();
}

CRegistryObject::~CRegistryObject() {
    ObjectDestroyed();
}

HRESULT CRegistryObject::QueryInterface(const GUID& riid, void** ppv) {
    if (!ppv) {
        return E_POINTER;
    }
    *ppv = nullptr;
    if (riid == IID_IUnknown || riid == IID_IDispatch || riid == IID__CRegistry) {
        *ppv = static_cast<_CRegistry*>(this);
    } else if (riid == IID_IErrorInfo) {
        *ppv = static_cast<IErrorInfo*>(this);
    } else {
        return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
}

ULONG CRegistryObject::AddRef() {
    return ++refs_;
}

ULONG CRegistryObject::Release() {
    const ULONG left = --refs_;
    if (left == 0) {
        delete this;
    }
    return left;
}

void CRegistryObject::ClearError() {
    errNumber_ = 0;
    errSource_.clear();
    errDescription_.clear();
}

HRESULT CRegistryObject::Refuse(HRESULT hr) {
    ClearError();
    return hr;
}

HRESULT CRegistryObject::Call(const std::function<void()>& body) {
    ClearError();
    try {
        body();
        return S_OK;
    } catch (const ComError& e) {
        errNumber_ = e.Number();
        errSource_ = e.Source();
        errDescription_ = e.Description();
        return StatusFromErrorNumber(e.Number());
    } catch (const std::bad_alloc&) {
        errNumber_ = 7;
        errSource_ = kComponentSource;
        errDescription_ = "Out of memory";
        return E_OUTOFMEMORY;
    }
}

#define HIVEKIT_CHECK_OUT(p) \
    if (!(p)) {              \
        return E_POINTER;    \
    }
// A member refused before it runs leaves no earlier call's error information behind.
#define HIVEKIT_CHECK_ARG(p)      \
    if (!(p)) {                   \
        return Refuse(E_POINTER); \
    }

HRESULT CRegistryObject::DeleteValue(BSTR* sValue, VARIANT_BOOL* result) {
    HIVEKIT_CHECK_ARG(result);
    return Call([&] {
        std::string name = sValue ? FromBstr(*sValue) : std::string();
        *result = registry_.DeleteValue(name) ? VARIANT_TRUE : VARIANT_FALSE;
    });
}

HRESULT CRegistryObject::GetName(std::int16_t iRequest, BSTR* result) {
    HIVEKIT_CHECK_ARG(result);
    *result = nullptr;
    return Call([&] { *result = ToBstr(registry_.GetName(iRequest)); });
}

HRESULT CRegistryObject::GetValue(const VARIANT* vRequest, BSTR* result) {
    HIVEKIT_CHECK_ARG(result);
    *result = nullptr;
    Var request;
    if (vRequest && !FromVariant(*vRequest, request)) {
        return Refuse(DISP_E_TYPEMISMATCH);
    }
    return Call([&] { *result = ToBstr(registry_.GetValue(request)); });
}

HRESULT CRegistryObject::DeleteKey(BSTR KeyName, VARIANT_BOOL* result) {
    HIVEKIT_CHECK_ARG(result);
    return Call(
        [&] { *result = registry_.DeleteKey(FromBstr(KeyName)) ? VARIANT_TRUE : VARIANT_FALSE; });
}

HRESULT CRegistryObject::Create(BSTR KeyName, const VARIANT* sKeyName, BSTR sValue,
                                std::int16_t* result) {
    HIVEKIT_CHECK_ARG(result);
    Var name;
    const bool haveName = sKeyName && sKeyName->vt != VT_ERROR;
    if (haveName && !FromVariant(*sKeyName, name)) {
        return Refuse(DISP_E_TYPEMISMATCH);
    }
    const std::string value = FromBstr(sValue);
    return Call([&] {
        *result = registry_.Create(FromBstr(KeyName), haveName ? &name : nullptr,
                                   sValue ? &value : nullptr);
    });
}

HRESULT CRegistryObject::SetValue(VARIANT* sKeyName, VARIANT* sValue, std::int16_t* regType,
                                  VARIANT_BOOL* result) {
    HIVEKIT_CHECK_ARG(result);
    HIVEKIT_CHECK_ARG(sKeyName);
    HIVEKIT_CHECK_ARG(sValue);
    Var name;
    Var value;
    if (!FromVariant(*sKeyName, name) || !FromVariant(*sValue, value)) {
        return Refuse(DISP_E_TYPEMISMATCH);
    }
    const std::int16_t type = regType ? *regType : 0;
    return Call([&] {
        const bool ok = registry_.SetValue(name, value, type);
        // The data is passed by reference: an empty string comes back as the blank stored.
        const auto* text = std::get_if<std::string>(&value);
        if (text && (sValue->vt != VT_BSTR || FromBstr(sValue->bstrVal) != *text)) {
            VariantClear(sValue);
            *sValue = ToVariant(value);
        }
        *result = ok ? VARIANT_TRUE : VARIANT_FALSE;
    });
}

HRESULT CRegistryObject::put_Default(BSTR strKeyString) {
    return Call([&] { registry_.PutDefault(FromBstr(strKeyString)); });
}

HRESULT CRegistryObject::put_ValueCount(std::int16_t* vl) {
    return Call([&] {
        std::int16_t dummy = 0;
        registry_.PutValueCount(vl ? *vl : dummy);
    });
}

HRESULT CRegistryObject::get_ValueCount(std::int16_t* result) {
    HIVEKIT_CHECK_ARG(result);
    return Call([&] { *result = registry_.GetValueCount(); });
}

HRESULT CRegistryObject::get_Default(BSTR* result) {
    HIVEKIT_CHECK_ARG(result);
    return Call([&] { *result = ToBstr(registry_.GetDefault()); });
}

HRESULT CRegistryObject::put_AutoCreate(VARIANT_BOOL vData) {
    return Call([&] { registry_.PutAutoCreate(vData != VARIANT_FALSE); });
}

HRESULT CRegistryObject::get_AutoCreate(VARIANT_BOOL* result) {
    HIVEKIT_CHECK_ARG(result);
    return Call([&] { *result = registry_.GetAutoCreate() ? VARIANT_TRUE : VARIANT_FALSE; });
}

HRESULT CRegistryObject::put_Key(BSTR vData) {
    return Call([&] { registry_.PutKey(FromBstr(vData)); });
}

HRESULT CRegistryObject::get_Key(BSTR* result) {
    HIVEKIT_CHECK_ARG(result);
    return Call([&] { *result = ToBstr(registry_.GetKey()); });
}

HRESULT CRegistryObject::put_Root(std::int32_t vData) {
    return Call([&] { registry_.PutRoot(vData); });
}

HRESULT CRegistryObject::get_Root(std::int32_t* result) {
    HIVEKIT_CHECK_ARG(result);
    return Call([&] { *result = registry_.GetRoot(); });
}

HRESULT CRegistryObject::get_Access(std::int32_t* result) {
    HIVEKIT_CHECK_ARG(result);
    return Call([&] { *result = registry_.GetAccess(); });
}

HRESULT CRegistryObject::put_Access(std::int32_t lNewValue) {
    return Call([&] { registry_.PutAccess(lNewValue); });
}

HRESULT CRegistryObject::GetGUID(GUID* pGUID) {
    HIVEKIT_CHECK_OUT(pGUID);
    *pGUID = IID__CRegistry;
    return S_OK;
}

HRESULT CRegistryObject::GetSource(BSTR* pBstrSource) {
    HIVEKIT_CHECK_OUT(pBstrSource);
    *pBstrSource = ToBstr(errSource_);
    return S_OK;
}

HRESULT CRegistryObject::GetDescription(BSTR* pBstrDescription) {
    HIVEKIT_CHECK_OUT(pBstrDescription);
    *pBstrDescription = ToBstr(errDescription_);
    return S_OK;
}

HRESULT CRegistryObject::GetNumber(std::int32_t* pNumber) {
    HIVEKIT_CHECK_OUT(pNumber);
    *pNumber = errNumber_;
    return S_OK;
}

}  // namespace hivekit
