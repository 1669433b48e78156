#pragma once

#include <QString>

namespace quillon {

class Registry;

// Where the saved login's password is kept. Read in this order: the file quillon-password of
// systemd's credentials folder ($CREDENTIALS_DIRECTORY, from LoadCredential=), the desktop's
// Secret Service when one answers on the session bus, the store's Password value (0600). Saved
// to the Secret Service when one answers, else to the store.
enum class PasswordPlace {
    None,             // nowhere: no password saved
    CredentialsFile,  // systemd's credentials folder (read only)
    Keyring,          // the Secret Service
    Store,            // the store's Password value
    KeyringFailed,    // the Secret Service holds it but did not give it (locked, refused, silent)
};

struct SavedPassword {
    QString password;
    PasswordPlace place = PasswordPlace::None;
};

// The password saved for `username` in the key "SOFTWARE\Corvane\Init". A Password value found in
// the store while a Secret Service answers is moved there and removed from the store.
SavedPassword LoadSavedPassword(Registry& initKey, const QString& username);

// Saves the password: Keyring, or Store where no Secret Service answers, or KeyringFailed (nothing
// saved) when one answers but refuses it. A Password value the store held is removed once the
// Secret Service holds the password; an entry saved for another user name is removed.
PasswordPlace SaveSavedPassword(Registry& initKey, const QString& username,
                                const QString& password);

// Removes the Secret Service's entry of the stored Username when a login was saved. The store's
// own Password value stays, as it always has when Save Login is cleared.
void ForgetSavedPassword(const Registry& initKey);

// "the desktop's keyring (Secret Service)", "the settings store", ...: for messages.
QString PasswordPlaceText(PasswordPlace place);

}  // namespace quillon
