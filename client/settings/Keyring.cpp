#include "settings/Keyring.h"

#include <dlfcn.h>

#include <QCoreApplication>
#include <QStringList>

#include "platform/ModuleLoader.h"
#include "settings/KeyringModule.h"

namespace quillon {

namespace {

const char* const kModuleFileName = "libquillon-keyring.so";

template <typename Fn>
Fn symbol(void* module, const char* name) {
    return reinterpret_cast<Fn>(dlsym(module, name));
}

Keyring::Status statusOf(int code) {
    switch (code) {
        case QUILLON_KEYRING_OK:
            return Keyring::Status::Ok;
        case QUILLON_KEYRING_NOT_FOUND:
            return Keyring::Status::NotFound;
        default:
            return Keyring::Status::Failed;
    }
}

// The module, opened once; null when it cannot be loaded.
void* loadModule() {
    static void* const module = OpenModule(kModuleFileName);
    return module;
}

}  // namespace

QStringList Keyring::candidatePaths() {
    return ModuleCandidatePaths(kModuleFileName);
}

std::optional<Keyring> Keyring::open() {
    // "disabled:" is how a session turns the bus off on purpose.
    const QByteArray bus = qgetenv("DBUS_SESSION_BUS_ADDRESS");
    if (bus.isEmpty() || bus.startsWith("disabled:") || !QCoreApplication::instance()) {
        return std::nullopt;
    }
    void* module = loadModule();
    if (module == nullptr) {
        return std::nullopt;
    }
    auto available = symbol<QuillonKeyringAvailableFn>(module, "quillon_keyring_available");
    if (available == nullptr || available(kTimeoutMs) == 0) {
        return std::nullopt;
    }
    return Keyring(module);
}

Keyring::Status Keyring::read(const QString& username, QString& password) const {
    auto readFn = symbol<QuillonKeyringReadFn>(module_, "quillon_keyring_read");
    auto freeFn = symbol<QuillonKeyringFreeFn>(module_, "quillon_keyring_free");
    if (readFn == nullptr || freeFn == nullptr) {
        return Status::Failed;
    }
    char* text = nullptr;
    const Status status = statusOf(readFn(username.toUtf8().constData(), &text, kTimeoutMs));
    if (status == Status::Ok) {
        password = QString::fromUtf8(text);
    }
    freeFn(text);
    return status;
}

Keyring::Status Keyring::write(const QString& username, const QString& password) const {
    auto writeFn = symbol<QuillonKeyringWriteFn>(module_, "quillon_keyring_write");
    if (writeFn == nullptr) {
        return Status::Failed;
    }
    return statusOf(
        writeFn(username.toUtf8().constData(), password.toUtf8().constData(), kTimeoutMs));
}

Keyring::Status Keyring::remove(const QString& username) const {
    auto removeFn = symbol<QuillonKeyringRemoveFn>(module_, "quillon_keyring_remove");
    if (removeFn == nullptr) {
        return Status::Failed;
    }
    return statusOf(removeFn(username.toUtf8().constData(), kTimeoutMs));
}

}  // namespace quillon
