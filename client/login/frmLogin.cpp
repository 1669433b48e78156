#include "login/frmLogin.h"

#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QColor>
#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QShortcut>
#include <algorithm>

#include "Version.h"
#include "account/ProgramFlags.h"
#include "desktop/KeyboardFocus.h"
#include "desktop/LinkControl.h"
#include "desktop/ProgramForm.h"
#include "desktop/Twips.h"
#include "login/LoadAdvancedTabSettings.h"
#include "platform/Endpoints.h"
#include "protocol/Transfer.h"
#include "protocol/basDNS.h"
#include "resources/PictureButton.h"
#include "resources/Resources.h"
#include "settings/SettingsSchema.h"

namespace quillon {

namespace {

// Geometry of the window, in twips. Every panel is as wide as the login panel and lies at the
// same left edge; the covering panels take the login panel's Top and Height when shown.
constexpr int kPanelLeft = 60;
constexpr int kPanelTop = 60;
constexpr int kPanelWidth = 4455;
constexpr int kPanelHeight = 2895;

void place(QWidget* widget, int left, int top, int width, int height) {
    widget->setGeometry(twipsRect(left, top, width, height));
}

QLabel* label(QWidget* parent, const char* name, const QString& caption, int left, int top,
              int width, int height) {
    auto* l = new QLabel(caption, parent);
    l->setObjectName(QLatin1String(name));
    place(l, left, top, width, height);
    return l;
}

// The logo shown at the left of every panel.
QLabel* logoImage(QWidget* parent, const char* name) {
    auto* image = new QLabel(parent);
    image->setObjectName(QLatin1String(name));
    place(image, 120, 240, 960, 960);
    image->setPixmap(logoPicture(std::min(image->width(), image->height())));
    image->setAlignment(Qt::AlignCenter);
    // The service's sign: assistive technology names it as the picture shows it.
    image->setAccessibleName(QStringLiteral("Corvane"));
    return image;
}

// A small question-mark picture that leads to the help page.
QLabel* helpImage(QWidget* parent, const char* name, int left, int top) {
    auto* image = new QLabel(parent);
    image->setObjectName(QLatin1String(name));
    place(image, left, top, 255, 255);
    image->setPixmap(helpPicture(image->size()));
    // Read as "Help", with the tool tip as its description: the name does not say it twice.
    image->setToolTip(QStringLiteral("Click here for help page."));
    image->setAccessibleName(QStringLiteral("Help"));
    return image;
}

QFrame* panel(QWidget* parent, const char* name, int top) {
    auto* frame = new QFrame(parent);
    frame->setObjectName(QLatin1String(name));
    frame->setFrameShape(QFrame::StyledPanel);
    // A covering panel must hide what lies below it.
    frame->setAutoFillBackground(true);
    frame->setGeometry(QRect(twipsToPixels(kPanelLeft), top, twipsToPixels(kPanelWidth),
                             twipsToPixels(kPanelHeight)));
    return frame;
}

}  // namespace

QString frmLogin::defaultCaption() {
    return QStringLiteral("Login  version %1.%2")
        .arg(QUILLON_VERSION_MAJOR)
        .arg(QUILLON_VERSION_MINOR);
}

frmLogin::frmLogin(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmLogin"));
    MarkAsForm(this);
    setWindowTitle(defaultCaption());
    setWindowIcon(programIcon());

    buildMenu();
    buildLoginPanel();
    buildAdvancedPanel();
    buildBusyPanel();
    buildExpirePanel();
    setFixedSize(twipsToPixels(kPanelLeft * 2 + kPanelWidth),
                 frmLogin_->geometry().bottom() + 1 + twipsToPixels(kPanelTop));
    connectHandlers();

    setServiceTransfer(&Inet1_);
    Form_Load();
}

frmLogin::~frmLogin() {
    unregisterServiceTransfer(&Inet1_);
}

void frmLogin::buildMenu() {
    menuBar_ = new QMenuBar(this);
    menuBar_->setObjectName(QStringLiteral("menuBar"));
    mnuHelp_ = menuBar_->addMenu(QStringLiteral("Help"));
    mnuHelp_->setObjectName(QStringLiteral("mnuHelp"));
    mnuAdvanced_ = mnuHelp_->addAction(QStringLiteral("A&dvanced"));
    mnuAdvanced_->setObjectName(QStringLiteral("mnuAdvanced"));
    mnuOnlineHelp_ = mnuHelp_->addAction(QStringLiteral("&Online Help"));
    mnuOnlineHelp_->setObjectName(QStringLiteral("mnuOnlineHelp"));
    mnuRegister_ = mnuHelp_->addAction(QStringLiteral("&Register"));
    mnuRegister_->setObjectName(QStringLiteral("mnuRegister"));
    mnuHelp_->addSeparator()->setObjectName(QStringLiteral("mnuSeperator1"));
    mnuAbout_ = mnuHelp_->addAction(QStringLiteral("&About"));
    mnuAbout_->setObjectName(QStringLiteral("mnuAbout"));
    menuBar_->setGeometry(0, 0, twipsToPixels(kPanelLeft * 2 + kPanelWidth),
                          menuBar_->sizeHint().height());
}

void frmLogin::buildLoginPanel() {
    frmLogin_ =
        panel(this, "frmLogin", menuBar_->geometry().bottom() + 1 + twipsToPixels(kPanelTop));
    // The window and its login panel share the name "frmLogin"; the panel is the QFrame.
    logoImage(frmLogin_, "Image1");
    QLabel* userCaption = label(frmLogin_, "Label1", store::kUsername, 1200, 300, 1035, 255);
    txtUsername_ = new QLineEdit(frmLogin_);
    txtUsername_->setObjectName(QStringLiteral("txtUsername"));
    place(txtUsername_, 2280, 255, 2000, 315);
    QLabel* passwordCaption = label(frmLogin_, "Label2", store::kPassword, 1200, 750, 1035, 255);
    txtPassword_ = new QLineEdit(frmLogin_);
    txtPassword_->setObjectName(QStringLiteral("txtPassword"));
    txtPassword_->setEchoMode(QLineEdit::Password);
    place(txtPassword_, 2280, 705, 2000, 315);
    chkSaveLogin_ = new QCheckBox(QStringLiteral("Save Login"), frmLogin_);
    chkSaveLogin_->setObjectName(QStringLiteral("chkSaveLogin"));
    place(chkSaveLogin_, 2280, 1140, 1455, 255);
    imgHelpDomain_ = helpImage(frmLogin_, "imgHelpDomain", 3990, 1140);
    imgHelpDomain_->setCursor(handCursor());

    cmdLogin_ = new PictureButton(frmLogin_, QStringLiteral("cmdLogin"), QStringLiteral("Label3"),
                                  QStringLiteral("Login"));
    cmdLogin_->setGeometryTwips(1080, 1620, 1200, 375);
    cmdExit_ = new PictureButton(frmLogin_, QStringLiteral("cmdExit"), QStringLiteral("Label4"),
                                 QStringLiteral("Exit"));
    cmdExit_->setGeometryTwips(2520, 1620, 1200, 375);

    llblRegister_ =
        label(frmLogin_, "llblRegister",
              QStringLiteral("First Time Here? Please Register With Us. "), 120, 2280, 4215, 300);
    llblRegister_->setAlignment(Qt::AlignCenter);
    ShowAsLink(llblRegister_, QColor(0x00, 0x00, 0xc0));
    llblRegister_->setCursor(handCursor());

    // Assistive technology names each box by its caption.
    userCaption->setBuddy(txtUsername_);
    passwordCaption->setBuddy(txtPassword_);
    setTabOrder(txtUsername_, txtPassword_);
    setTabOrder(txtPassword_, chkSaveLogin_);
    // The help picture and the register link are links (connectHandlers gives them their
    // action): Tab reaches them in the order they are read.
    imgHelpDomain_->setFocusPolicy(Qt::TabFocus);
    llblRegister_->setFocusPolicy(Qt::TabFocus);
    setTabOrder(chkSaveLogin_, imgHelpDomain_);
    setTabOrder(imgHelpDomain_, cmdLogin_->picture());
    setTabOrder(cmdLogin_->picture(), cmdExit_->picture());
    setTabOrder(cmdExit_->picture(), llblRegister_);
}

void frmLogin::buildAdvancedPanel() {
    frameAdvanced_ = panel(this, "frameAdvanced", frmLogin_->y());
    logoImage(frameAdvanced_, "Image4");
    QLabel* portsCaption =
        label(frameAdvanced_, "Label16", QStringLiteral("Ports:"), 1200, 300, 660, 255);
    cboPorts_ = new QComboBox(frameAdvanced_);
    cboPorts_->setObjectName(QStringLiteral("cboPorts"));
    place(cboPorts_, 1860, 255, 1000, 315);
    chkSSL_ = new QCheckBox(QStringLiteral("Use SSL"), frameAdvanced_);
    chkSSL_->setObjectName(QStringLiteral("chkSSL"));
    place(chkSSL_, 3000, 285, 1335, 255);
    QLabel* rateCaption = label(frameAdvanced_, "Label17",
                                QStringLiteral("Refresh Rate (seconds):"), 1200, 750, 2340, 255);
    cboRefreshRate_ = new QComboBox(frameAdvanced_);
    cboRefreshRate_->setObjectName(QStringLiteral("cboRefreshRate"));
    place(cboRefreshRate_, 3555, 705, 800, 315);
    // The advanced help picture has no action of its own.
    helpImage(frameAdvanced_, "imgHelpAdvanced", 4080, 1680);
    cmdOKAdvanced_ = new PictureButton(frameAdvanced_, QStringLiteral("cmdOKAdvanced"),
                                       QStringLiteral("Label18"), QStringLiteral("Ok"));
    cmdOKAdvanced_->setGeometryTwips(1620, 1620, 1200, 375);
    cmdOKAdvanced_->setKeepsFace(true);
    portsCaption->setBuddy(cboPorts_);
    rateCaption->setBuddy(cboRefreshRate_);
    setTabOrder(cboPorts_, chkSSL_);
    setTabOrder(chkSSL_, cboRefreshRate_);
    setTabOrder(cboRefreshRate_, cmdOKAdvanced_->picture());
    // Escape leaves the panel as it came, saving nothing.
    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), frameAdvanced_);
    escape->setContext(Qt::WidgetWithChildrenShortcut);
    connect(escape, &QShortcut::activated, this, &frmLogin::cancelAdvanced);
    frameAdvanced_->hide();
}

