#pragma once

#include <QDateTime>
#include <QFile>
#include <QPointer>
#include <QStringList>

#include <QTimer>
#include "LoginFixture.h"

#include "main/cSysTray.h"
#include "main/frmMain.h"

namespace quillon::test {

// A main window against corvane-sim with its own store: everything LoginFixture gives, a fixed
// clock, and helpers for the user key and the service's log.
class MainFixture : public LoginFixture {
  protected:
    MainFixture();
    ~MainFixture() override;

    // Stores a saved login, so that the window logs in without showing the login window.
    static void saveLogin(const QString& user, const QString& password);
    // Values of the user key "SOFTWARE\Corvane\" + user.
    static void storeUserText(const QString& user, const QString& name, const QString& value);
    static void storeUserDword(const QString& user, const QString& name, qint32 value);
    static QString userValue(const QString& user, const QString& name);
    // "REG_SZ", "REG_DWORD", ... of a stored value as hivekit-reg reports it; empty when absent.
    static QString storedType(const QString& key, const QString& name);

    // Creates the main window and runs its load. A saved login logs in automatically; with none
    // (or when it fails) `onLoginWindow` runs while the login window is up and must log in or
    // leave. True when the window is running.
    bool startMain(const std::function<void(frmLogin&)>& onLoginWindow = {});
    // Starts corvane-sim, saves the login and starts the main window.
    bool startAs(const QString& user, const QString& password = QString());
    frmMain& main() { return *main_; }

    // The main window's control of that object name, the design's; the test fails when there is
    // none, or more than one of that type.
    template <typename T>
    T* mainControl(const char* name) {
        return requireControl<T>(main_.data(), name);
    }
    // The control of that name inside the named frame: the editor's and the advanced frame's
    // help pictures are both "imgHelpDomain".
    template <typename T>
    T* mainControlIn(const char* frame, const char* name) {
        return requireControl<T>(mainControl<QFrame>(frame), name);
    }
    // A button, by the name of its picture ("cmdAddGrid").
    PictureButton* mainButton(const char* name);

    // The DNSTickler and GetIPAddress requests corvane-sim received, oldest first.
    QStringList ticklerRequests() const;
    QStringList ipRequests() const;
    // The account's records as corvane-sim holds them now (its login reply's record list).
    QString serviceRecords(const QString& user, const QString& password) const;

    // Runs n ticks of the update timer, as its timeouts would.
    void tick(int n = 1);

    FixedClock clock_{QDateTime(QDate(2026, 12, 8), QTime(9, 0, 0))};
    // The advanced frame's autostart box reads the desktop's autostart folder: the test's own.
    ScopedEnv configHome_{"XDG_CONFIG_HOME", QFile::encodeName(dir_.filePath("config"))};
    QPointer<frmMain> main_;
};

}  // namespace quillon::test
