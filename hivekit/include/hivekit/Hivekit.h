#pragma once

// Hivekit's public surface: everything a program needs to create and call CRegistry objects
// through the component's class factory. The header is self-contained (it needs only libc:
// strings and variants are allocated with malloc and released with free), so that a client
// that loads libhivekit.so at run time never links the library.

#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace hivekit {

using HRESULT = std::int32_t;
using ULONG = std::uint32_t;
using DISPID = std::int32_t;
using LCID = std::uint32_t;
using VARIANT_BOOL = std::int16_t;

constexpr VARIANT_BOOL VARIANT_TRUE = -1;
constexpr VARIANT_BOOL VARIANT_FALSE = 0;

constexpr HRESULT S_OK = 0;
constexpr HRESULT S_FALSE = 1;
constexpr HRESULT E_NOTIMPL = static_cast<HRESULT>(0x80004001u);
constexpr HRESULT E_NOINTERFACE = static_cast<HRESULT>(0x80004002u);
constexpr HRESULT E_POINTER = static_cast<HRESULT>(0x80004003u);
constexpr HRESULT E_FAIL = static_cast<HRESULT>(0x80004005u);
constexpr HRESULT E_OUTOFMEMORY = static_cast<HRESULT>(0x8007000Eu);
constexpr HRESULT E_INVALIDARG = static_cast<HRESULT>(0x80070057u);
constexpr HRESULT CLASS_E_NOAGGREGATION = static_cast<HRESULT>(0x80040110u);
constexpr HRESULT CLASS_E_CLASSNOTAVAILABLE = static_cast<HRESULT>(0x80040111u);
constexpr HRESULT SELFREG_E_CLASS = static_cast<HRESULT>(0x80040201u);
constexpr HRESULT DISP_E_UNKNOWNINTERFACE = static_cast<HRESULT>(0x80020001u);
constexpr HRESULT DISP_E_MEMBERNOTFOUND = static_cast<HRESULT>(0x80020003u);
constexpr HRESULT DISP_E_PARAMNOTFOUND = static_cast<HRESULT>(0x80020004u);
constexpr HRESULT DISP_E_TYPEMISMATCH = static_cast<HRESULT>(0x80020005u);
constexpr HRESULT DISP_E_UNKNOWNNAME = static_cast<HRESULT>(0x80020006u);
constexpr HRESULT DISP_E_EXCEPTION = static_cast<HRESULT>(0x80020009u);
constexpr HRESULT DISP_E_BADPARAMCOUNT = static_cast<HRESULT>(0x8002000Eu);

constexpr bool Succeeded(HRESULT hr) {
    return hr >= 0;
}
constexpr bool Failed(HRESULT hr) {
    return hr < 0;
}

// A failed member reports its error number as the status: numbers that already are statuses
// (the RegErrors) stay as they are, small numbers such as 1200 travel as 0x800A0000 + number.
constexpr HRESULT StatusFromErrorNumber(std::int32_t number) {
    return number < 0
               ? number
               : static_cast<HRESULT>(0x800A0000u | (static_cast<std::uint32_t>(number) & 0xFFFFu));
}

struct GUID {
    std::uint32_t Data1;
    std::uint16_t Data2;
    std::uint16_t Data3;
    std::uint8_t Data4[8];
};
inline bool operator==(const GUID& a, const GUID& b) {
    return std::memcmp(&a, &b, sizeof(GUID)) == 0;
}

// The published identifiers.
constexpr GUID LIBID_Hivekit = {
    0xB7611E93, 0xA77B, 0x4F26, {0x91, 0xD4, 0x09, 0x91, 0xF6, 0xC7, 0x06, 0x98}};
constexpr GUID CLSID_CRegistry = {
    0x0F899022, 0xBD82, 0x4EAE, {0xB0, 0xBF, 0x98, 0x3F, 0xD3, 0x5F, 0x91, 0x79}};
constexpr GUID IID__CRegistry = {
    0x413B8AE8, 0x1896, 0x4610, {0xAA, 0x63, 0xC5, 0x4C, 0xF1, 0x1F, 0x3E, 0x8D}};
constexpr GUID GUID_RootValues = {
    0xE87925CF, 0x0913, 0x4D75, {0x9A, 0x76, 0x3D, 0x92, 0x95, 0x53, 0x10, 0xBD}};