void frmLogin::buildBusyPanel() {
    frmLoggingIn_ = panel(this, "frmLoggingIn", frmLogin_->y());
    logoImage(frmLoggingIn_, "Image2");
    QLabel* lblLogginIn =
        label(frmLoggingIn_, "lblLogginIn", QStringLiteral("Logging In.  "), 1320, 540, 3000, 375);
    QFont big = lblLogginIn->font();
    big.setPointSizeF(big.pointSizeF() * 1.4);
    big.setBold(true);
    lblLogginIn->setFont(big);
    label(frmLoggingIn_, "lblWait", QStringLiteral("Please Wait ..."), 1320, 1020, 3000, 300);
    frmLoggingIn_->hide();
}

void frmLogin::buildExpirePanel() {
    frameExpire_ = panel(this, "frameExpire", frmLogin_->y());
    logoImage(frameExpire_, "Image3");
    lblExpire_ = label(frameExpire_, "lblExpire",
                       QStringLiteral("Your Account has expired. Please contact Corvane support "
                                      "to reactivate account..."),
                       1200, 240, 3135, 1200);
    lblExpire_->setWordWrap(true);
    lblExpire_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    lblExpire_->setCursor(handCursor());
    cmdExpireOK_ = new PictureButton(frameExpire_, QStringLiteral("cmdExpireOK"),
                                     QStringLiteral("Label5"), QStringLiteral("Ok"));
    cmdExpireOK_->setGeometryTwips(1620, 1620, 1200, 375);
    cmdExpireOK_->setKeepsFace(true);
    frameExpire_->hide();
}

