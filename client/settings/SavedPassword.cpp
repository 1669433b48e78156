#include "settings/SavedPassword.h"

#include <QDir>
#include <QFile>

#include "registry/Registry.h"
#include "settings/Keyring.h"
#include "settings/SettingsSchema.h"

namespace quillon {

namespace {

const QString kCredentialFile = QStringLiteral("quillon-password");

// The first line of the credential file, without its line end; empty when there is none.
QString credentialsFilePassword() {
    const QString dir = qEnvironmentVariable("CREDENTIALS_DIRECTORY");
    if (dir.isEmpty()) {
        return {};
    }
    QFile file(QDir(dir).filePath(kCredentialFile));
    if (!file.open(QIODevice::ReadOnly)) {
        return {};
    }
    QByteArray line = file.readLine(4096);
    while (line.endsWith('\n') || line.endsWith('\r')) {
        line.chop(1);
    }
    const QString password = QString::fromUtf8(line);
    line.fill('\0');
    return password;
}

// Removes the store's Password value. The store overwrites deleted content and empties its
// journal after a delete, so no copy stays in the database file.
void removeStoredPassword(Registry& initKey) {
    if (!initKey.getValue(store::kPassword).isEmpty()) {
        initKey.deleteValue(store::kPassword);
    }
}

}  // namespace

SavedPassword LoadSavedPassword(Registry& initKey, const QString& username) {
    if (QString password = credentialsFilePassword(); !password.isEmpty()) {
        return {password, PasswordPlace::CredentialsFile};
    }
    const QString stored = initKey.getValue(store::kPassword);
    const std::optional<Keyring> keyring = Keyring::open();
    if (!keyring) {
        return {stored, stored.isEmpty() ? PasswordPlace::None : PasswordPlace::Store};
    }
    if (!stored.isEmpty()) {
        // Saved where no Secret Service answered (or by an earlier version): moved now.
        if (keyring->write(username, stored) == Keyring::Status::Ok) {
            removeStoredPassword(initKey);
        }
        return {stored, PasswordPlace::Store};
    }
    QString password;
    switch (keyring->read(username, password)) {
        case Keyring::Status::Ok:
            return {password, PasswordPlace::Keyring};
        case Keyring::Status::NotFound:
            return {};
        case Keyring::Status::Failed:
            break;
    }
    return {QString(), PasswordPlace::KeyringFailed};
}

PasswordPlace SaveSavedPassword(Registry& initKey, const QString& username,
                                const QString& password) {
    const std::optional<Keyring> keyring = Keyring::open();
    if (!keyring) {
        initKey.setValue(store::kPassword, password);
        return PasswordPlace::Store;
    }
    if (keyring->write(username, password) != Keyring::Status::Ok) {
        return PasswordPlace::KeyringFailed;
    }
    removeStoredPassword(initKey);
    const QString previous = initKey.getValue(store::kUsername);
    if (!previous.isEmpty() && previous != username) {
        keyring->remove(previous);
    }
    return PasswordPlace::Keyring;
}

void ForgetSavedPassword(const Registry& initKey) {
    const QString username = initKey.getValue(store::kUsername);
    if (initKey.getValue(store::kSaveLogin) == QLatin1String("1") && !username.isEmpty()) {
        if (const std::optional<Keyring> keyring = Keyring::open()) {
            keyring->remove(username);
        }
    }
}

QString PasswordPlaceText(PasswordPlace place) {
    switch (place) {
        case PasswordPlace::CredentialsFile:
            return QStringLiteral("systemd's credential quillon-password");
        case PasswordPlace::Keyring:
            return QStringLiteral("the desktop's keyring (Secret Service)");
        case PasswordPlace::Store:
            return QStringLiteral("the settings store");
        case PasswordPlace::KeyringFailed:
            return QStringLiteral("the desktop's keyring, which did not answer or stayed locked");
        case PasswordPlace::None:
            break;
    }
    return QStringLiteral("nowhere");
}

}  // namespace quillon
