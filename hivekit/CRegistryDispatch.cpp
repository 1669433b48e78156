// Late binding of CRegistry: member names to dispatch identifiers, and calls by identifier.
#include <strings.h>

#include "CRegistryObject.h"
#include "ComError.h"

namespace hivekit {

namespace {

struct DispatchName {
    const char* name;
    DISPID id;
};

constexpr DispatchName kNames[] = {
    {"Access", DISPID_Access},
    {"Root", DISPID_Root},
    {"Key", DISPID_Key},
    {"AutoCreate", DISPID_AutoCreate},
    {"ValueCount", DISPID_ValueCount},
    {"Default", DISPID_Default},
    {"DeleteValue", DISPID_DeleteValue},
    {"GetName", DISPID_GetName},
    {"GetValue", DISPID_GetValue},
    {"DeleteKey", DISPID_DeleteKey},
    {"Create", DISPID_Create},
    {"SetValue", DISPID_SetValue},
};

constexpr DISPID kUnknownDispId = -1;

// The argument at `index` in calling order (Invoke's array holds them last first).
VARIANT* Arg(DISPPARAMS* p, std::uint32_t index) {
    return index < p->cArgs ? &p->rgvarg[p->cArgs - 1 - index] : nullptr;
}

bool ArgPresent(DISPPARAMS* p, std::uint32_t index) {
    const VARIANT* v = Arg(p, index);
    return v && !(v->vt == VT_ERROR && v->scode == DISP_E_PARAMNOTFOUND);
}

bool ArgLong(DISPPARAMS* p, std::uint32_t index, std::int32_t& out) {
    Var v;
    const VARIANT* arg = Arg(p, index);
    if (!arg || !FromVariant(*arg, v)) {
        return false;
    }
    try {
        out = VarToLong(v);
        return true;
    } catch (const ComError&) {
        return false;
    }
}

bool ArgString(DISPPARAMS* p, std::uint32_t index, std::string& out) {
    Var v;
    const VARIANT* arg = Arg(p, index);
    if (!arg || !FromVariant(*arg, v)) {
        return false;
    }
    try {
        out = VarToString(v);
        return true;
    } catch (const ComError&) {
        return false;
    }
}

void SetResult(VARIANT* result, VARIANT value) {
    if (result) {
        VariantClear(result);
        *result = value;
    } else {
        VariantClear(&value);
    }
}

}  // namespace

HRESULT CRegistryObject::GetTypeInfoCount(std::uint32_t* pctinfo) {
    if (!pctinfo) {
        return E_POINTER;
    }
    *pctinfo = 0;  // no type information object is offered; names are resolved by GetIDsOfNames
    return S_OK;
}

HRESULT CRegistryObject::GetTypeInfo(std::uint32_t, LCID, void** ppTInfo) {
    if (ppTInfo) {
        *ppTInfo = nullptr;
    }
    return E_NOTIMPL;
}

HRESULT CRegistryObject::GetIDsOfNames(const GUID&, const char* const* rgszNames,
                                       std::uint32_t cNames, LCID, DISPID* rgDispId) {
    if (!rgszNames || !rgDispId) {
        return E_POINTER;
    }
    HRESULT hr = S_OK;
    for (std::uint32_t i = 0; i < cNames; ++i) {
        rgDispId[i] = kUnknownDispId;
        // Only the member name is resolved; argument names are not published.
        if (i == 0 && rgszNames[0]) {
            for (const DispatchName& n : kNames) {
                if (strcasecmp(n.name, rgszNames[0]) == 0) {
                    rgDispId[0] = n.id;
                }
            }
        }
        if (rgDispId[i] == kUnknownDispId) {
            hr = DISP_E_UNKNOWNNAME;
        }
    }
    return hr;
}

HRESULT CRegistryObject::Invoke(DISPID id, const GUID&, LCID, std::uint16_t wFlags,
                                DISPPARAMS* params, VARIANT* result, EXCEPINFO* excepInfo,
                                std::uint32_t* puArgErr) {
    DISPPARAMS none{nullptr, nullptr, 0, 0};
    DISPPARAMS* p = params ? params : &none;
    const bool get = (wFlags & (DISPATCH_PROPERTYGET | DISPATCH_METHOD)) != 0;
    const bool put = (wFlags & DISPATCH_PROPERTYPUT) != 0;
    HRESULT hr = DISP_E_MEMBERNOTFOUND;
    std::int32_t n = 0;
    std::string s;
    VARIANT_BOOL b = VARIANT_FALSE;
    BSTR text = nullptr;
    const auto needArgs = [&](std::uint32_t min, std::uint32_t max) {
        return p->cArgs >= min && p->cArgs <= max;
    };
    if (puArgErr) {
        *puArgErr = 0;
    }
    // What a failed call below reports is its own error, never an earlier one's.
    ClearError();

    switch (id) {
        case DISPID_Access:
        case DISPID_Root:
            if (put) {
                if (!needArgs(1, 1))
                    return DISP_E_BADPARAMCOUNT;
                if (!ArgLong(p, 0, n))
                    return DISP_E_TYPEMISMATCH;
                hr = id == DISPID_Access ? put_Access(n) : put_Root(n);
            } else if (get) {
                hr = id == DISPID_Access ? get_Access(&n) : get_Root(&n);
                if (Succeeded(hr))
                    SetResult(result, MakeVariantI4(n));
            }
            break;
        case DISPID_Key:
        case DISPID_Default:
            if (put) {
                if (!needArgs(1, 1))
                    return DISP_E_BADPARAMCOUNT;
                if (!ArgString(p, 0, s))
                    return DISP_E_TYPEMISMATCH;
                text = ToBstr(s);
                hr = id == DISPID_Key ? put_Key(text) : put_Default(text);
                SysFreeString(text);
            } else if (get) {
                hr = id == DISPID_Key ? get_Key(&text) : get_Default(&text);
                if (Succeeded(hr))
                    SetResult(result, MakeVariantBstr(text));
            }
            break;
        case DISPID_AutoCreate:
            if (put) {
                if (!needArgs(1, 1))
                    return DISP_E_BADPARAMCOUNT;
                if (!ArgLong(p, 0, n))
                    return DISP_E_TYPEMISMATCH;
                hr = put_AutoCreate(n != 0 ? VARIANT_TRUE : VARIANT_FALSE);
            } else if (get) {
                hr = get_AutoCreate(&b);
                if (Succeeded(hr))
                    SetResult(result, MakeVariantBool(b != VARIANT_FALSE));
            }
            break;
        case DISPID_ValueCount:
            if (put) {
                if (!needArgs(1, 1))
                    return DISP_E_BADPARAMCOUNT;
                std::int16_t count = 0;
                hr = put_ValueCount(&count);
            } else if (get) {
                std::int16_t count = 0;
                hr = get_ValueCount(&count);
                if (Succeeded(hr))
                    SetResult(result, MakeVariantI2(count));
            }
            break;
        case DISPID_DeleteValue:
        case DISPID_DeleteKey:
            if (!needArgs(1, 1))
                return DISP_E_BADPARAMCOUNT;
            if (!ArgString(p, 0, s))
                return DISP_E_TYPEMISMATCH;
            text = ToBstr(s);
            hr = id == DISPID_DeleteValue ? DeleteValue(&text, &b) : DeleteKey(text, &b);
            SysFreeString(text);
            if (Succeeded(hr))
                SetResult(result, MakeVariantBool(b != VARIANT_FALSE));
            break;
        case DISPID_GetName:
            if (!needArgs(1, 1))
                return DISP_E_BADPARAMCOUNT;
            if (!ArgLong(p, 0, n) || n < -32768 || n > 32767)
                return DISP_E_TYPEMISMATCH;
            hr = GetName(static_cast<std::int16_t>(n), &text);
            if (Succeeded(hr))
                SetResult(result, MakeVariantBstr(text));
            break;
        case DISPID_GetValue:
            if (!needArgs(1, 1))
                return DISP_E_BADPARAMCOUNT;
            hr = GetValue(Arg(p, 0), &text);
            if (Succeeded(hr))
                SetResult(result, MakeVariantBstr(text));
            break;
        case DISPID_Create: {
            if (!needArgs(1, 3))
                return DISP_E_BADPARAMCOUNT;
            if (!ArgString(p, 0, s))
                return DISP_E_TYPEMISMATCH;
            std::string value;
            const bool haveValue = ArgPresent(p, 2);
            if (haveValue && !ArgString(p, 2, value))
                return DISP_E_TYPEMISMATCH;
            BSTR key = ToBstr(s);
            BSTR valueText = haveValue ? ToBstr(value) : nullptr;
            std::int16_t created = 0;
            hr = Create(key, ArgPresent(p, 1) ? Arg(p, 1) : nullptr, valueText, &created);
            SysFreeString(key);
            SysFreeString(valueText);
            if (Succeeded(hr))
                SetResult(result, MakeVariantI2(created));
            break;
        }
        case DISPID_SetValue: {
            if (!needArgs(2, 3))
                return DISP_E_BADPARAMCOUNT;
            std::int16_t type = 0;
            if (ArgPresent(p, 2)) {
                if (!ArgLong(p, 2, n) || n < -32768 || n > 32767)
                    return DISP_E_TYPEMISMATCH;
                type = static_cast<std::int16_t>(n);
            }
            hr = SetValue(Arg(p, 0), Arg(p, 1), &type, &b);
            if (Succeeded(hr))
                SetResult(result, MakeVariantBool(b != VARIANT_FALSE));
            break;
        }
        default:
            return DISP_E_MEMBERNOTFOUND;
    }

    if (Failed(hr) && errNumber_ != 0) {
        if (excepInfo) {
            *excepInfo = EXCEPINFO{};
            excepInfo->bstrSource = ToBstr(errSource_);
            excepInfo->bstrDescription = ToBstr(errDescription_);
            excepInfo->scode = hr;
        }
        return DISP_E_EXCEPTION;
    }
    return hr;
}

}  // namespace hivekit