void frmLogin::connectHandlers() {
    connect(cmdLogin_, &PictureButton::clicked, this, &frmLogin::cmdLogin_Click);
    connect(cmdExit_, &PictureButton::clicked, this, &frmLogin::cmdExit_Click);
    connect(cmdOKAdvanced_, &PictureButton::clicked, this, &frmLogin::cmdOKAdvanced_Click);
    connect(cmdExpireOK_, &PictureButton::clicked, this, &frmLogin::cmdExpireOK_Click);
    // The box's toggled signal fires for a user's click and for a tick set in code alike,
    // as the settings load expects.
    connect(chkSSL_, &QCheckBox::toggled, this, &frmLogin::chkSSL_Click);
    connect(mnuAdvanced_, &QAction::triggered, this, &frmLogin::mnuAdvanced_Click);
    connect(mnuOnlineHelp_, &QAction::triggered, this, &frmLogin::mnuOnlineHelp_Click);
    connect(mnuRegister_, &QAction::triggered, this, &frmLogin::mnuRegister_Click);
    connect(mnuAbout_, &QAction::triggered, this, &frmLogin::mnuAbout_Click);

    MakeLink(llblRegister_, [this] { mnuRegister_Click(); });
    MakeLink(imgHelpDomain_, [this] { mnuOnlineHelp_Click(); });
    MakeLink(lblExpire_, [this] { lblExpire_Click(); });
    // The Ok takes the focus when the notice shows; the support link follows it.
    setTabOrder(cmdExpireOK_->picture(), lblExpire_);

    // Enter in the password box, the face of the two Ok buttons (which keep their picture) and
    // the covering panels' showing and hiding are handled in eventFilter.
    for (QObject* watched :
         {static_cast<QObject*>(txtPassword_), static_cast<QObject*>(frameAdvanced_),
          static_cast<QObject*>(frmLoggingIn_), static_cast<QObject*>(frameExpire_),
          static_cast<QObject*>(cmdOKAdvanced_->picture()),
          static_cast<QObject*>(cmdOKAdvanced_->label()),
          static_cast<QObject*>(cmdExpireOK_->picture()),
          static_cast<QObject*>(cmdExpireOK_->label())}) {
        watched->installEventFilter(this);
    }
}

