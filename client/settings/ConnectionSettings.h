#pragma once

#include <QString>

namespace quillon {

class Registry;

// The connection settings of the key "SOFTWARE\Corvane\Init" as stored, and the rules that turn
// them into a service address and a refresh rate. Both windows fill their advanced panels from
// them, and quillon-update runs by them.
struct ConnectionSettings {
    bool ssl = true;      // bSSL is 1 or not stored
    QString port;         // Port as stored
    QString refreshRate;  // RefreshRate as stored

    // The port of the plain address: the stored one when it is a number, else "80".
    QString plainPort() const;
    // Whether plainPort() is one of PortChoices().
    bool portIsListed() const;
    // The secure address with SSL; the plain address on plainPort() when that is listed; the
    // service's default address for a stored port that is not.
    QString serviceURL() const;
};

// The saved login of the same key; its password is read through SavedPassword.h.
struct SavedLogin {
    bool saveLogin = false;  // bSaveLogin is 1
    QString username;
};

ConnectionSettings LoadConnectionSettings(const Registry& initKey);
SavedLogin LoadSavedLogin(const Registry& initKey);

// Stores what the advanced panels show. An empty port (none chosen while SSL is on) leaves the
// stored port for the day SSL is turned off again.
void SaveConnectionSettings(Registry& initKey, bool ssl, const QString& port,
                            const QString& refreshRate);

// The items of the windows' port list and refresh-rate list, comma-separated.
QString PortChoices();
QString RefreshRateChoices(bool freeAccount);

// The refresh rate in seconds, as the windows' rate list selects it: 60 for a stored rate below
// 60, the listed 30, 40 and 50 included (90 for a free account, whose list has no 60); the stored
// rate when it is one of the list's (60 to 120 in tens; 90 to 120 for a free account); 90 for any
// other number; and the default (60, or 90 for a free account) when none is stored or it is not
// a number.
int ChosenRefreshRate(const QString& stored, bool freeAccount);

}  // namespace quillon
