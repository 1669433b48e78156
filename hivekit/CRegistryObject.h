#pragma once

#include <hivekit/Hivekit.h>

#include <atomic>
#include <functional>
#include <string>

#include "CRegistry.h"

namespace hivekit {

// The CRegistry class on its component surface: the _CRegistry interface (reference counts,
// dispatch by identifier, the members in their published order) over the class itself, and
// the error information of the last failed member.
class CRegistryObject final : public _CRegistry, public IErrorInfo {
  public:
    CRegistryObject();
    virtual ~CRegistryObject();
    CRegistryObject(const CRegistryObject&) = delete;
    CRegistryObject& operator=(const CRegistryObject&) = delete;

    // IUnknown (shared by both interfaces).
    HRESULT QueryInterface(const GUID& riid, void** ppv) override;
    ULONG AddRef() override;
    ULONG Release() override;

    // IDispatch.
    HRESULT GetTypeInfoCount(std::uint32_t* pctinfo) override;
    HRESULT GetTypeInfo(std::uint32_t iTInfo, LCID lcid, void** ppTInfo) override;
    HRESULT GetIDsOfNames(const GUID& riid, const char* const* rgszNames, std::uint32_t cNames,
                          LCID lcid, DISPID* rgDispId) override;
    HRESULT Invoke(DISPID dispIdMember, const GUID& riid, LCID lcid, std::uint16_t wFlags,
                   DISPPARAMS* pDispParams, VARIANT* pVarResult, EXCEPINFO* pExcepInfo,
                   std::uint32_t* puArgErr) override;

    // _CRegistry.
    HRESULT DeleteValue(BSTR* sValue, VARIANT_BOOL* result) override;
    HRESULT GetName(std::int16_t iRequest, BSTR* result) override;
    HRESULT GetValue(const VARIANT* vRequest, BSTR* result) override;
    HRESULT DeleteKey(BSTR KeyName, VARIANT_BOOL* result) override;
    HRESULT Create(BSTR KeyName, const VARIANT* sKeyName, BSTR sValue,
                   std::int16_t* result) override;
    HRESULT SetValue(VARIANT* sKeyName, VARIANT* sValue, std::int16_t* regType,
                     VARIANT_BOOL* result) override;
    HRESULT put_Default(BSTR strKeyString) override;
    HRESULT put_ValueCount(std::int16_t* vl) override;
    HRESULT get_ValueCount(std::int16_t* result) override;
    HRESULT get_Default(BSTR* result) override;
    HRESULT put_AutoCreate(VARIANT_BOOL vData) override;
    HRESULT get_AutoCreate(VARIANT_BOOL* result) override;
    HRESULT put_Key(BSTR vData) override;
    HRESULT get_Key(BSTR* result) override;
    HRESULT put_Root(std::int32_t vData) override;
    HRESULT get_Root(std::int32_t* result) override;
    HRESULT get_Access(std::int32_t* result) override;
    HRESULT put_Access(std::int32_t lNewValue) override;

    // IErrorInfo: the error of the last failed member.
    HRESULT GetGUID(GUID* pGUID) override;
    HRESULT GetSource(BSTR* pBstrSource) override;
    HRESULT GetDescription(BSTR* pBstrDescription) override;
    HRESULT GetNumber(std::int32_t* pNumber) override;

    CRegistry& Registry() { return registry_; }

  private:
    // Runs one member: clears the error information, turns a raised error into a failed
    // status with its information kept.
    HRESULT Call(const std::function<void()>& body);
    void ClearError();
    // Clears the error information and gives `hr`: a member refused before it ran.
    HRESULT Refuse(HRESULT hr);

    std::atomic<ULONG> refs_{1};
    CRegistry registry_;
    std::int32_t errNumber_ = 0;
    std::string errSource_;
    std::string errDescription_;
};

// Conversions between the surface's strings and variants and the component's own types.
std::string FromBstr(const char* s);
BSTR ToBstr(const std::string& s);
bool FromVariant(const VARIANT& v, Var& out);
VARIANT ToVariant(const Var& v);

}  // namespace hivekit
