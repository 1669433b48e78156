#pragma once

#include <hivekit/Hivekit.h>

#include <atomic>

namespace hivekit {

// The class object of CRegistry: each CreateInstance makes a new, independent object.
class ClassFactory final : public IClassFactory {
  public:
    ClassFactory();
    virtual ~ClassFactory();
    ClassFactory(const ClassFactory&) = delete;
    ClassFactory& operator=(const ClassFactory&) = delete;

    HRESULT QueryInterface(const GUID& riid, void** ppv) override;
    ULONG AddRef() override;
    ULONG Release() override;
    HRESULT CreateInstance(IUnknown* pUnkOuter, const GUID& riid, void** ppvObject) override;
    HRESULT LockServer(std::int32_t fLock) override;

  private:
    std::atomic<ULONG> refs_{1};
};

}  // namespace hivekit
