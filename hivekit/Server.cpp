// The library's entry points: the class object, the unload question, self-registration, and
// the file version with its comment.
#include <dlfcn.h>
#include <limits.h>
#include <stdlib.h>

#include <new>
#include <string>

#include "ClassFactory.h"
#include "Registration.h"
#include "ServerState.h"

#define HIVEKIT_EXPORT extern "C" __attribute__((visibility("default")))

using namespace hivekit;

// The file version and its comment, as data symbols for dlsym and, through their section,
// for `readelf -p .hivekit.version libhivekit.so`.
HIVEKIT_EXPORT __attribute__((section(".hivekit.version"), used)) const char HivekitFileVersion[] =
    "1.0.0.3";
HIVEKIT_EXPORT __attribute__((section(".hivekit.version"), used)) const char HivekitComments[] =
    "Manipulates the registry through easy to use methods that encapsulate the registry API's.";

HIVEKIT_EXPORT HRESULT DllGetClassObject(const GUID* rclsid, const GUID* riid, void** ppv) {
    if (!ppv) {
        return E_POINTER;
    }
    *ppv = nullptr;
    if (!rclsid || !riid) {
        return E_INVALIDARG;
    }
    if (!(*rclsid == CLSID_CRegistry)) {
        return CLASS_E_CLASSNOTAVAILABLE;
    }
    auto* factory = new (std::nothrow) ClassFactory();
    if (!factory) {
        return E_OUTOFMEMORY;
    }
    const HRESULT hr = factory->QueryInterface(*riid, ppv);
    factory->Release();
    return hr;
}

HIVEKIT_EXPORT HRESULT DllCanUnloadNow() {
    return ServerInUse() ? S_FALSE : S_OK;
}

namespace {

// The file this code was loaded from: the in-process server path to register.
std::string LibraryPath() {
    Dl_info info{};
    if (dladdr(reinterpret_cast<void*>(&DllCanUnloadNow), &info) == 0 || !info.dli_fname) {
        return {};
    }
    char resolved[PATH_MAX];
    return realpath(info.dli_fname, resolved) ? std::string(resolved) : std::string(info.dli_fname);
}

}  // namespace

HIVEKIT_EXPORT HRESULT DllRegisterServer() {
    const std::string path = LibraryPath();
    return path.empty() ? SELFREG_E_CLASS : RegisterServer(path);
}

HIVEKIT_EXPORT HRESULT DllUnregisterServer() {
    return UnregisterServer();
}
