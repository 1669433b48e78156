#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QLineEdit>
#include <QPointer>
#include <QTemporaryDir>
#include <QTest>
#include <memory>
#include <ostream>
#include <stdexcept>
#include <string>

#include "login/frmLogin.h"
#include "protocol/MainWindowLink.h"
#include "protocol/Transfer.h"
#include "support/ScopedEnv.h"
#include "support/Seams.h"
#include "support/SimProcess.h"

// Readable failure output for Qt strings.
QT_BEGIN_NAMESPACE
inline void PrintTo(const QString& s, std::ostream* os) {
    *os << '"' << s.toStdString() << '"';
}
inline void PrintTo(const QStringList& l, std::ostream* os) {
    *os << '[' << l.join(QStringLiteral(" | ")).toStdString() << ']';
}
QT_END_NAMESPACE

namespace quillon::test {

// Thrown by requireControl: ends the test that asked for a control the window does not have,
// where going on would dereference a null pointer.
class MissingControl : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// The one control of type T named `name` among the descendants of `root`. A missing control,
// or two of that type sharing the name (a search that could return the wrong one), fails the
// test and throws MissingControl.
template <typename T>
T* requireControl(const QObject* root, const char* name) {
    const QList<T*> found =
        root != nullptr ? root->findChildren<T*>(QLatin1String(name)) : QList<T*>();
    if (found.size() == 1) {
        return found.first();
    }
    const std::string what =
        std::string(found.isEmpty() ? "no control named " : "several controls named ") + name +
        " under " + (root != nullptr ? root->objectName().toStdString() : "a missing window");
    ADD_FAILURE() << what;
    throw MissingControl(what);
}

// Every test gets its own store, the constant endpoints, an empty account record, clear flags
// and scripted message boxes, pages and beeps.
class LoginFixture : public ::testing::Test {
  protected:
    LoginFixture();
    ~LoginFixture() override;

    // Writes a value of "SOFTWARE\Corvane\Init" through the component.
    static void storeText(const QString& name, const QString& value);
    static void storeDword(const QString& name, qint32 value);
    static QString storedValue(const QString& name);

    // Starts corvane-sim and writes the endpoint overrides that point the client at it.
    SimProcess& startSim(bool https = false);

    // Creates the login window (its load runs now).
    frmLogin& window();
    // Shows the login window and waits until it is the active one (keyboard tests).
    void showActive() {
        window().show();
        window().activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window()));
    }
    static QWidget* focused() { return QApplication::focusWidget(); }
    // The login window's control of that object name; the test fails when there is none.
    template <typename T>
    T* control(const char* name) {
        return requireControl<T>(&window(), name);
    }

    void typeLogin(const QString& user, const QString& password);
    // The login requests corvane-sim has received.
    QStringList loginRequests() const;
    // True once the window has been unloaded and deleted.
    bool waitUnloaded();

    QTemporaryDir dir_;
    // The client's requests to corvane-sim never go through a proxy named in the environment.
    ScopedEnv noProxy_{"no_proxy", "127.0.0.1,localhost"};
    ScopedEnv store_;
    ScriptedMessageBoxes messages_;
    RecordingPageOpener pages_;
    BeepCounter beeps_;
    std::unique_ptr<SimProcess> sim_;
    QPointer<frmLogin> window_;
};

// A transfer that answers every request with a fixed reply and keeps the addresses.
class FakeTransfer : public Transfer {
  public:
    explicit FakeTransfer(TransferReply reply) : reply_(std::move(reply)) {
        setServiceTransfer(this);
    }
    ~FakeTransfer() override { unregisterServiceTransfer(this); }
    TransferReply OpenURL(const QString& url) override {
        urls.append(url);
        return reply_;
    }
    QStringList urls;

  private:
    TransferReply reply_;
};

// The main window as the login sees it: records the free-account loading step.
class RecordingMainWindow : public MainWindowLink {
  public:
    RecordingMainWindow() { setMainWindowLink(this); }
    ~RecordingMainWindow() override { setMainWindowLink(nullptr); }
    void setStatus(const QString&, int colour) override { colour_ = colour; }
    int statusColour() const override { return colour_; }
    void SysTrayIcon(bool) override {}
    void setMainEnabled(bool) override {}
    void LoadFreeUserInfo() override {
        ++loadFreeUserInfoCalls;
        if (onLoadFreeUserInfo) {
            onLoadFreeUserInfo();
        }
    }
    int loadFreeUserInfoCalls = 0;
    std::function<void()> onLoadFreeUserInfo;

  private:
    int colour_ = kStatusColourConnected;
};

}  // namespace quillon::test