void frmLogin::Form_Load() {
    // The overrides must be in force before the first address is formed. A key that cannot be
    // read is reported once, by the settings load below.
    LoadEndpointOverrides();
    sServiceURL = DefaultServiceURL();
    LoadAdvancedTabSettings(this);
}

void frmLogin::setSavedLogin(const QString& username, const QString& password) {
    chkSaveLogin_->setChecked(true);
    txtUsername_->setText(username);
    txtPassword_->setText(password);
}

void frmLogin::showOverLogin(QFrame* panel) {
    panel->setGeometry(panel->x(), frmLogin_->y(), panel->width(), frmLogin_->height());
    panel->raise();
    if (panel == frameExpire_) {
        // The Ok that takes the focus tells why it is there, and the notice is announced.
        cmdExpireOK_->picture()->setAccessibleDescription(lblExpire_->text());
    }
    panel->show();
    if (panel == frameExpire_) {
        QAccessibleEvent alert(lblExpire_, QAccessible::Alert);
        QAccessible::updateAccessibility(&alert);
    }
    // The keyboard goes with what the user sees: into the panel that now covers the boxes.
    FocusFirstControl(panel);
}

void frmLogin::coverLoginPanel() {
    const bool covered =
        !frameAdvanced_->isHidden() || !frmLoggingIn_->isHidden() || !frameExpire_->isHidden();
    // What a panel covers is hidden with it: out of the Tab order, not reported as showing,
    // and deaf to keys.
    frmLogin_->setVisible(!covered);
    if (!covered && isVisible()) {
        QWidget* focus = focusWidget();
        if (focus == nullptr || !focus->isVisible()) {
            FocusFirstControl(frmLogin_);
        }
    }
}

bool frmLogin::loginPanelShowing() const {
    return !frmLogin_->isHidden() && frameAdvanced_->isHidden() && frmLoggingIn_->isHidden() &&
           frameExpire_->isHidden();
}

void frmLogin::Unload() {
    if (unloaded_) {
        return;
    }
    unloaded_ = true;
    done(bLoggedIn ? QDialog::Accepted : QDialog::Rejected);
    deleteLater();
}

}  // namespace quillon
