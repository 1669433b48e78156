#include "ClassFactory.h"

#include <new>

#include "CRegistryObject.h"
#include "ServerState.h"

namespace hivekit {

// A factory that is merely alive does not keep the library loaded: only the objects it made
// and LockServer locks do.
ClassFactory::ClassFactory() = default;

ClassFactory::~ClassFactory() = default;

HRESULT ClassFactory::QueryInterface(const GUID& riid, void** ppv) {
    if (!ppv) {
        return E_POINTER;
    }
    *ppv = nullptr;
    if (!(riid == IID_IUnknown || riid == IID_IClassFactory)) {
        return E_NOINTERFACE;
    }
    *ppv = static_cast<IClassFactory*>(this);
    AddRef();
    return S_OK;
}

ULONG ClassFactory::AddRef() {
    return ++refs_;
}

ULONG ClassFactory::Release() {
    const ULONG left = --refs_;
    if (left == 0) {
        delete this;
    }
    return left;
}

HRESULT ClassFactory::CreateInstance(IUnknown* pUnkOuter, const GUID& riid, void** ppvObject) {
    if (!ppvObject) {
        return E_POINTER;
    }
    *ppvObject = nullptr;
    if (pUnkOuter) {
        return CLASS_E_NOAGGREGATION;
    }
    auto* object = new (std::nothrow) CRegistryObject();
    if (!object) {
        return E_OUTOFMEMORY;
    }
    const HRESULT hr = object->QueryInterface(riid, ppvObject);
    object->Release();  // the reference of `new`; QueryInterface took its own on success
    return hr;
}

HRESULT ClassFactory::LockServer(std::int32_t fLock) {
    ServerLocked(fLock != 0);
    return S_OK;
}

}  // namespace hivekit
