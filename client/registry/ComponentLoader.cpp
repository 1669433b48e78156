#include "registry/ComponentLoader.h"

#include <dlfcn.h>
#include <hivekit/Hivekit.h>
#include <unistd.h>

#include <QFile>
#include <QFileInfo>
#include <mutex>
#include <string>
#include <thread>

#include "platform/ClientError.h"
#include "platform/ModuleLoader.h"

namespace quillon {

namespace {

// The number the component system gives when it cannot create an object.
constexpr long kCannotCreateObject = 429;
const QString kSource = QStringLiteral("ComponentLoader");

int openFlags() {
#ifdef QUILLON_SANITIZE
    // Keep the code mapped after a close so that leak reports still name its functions.
    return RTLD_NOW | RTLD_NODELETE;
#else
    return RTLD_NOW;
#endif
}

}  // namespace

QStringList ComponentLoader::candidatePaths() {
    return ModuleCandidatePaths(hivekit::kLibraryFileName)
           << QString::fromLatin1(hivekit::kLibraryFileName);
}

void* ComponentLoader::openLibrary(const QStringList& candidates) {
    QStringList reasons;
    for (const QString& candidate : candidates) {
        // A path with a folder is tried only when the file is there, so that the reason
        // reported is the interesting one (a library that exists but does not load).
        if (candidate.contains(QLatin1Char('/')) && !QFileInfo::exists(candidate)) {
            reasons << candidate + QStringLiteral(": not found");
            continue;
        }
        if (void* handle = dlopen(QFile::encodeName(candidate).constData(), openFlags())) {
            return handle;
        }
        const char* why = dlerror();
        reasons << QString::fromLocal8Bit(why ? why : "cannot be loaded");
    }
    throw ClientError(kCannotCreateObject, kSource,
                      QStringLiteral("The registry component could not be loaded (") +
                          reasons.join(QStringLiteral("; ")) + QStringLiteral(")"));
}

namespace {

// The library's handle while it is loaded, and the lock that loading, creating an object and
// unloading take: no object is created from a library that is being unloaded.
std::mutex& libraryMutex() {
    static std::mutex mutex;
    return mutex;
}

void*& loadedLibrary() {
    static void* handle = nullptr;
    return handle;
}

void* loadLocked() {
    void*& handle = loadedLibrary();
    if (!handle) {
        handle = ComponentLoader::openLibrary(ComponentLoader::candidatePaths());
    }
    return handle;
}

}  // namespace

void* ComponentLoader::library() {
    std::lock_guard lock(libraryMutex());
    return loadLocked();
}

void ComponentLoader::preload() {
    std::thread([] {
        // The places candidatePaths() names, in its order.
        void* opened = nullptr;
        for (const std::string& file : ModuleCandidateFiles(hivekit::kLibraryFileName)) {
            if (::access(file.c_str(), F_OK) == 0 && (opened = dlopen(file.c_str(), openFlags()))) {
                break;
            }
        }
        if (!opened && !(opened = dlopen(hivekit::kLibraryFileName, openFlags()))) {
            return;
        }
        std::lock_guard lock(libraryMutex());
        if (loadedLibrary()) {
            dlclose(opened);  // library() was quicker: the same object, to be counted once
        } else {
            loadedLibrary() = opened;
        }
    }).detach();
}

bool ComponentLoader::freeUnused() {
    std::lock_guard lock(libraryMutex());
    void*& handle = loadedLibrary();
    if (!handle) {
        return false;
    }
    const auto canUnloadNow =
        reinterpret_cast<hivekit::DllCanUnloadNowFn>(dlsym(handle, "DllCanUnloadNow"));
    if (!canUnloadNow || canUnloadNow() != hivekit::S_OK) {
        return false;
    }
    dlclose(handle);
    handle = nullptr;
    return true;
}

void* ComponentLoader::createObjectFrom(void* library, const hivekit::GUID& clsid,
                                        const hivekit::GUID& iid) {
    dlerror();
    auto getClassObject =
        reinterpret_cast<hivekit::DllGetClassObjectFn>(dlsym(library, "DllGetClassObject"));
    if (!getClassObject) {
        const char* why = dlerror();
        throw ClientError(kCannotCreateObject, kSource,
                          QStringLiteral("The registry component has no class factory (%1)")
                              .arg(QString::fromLocal8Bit(why ? why : "DllGetClassObject")));
    }
    void* factoryPtr = nullptr;
    hivekit::HRESULT hr = getClassObject(&clsid, &hivekit::IID_IClassFactory, &factoryPtr);
    if (hivekit::Failed(hr) || !factoryPtr) {
        throw ClientError(kCannotCreateObject, kSource,
                          QStringLiteral("The registry component does not offer the class "
                                         "(status 0x%1)")
                              .arg(static_cast<quint32>(hr), 8, 16, QLatin1Char('0')));
    }
    auto* factory = static_cast<hivekit::IClassFactory*>(factoryPtr);
    void* object = nullptr;
    hr = factory->CreateInstance(nullptr, iid, &object);
    factory->Release();
    if (hivekit::Failed(hr) || !object) {
        throw ClientError(kCannotCreateObject, kSource,
                          QStringLiteral("The registry component could not create the object "
                                         "(status 0x%1)")
                              .arg(static_cast<quint32>(hr), 8, 16, QLatin1Char('0')));
    }
    return object;
}

void* ComponentLoader::createObject(const hivekit::GUID& clsid, const hivekit::GUID& iid) {
    std::lock_guard lock(libraryMutex());
    return createObjectFrom(loadLocked(), clsid, iid);
}

}  // namespace quillon
