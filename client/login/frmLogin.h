#pragma once

#include <QDialog>
#include <QString>

#include "protocol/CurlTransfer.h"

class QCheckBox;
class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QMenu;
class QMenuBar;
class QAction;

namespace quillon {

class PictureButton;

// The login window: the user name and password, the advanced connection settings, the busy
// panel shown while a login runs and the notice of an expired account, all four panels of the
// same width at the same left edge; the three others, when shown, cover the login panel.
//
// Its transfer Inet1 carries every service request of the program: the window registers it as
// the service transfer when it is created and withdraws it when it goes away.
//
// "Unloading" the window (a successful login, Exit) ends its modal display and deletes it once
// control is back in the event loop; a caller that holds it keeps a QPointer.
class frmLogin : public QDialog {
    Q_OBJECT
  public:
    explicit frmLogin(QWidget* parent = nullptr);
    ~frmLogin() override;

    // The caption until the main window sets its own: "Login  version " + major + "." + minor.
    static QString defaultCaption();

    // The login action: checks the boxes, sends the login request, fills the account record,
    // refuses an expired account and, on success, unloads the window.
    void cmdLogin_Click();

    // Takes the login saved at an earlier session: the boxes hold it and Save Login is ticked,
    // so that the login action keeps it saved unless the user clears the box.
    void setSavedLogin(const QString& username, const QString& password);

    // The other handlers, public so that the main window and tests can run them as a click would.
    void cmdExit_Click();
    void mnuAdvanced_Click();
    void cmdOKAdvanced_Click();
    void chkSSL_Click();
    void cmdExpireOK_Click();
    void mnuOnlineHelp_Click();
    void mnuRegister_Click();
    void lblExpire_Click();
    void mnuAbout_Click();

    // Ends the modal display and deletes the window later.
    void Unload();
    bool isUnloaded() const { return unloaded_; }

    CurlTransfer& Inet1() { return Inet1_; }

  protected:
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void buildLoginPanel();
    void buildAdvancedPanel();
    void buildBusyPanel();
    void buildExpirePanel();
    void buildMenu();
    void connectHandlers();
    void Form_Load();

    // Gives a panel the login panel's Top and Height and shows it over the login panel.
    void showOverLogin(QFrame* panel);
    // True while no other panel covers the login panel.
    bool loginPanelShowing() const;
    // Hides the login panel while another panel covers it, and shows it again after.
    void coverLoginPanel();
    // Escape on the advanced panel: puts the boxes back as they were when it opened and leaves
    // it without saving.
    void cancelAdvanced();

    QMenuBar* menuBar_ = nullptr;
    QMenu* mnuHelp_ = nullptr;
    QAction* mnuAdvanced_ = nullptr;
    QAction* mnuOnlineHelp_ = nullptr;
    QAction* mnuRegister_ = nullptr;
    QAction* mnuAbout_ = nullptr;

    QFrame* frmLogin_ = nullptr;
    QLineEdit* txtUsername_ = nullptr;
    QLineEdit* txtPassword_ = nullptr;
    QCheckBox* chkSaveLogin_ = nullptr;
    PictureButton* cmdLogin_ = nullptr;
    PictureButton* cmdExit_ = nullptr;
    QLabel* llblRegister_ = nullptr;
    QLabel* imgHelpDomain_ = nullptr;

    QFrame* frameAdvanced_ = nullptr;
    QComboBox* cboPorts_ = nullptr;
    QCheckBox* chkSSL_ = nullptr;
    QComboBox* cboRefreshRate_ = nullptr;
    PictureButton* cmdOKAdvanced_ = nullptr;
    // The advanced boxes as they were when the panel opened.
    bool openedSSL_ = false;
    int openedPort_ = -1;
    int openedRefreshRate_ = -1;

    QFrame* frmLoggingIn_ = nullptr;

    QFrame* frameExpire_ = nullptr;
    QLabel* lblExpire_ = nullptr;
    PictureButton* cmdExpireOK_ = nullptr;

    CurlTransfer Inet1_;
    bool unloaded_ = false;
};

}  // namespace quillon