constexpr GUID GUID_RegErrors = {
    0x7DCDF03C, 0xE927, 0x42C1, {0xB9, 0x75, 0x80, 0xEC, 0x8C, 0x00, 0x32, 0x55}};
constexpr GUID GUID_RegTypes = {
    0x5D5D2A84, 0x81DA, 0x4CCC, {0x90, 0xFC, 0x44, 0xB8, 0x9B, 0x8B, 0x9D, 0xEA}};
// The standard interfaces, with their usual identifiers.
constexpr GUID IID_IUnknown = {
    0x00000000, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
constexpr GUID IID_IDispatch = {
    0x00020400, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
constexpr GUID IID_IClassFactory = {
    0x00000001, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
constexpr GUID IID_ISupportErrorInfo = {
    0xDF0B3D60, 0x548F, 0x101B, {0x8E, 0x65, 0x08, 0x00, 0x2B, 0x2B, 0xD1, 0x19}};
constexpr GUID IID_IErrorInfo = {
    0x1CF2B120, 0x547D, 0x101B, {0x8E, 0x65, 0x08, 0x00, 0x2B, 0x2B, 0xD1, 0x19}};
constexpr GUID IID_NULL = {0, 0, 0, {0, 0, 0, 0, 0, 0, 0, 0}};

// --- Strings --------------------------------------------------------------------------------
// A BSTR points at UTF-8 characters that are preceded by their byte length (32 bits) and
// followed by a zero byte; the characters may themselves contain zero bytes. A null BSTR is
// the empty string. The callee allocates results, the caller frees them with SysFreeString.
using BSTR = char*;

inline BSTR SysAllocStringLen(const char* text, std::uint32_t length) {
    auto* block = static_cast<char*>(std::malloc(sizeof(std::uint32_t) + length + 1));
    if (!block) {
        return nullptr;
    }
    std::memcpy(block, &length, sizeof length);
    if (text && length) {
        std::memcpy(block + sizeof length, text, length);
    } else if (length) {
        std::memset(block + sizeof length, 0, length);
    }
    block[sizeof length + length] = '\0';
    return block + sizeof length;
}
inline BSTR SysAllocString(const char* text) {
    return SysAllocStringLen(text, text ? static_cast<std::uint32_t>(std::strlen(text)) : 0);
}
inline std::uint32_t SysStringLen(const char* s) {
    if (!s) {
        return 0;
    }
    std::uint32_t length;
    std::memcpy(&length, s - sizeof length, sizeof length);
    return length;
}
inline void SysFreeString(BSTR s) {
    if (s) {
        std::free(s - sizeof(std::uint32_t));
    }
}

// --- Variants -------------------------------------------------------------------------------
// The small variant that crosses the interface. It keeps apart a 16-bit and a 32-bit integer
// and a string, which SetValue and GetValue depend on; a byte array is kept in a BSTR block.
using VARTYPE = std::uint16_t;
constexpr VARTYPE VT_EMPTY = 0;
constexpr VARTYPE VT_I2 = 2;
constexpr VARTYPE VT_I4 = 3;
constexpr VARTYPE VT_BSTR = 8;
constexpr VARTYPE VT_ERROR = 10;  // with scode DISP_E_PARAMNOTFOUND: an omitted optional argument
constexpr VARTYPE VT_BOOL = 11;
constexpr VARTYPE VT_UI1 = 17;
constexpr VARTYPE VT_ARRAY = 0x2000;
constexpr VARTYPE VT_BYREF = 0x4000;

struct VARIANT {
    VARTYPE vt;
    std::uint16_t reserved[3];
    union {
        std::int16_t iVal;
        std::int32_t lVal;
        std::uint8_t bVal;
        VARIANT_BOOL boolVal;
        HRESULT scode;
        BSTR bstrVal;      // VT_BSTR, and VT_ARRAY | VT_UI1 (the bytes)
        VARIANT* pvarVal;  // VT_BYREF | VT_VARIANT style references are not used
    };
};

inline void VariantInit(VARIANT* v) {
    std::memset(v, 0, sizeof *v);
}
inline void VariantClear(VARIANT* v) {
    if (v->vt == VT_BSTR || v->vt == (VT_ARRAY | VT_UI1)) {
        SysFreeString(v->bstrVal);
    }
    VariantInit(v);
}
inline VARIANT MakeVariantI2(std::int16_t value) {
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_I2;
    v.iVal = value;
    return v;
}
inline VARIANT MakeVariantI4(std::int32_t value) {
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_I4;
    v.lVal = value;
    return v;
}
inline VARIANT MakeVariantBool(bool value) {
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_BOOL;
    v.boolVal = value ? VARIANT_TRUE : VARIANT_FALSE;
    return v;
}
// Takes ownership of the string.
inline VARIANT MakeVariantBstr(BSTR value) {
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_BSTR;
    v.bstrVal = value;
    return v;
}
inline VARIANT MakeVariantMissing() {
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_ERROR;
    v.scode = DISP_E_PARAMNOTFOUND;
    return v;
}

// --- Dispatch -------------------------------------------------------------------------------
constexpr std::uint16_t DISPATCH_METHOD = 1;
constexpr std::uint16_t DISPATCH_PROPERTYGET = 2;
constexpr std::uint16_t DISPATCH_PROPERTYPUT = 4;

// Arguments in reverse order, as Invoke expects them (the last argument first).
struct DISPPARAMS {
    VARIANT* rgvarg;
    DISPID* rgdispidNamedArgs;
    std::uint32_t cArgs;
    std::uint32_t cNamedArgs;
};

struct EXCEPINFO {
    std::uint16_t wCode;
    std::uint16_t wReserved;
    BSTR bstrSource;
    BSTR bstrDescription;
    BSTR bstrHelpFile;
    std::uint32_t dwHelpContext;
    void* pvReserved;
    void* pfnDeferredFillIn;
    HRESULT scode;
};

// The published dispatch identifiers of _CRegistry.
constexpr DISPID DISPID_Access = 0x68030000;
constexpr DISPID DISPID_Root = 0x68030001;
constexpr DISPID DISPID_Key = 0x68030002;
constexpr DISPID DISPID_AutoCreate = 0x68030003;
constexpr DISPID DISPID_ValueCount = 0x68030004;
constexpr DISPID DISPID_Default = 0x68030005;
constexpr DISPID DISPID_DeleteValue = 0x60030006;
constexpr DISPID DISPID_GetName = 0x60030008;
constexpr DISPID DISPID_GetValue = 0x60030009;
constexpr DISPID DISPID_DeleteKey = 0x6003000F;
constexpr DISPID DISPID_Create = 0x60030010;
constexpr DISPID DISPID_SetValue = 0x60030015;

// --- Enumerations ---------------------------------------------------------------------------
enum RootValues : std::int32_t {
    HkeyClassRoot = static_cast<std::int32_t>(0x80000000u),
    HkeyCurrentUser = static_cast<std::int32_t>(0x80000001u),
    HkeyLocalMachine = static_cast<std::int32_t>(0x80000002u),
    HkeyUsers = static_cast<std::int32_t>(0x80000003u),
    HkeyCurrentConfig = static_cast<std::int32_t>(0x80000005u),
    HkeyDynData = static_cast<std::int32_t>(0x80000006u),
};

enum RegTypes : std::int32_t {
    RegNone = 0,
    RegSz = 1,
    RegExpandSz = 2,
    RegBINARY = 3,
    RegDword = 4,
    RegDwordLittleEndian = 4,
    RegDwordBigEndian = 5,
    RegLink = 6,
    RegMultiSz = 7,
    RegResourceList = 8,
    RegFulResourceDesc = 9,
};

enum RegErrors : std::int32_t {
    RegErrorOpenFail = static_cast<std::int32_t>(0x80040201u),
    RegErrorCloseFaiL = static_cast<std::int32_t>(0x80040202u),
    RegErrorCreateFail = static_cast<std::int32_t>(0x80040203u),
    RegErrorReadFail = static_cast<std::int32_t>(0x80040204u),
    RegErrorNoKey = static_cast<std::int32_t>(0x80040205u),
    RegErrorNoSubKey = static_cast<std::int32_t>(0x80040206u),
    RegErrorNoLetProperty = static_cast<std::int32_t>(0x80040207u),
    RegErrorBinaryData = static_cast<std::int32_t>(0x80040208u),
    RegNotMultistring = static_cast<std::int32_t>(0x80040209u),
};

// --- Interfaces -----------------------------------------------------------------------------
// Shaped like IUnknown and IDispatch, in the same slot order. Destruction goes through
// Release, never through delete; the protected destructor says so.
class IUnknown {
  public:
    virtual HRESULT QueryInterface(const GUID& riid, void** ppv) = 0;
    virtual ULONG AddRef() = 0;
    virtual ULONG Release() = 0;

  protected:
    ~IUnknown() = default;
};

class IDispatch : public IUnknown {
  public:
    virtual HRESULT GetTypeInfoCount(std::uint32_t* pctinfo) = 0;
    virtual HRESULT GetTypeInfo(std::uint32_t iTInfo, LCID lcid, void** ppTInfo) = 0;
    // Names are UTF-8 and compare without regard to case.
    virtual HRESULT GetIDsOfNames(const GUID& riid, const char* const* rgszNames,
                                  std::uint32_t cNames, LCID lcid, DISPID* rgDispId) = 0;
    virtual HRESULT Invoke(DISPID dispIdMember, const GUID& riid, LCID lcid, std::uint16_t wFlags,
                           DISPPARAMS* pDispParams, VARIANT* pVarResult, EXCEPINFO* pExcepInfo,
                           std::uint32_t* puArgErr) = 0;

  protected:
    ~IDispatch() = default;
};

// The error information of the last failed call on this thread's object: QueryInterface the
// object for IID_IErrorInfo right after a failed member.
class IErrorInfo : public IUnknown {
  public:
    virtual HRESULT GetGUID(GUID* pGUID) = 0;
    virtual HRESULT GetSource(BSTR* pBstrSource) = 0;
    virtual HRESULT GetDescription(BSTR* pBstrDescription) = 0;
    virtual HRESULT GetNumber(std::int32_t* pNumber) = 0;

  protected:
    ~IErrorInfo() = default;
};

// One registry key and its values. The members follow the seven above in this order.
// Strings passed in stay the caller's; strings handed out become the caller's.
class _CRegistry : public IDispatch {
  public:
    virtual HRESULT DeleteValue(BSTR* sValue, VARIANT_BOOL* result) = 0;
    virtual HRESULT GetName(std::int16_t iRequest, BSTR* result) = 0;
    virtual HRESULT GetValue(const VARIANT* vRequest, BSTR* result) = 0;
    virtual HRESULT DeleteKey(BSTR KeyName, VARIANT_BOOL* result) = 0;
    // sKeyName null or VT_ERROR, or sValue null: the argument was omitted.
    virtual HRESULT Create(BSTR KeyName, const VARIANT* sKeyName, BSTR sValue,
                           std::int16_t* result) = 0;
    // regType null: omitted (0).
    virtual HRESULT SetValue(VARIANT* sKeyName, VARIANT* sValue, std::int16_t* regType,
                             VARIANT_BOOL* result) = 0;
    virtual HRESULT put_Default(BSTR strKeyString) = 0;
    virtual HRESULT put_ValueCount(std::int16_t* vl) = 0;
    virtual HRESULT get_ValueCount(std::int16_t* result) = 0;
    virtual HRESULT get_Default(BSTR* result) = 0;
    virtual HRESULT put_AutoCreate(VARIANT_BOOL vData) = 0;
    virtual HRESULT get_AutoCreate(VARIANT_BOOL* result) = 0;
    virtual HRESULT put_Key(BSTR vData) = 0;
    virtual HRESULT get_Key(BSTR* result) = 0;
    virtual HRESULT put_Root(std::int32_t vData) = 0;
    virtual HRESULT get_Root(std::int32_t* result) = 0;
    virtual HRESULT get_Access(std::int32_t* result) = 0;
    virtual HRESULT put_Access(std::int32_t lNewValue) = 0;

  protected:
    ~_CRegistry() = default;
};

class IClassFactory : public IUnknown {
  public:
    virtual HRESULT CreateInstance(IUnknown* pUnkOuter, const GUID& riid, void** ppvObject) = 0;
    virtual HRESULT LockServer(std::int32_t fLock) = 0;

  protected:
    ~IClassFactory() = default;
};

// --- Entry points of libhivekit.so (C linkage) ----------------------------------------------
using DllGetClassObjectFn = HRESULT (*)(const GUID* rclsid, const GUID* riid, void** ppv);
using DllCanUnloadNowFn = HRESULT (*)();
using DllRegisterServerFn = HRESULT (*)();
using DllUnregisterServerFn = HRESULT (*)();

constexpr const char* kLibraryFileName = "libhivekit.so";
// The file version and its comment are read with ReadVersionNote (hivekit/VersionNote.h).

}  // namespace hivekit
