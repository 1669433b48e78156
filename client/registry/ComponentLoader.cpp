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

void* ComponentLoader::library() {
    static std::mutex mutex;
    static void* handle = nullptr;
    std::lock_guard lock(mutex);
    if (!handle) {
        handle = openLibrary(candidatePaths());
    }
    return handle;
}

void ComponentLoader::preload() {
    std::thread([] {
        // The places candidatePaths() names, in its order. Kept open like library()'s own
        // handle: the same file opened again is the same object.
        for (const std::string& file : ModuleCandidateFiles(hivekit::kLibraryFileName)) {
            if (::access(file.c_str(), F_OK) == 0 && dlopen(file.c_str(), openFlags())) {
                return;
            }
        }
        dlopen(hivekit::kLibraryFileName, openFlags());
    }).detach();
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
    return createObjectFrom(library(), clsid, iid);
}

}  // namespace quillon
