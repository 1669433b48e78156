// The library's entry points: the class object, the unload question and self-registration;
// and the file version with its comment, carried in a note.
#include <dlfcn.h>
#include <limits.h>
#include <stdlib.h>

#include <hivekit/VersionNote.h>

#include <cstdint>
#include <new>
#include <string>

#include "ClassFactory.h"
#include "Registration.h"
#include "ServerState.h"

#define HIVEKIT_EXPORT extern "C" __attribute__((visibility("default")))

using namespace hivekit;

namespace {

constexpr char kFileVersion[] = "1.0.0.3";
constexpr char kComments[] =
    "Manipulates the registry through easy to use methods that encapsulate the registry API's.";

// The file version and its comment as an ELF note (see hivekit/VersionNote.h): readable from
// the file and from the loaded library without exporting a symbol for them.
struct VersionNote {
    std::uint32_t nameSize = sizeof kVersionNoteOwner;
    std::uint32_t descSize = sizeof kFileVersion + sizeof kComments;
    std::uint32_t type = kVersionNoteType;
    char name[(sizeof kVersionNoteOwner + 3) & ~std::size_t{3}] = {};
    char desc[(sizeof kFileVersion + sizeof kComments + 3) & ~std::size_t{3}] = {};
};

constexpr VersionNote MakeVersionNote() {
    VersionNote note;
    for (std::size_t i = 0; i < sizeof kVersionNoteOwner; ++i) {
        note.name[i] = kVersionNoteOwner[i];
    }
    for (std::size_t i = 0; i < sizeof kFileVersion; ++i) {
        note.desc[i] = kFileVersion[i];
    }
    for (std::size_t i = 0; i < sizeof kComments; ++i) {
        note.desc[sizeof kFileVersion + i] = kComments[i];
    }
    return note;
}

__attribute__((section(".note.hivekit.version"), used,
               aligned(4))) constexpr VersionNote kVersionNote = MakeVersionNote();

}  // namespace

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
