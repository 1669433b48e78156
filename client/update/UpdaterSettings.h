#pragma once

#include <QString>

namespace quillon {

// What quillon-update reads of the key "SOFTWARE\Corvane\Init", with the defaults and rules the
// windows apply to the same values.
struct UpdaterSettings {
    bool saveLogin = false;  // bSaveLogin is 1
    QString username;        // trimmed
    QString password;        // trimmed
    QString serviceURL;      // the service address the stored connection settings give
    QString refreshRate;     // the stored RefreshRate as stored (chosen later, per account kind)
};

// Reads the key and applies the endpoint overrides (UpdateHost, SecureHost, TrustedCA). The
// address: secure when bSSL is 1, else plain on the stored Port (80 when none); a stored port
// that is not one of 80, 1400 and 8080 leaves the default address, as the windows do.
UpdaterSettings LoadUpdaterSettings();

// The refresh rate in seconds, as the windows' rate list would select it: the stored rate when it
// is one of the list's (30 to 120 in tens; 90 to 120 for a free account), 60 for a stored rate
// below 60, 90 for any other number, and the default (60, or 90 for a free account) when none
// is stored or it is not a number.
int ChosenRefreshRate(const QString& stored, bool freeAccount);

}  // namespace quillon
