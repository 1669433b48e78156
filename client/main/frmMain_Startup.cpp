#include <QAction>
#include <QComboBox>
#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QScreen>
#include <QTimer>
#include <QTreeWidget>

#include "Version.h"
#include "account/ProgramFlags.h"
#include "account/clsUser.h"
#include "desktop/AfterFirstPaint.h"
#include "desktop/FillComboFromList.h"
#include "desktop/Twips.h"
#include "diagnostics/ErrorReport.h"
#include "login/ExitWindows.h"
#include "login/LoadAdvancedTabSettings.h"
#include "login/frmLogin.h"
#include "main/CSizer.h"
#include "main/cSysTray.h"
#include "main/frmMain.h"
#include "platform/Clock.h"
#include "protocol/basDNS.h"
#include "registry/Registry.h"
#include "registry/ReleaseIdleMemory.h"
#include "resources/PictureButton.h"
#include "settings/SavedPassword.h"
#include "settings/SettingsSchema.h"
#include "settings/StoredNumber.h"

// Start-up: Form_Load, the automatic or interactive login, the restore loop of the user key,
// and init, which fills the window for the account that logged in.

namespace quillon {

namespace {

struct Column {
    const char* header;
    int widthTwips;
};
constexpr Column kColumns[] = {
    {"Domain", 2200}, {"Type", 1000}, {"Name", 1800}, {"Server Address", 2200}, {"AutoIP", 800},
};

// The grid column whose width the value `name` holds, or -1.
int storedColumn(const QString& name) {
    for (int column = 0; column < 5; ++column) {
        if (name == store::ColumnWidthValue(column)) {
            return column;
        }
    }
    return -1;
}

}  // namespace

void frmMain::registerSizerControls() {
    for (QWidget* w :
         {static_cast<QWidget*>(Label7_), static_cast<QWidget*>(lblIPAddress_),
          static_cast<QWidget*>(lblStatusH_), static_cast<QWidget*>(lblStatus_),
          static_cast<QWidget*>(Label11_), static_cast<QWidget*>(lblUpTime_),
          static_cast<QWidget*>(Label20_), static_cast<QWidget*>(lblLastIPCheck_),
          static_cast<QWidget*>(Label22_), static_cast<QWidget*>(lblTimesIPChanged_)}) {
        m_Sizer->Add(w, 1);
    }
    m_Sizer->Add(frmTop_, 4);
    m_Sizer->Add(frmIPStatus_, 4);
    m_Sizer->Add(frameGrid_, 12);
    m_Sizer->Add(lvDomainUser_, 12);
    for (QWidget* w : {cmdAddGrid_->picture(), cmdDeleteGrid_->picture(), cmdEditGrid_->picture(),
                       cmdAdvancedDomain_->picture(), static_cast<QLabel*>(imgHelpGrid_)}) {
        m_Sizer->Add(w, 3);
    }
}

// The sizer over the built controls and the grid's five columns, as the window opens.
void frmMain::prepareSizerAndGrid() {
    m_Sizer = std::make_unique<CSizer>();
    m_Sizer->Create(this, twipsHeight(), twipsWidth());
    registerSizerControls();

    lvDomainUser_->clear();
    lvDomainUser_->setColumnCount(0);
    QStringList headers;
    for (const Column& column : kColumns) {
        headers.append(QLatin1String(column.header));
    }
    lvDomainUser_->setHeaderLabels(headers);
    for (int i = 0; i < lvDomainUser_->columnCount(); ++i) {
        setColumnTwips(i, kColumns[i].widthTwips);
    }
}

void frmMain::setColumnTwips(int column, int twips) {
    if (column < 0 || column >= 5) {
        return;
    }
    columnTwips_[column] = twips;
    lvDomainUser_->setColumnWidth(column, twipsToPixels(twips));
}

int frmMain::columnTwips(int column) const {
    if (column < 0 || column >= 5) {
        return 0;
    }
    const int pixels = lvDomainUser_->columnWidth(column);
    return pixels == twipsToPixels(columnTwips_[column]) ? columnTwips_[column]
                                                         : pixelsToTwips(pixels);
}

bool frmMain::Form_Load() {
    try {
        bExiting = false;
        bExitRequested = false;
        bLogOffRequested = false;
        sSelectedRecord.clear();

        if (!login_) {
            login_ = new frmLogin;
        }
        login_->setWindowTitle(frmLogin::defaultCaption());

        // The "Hand" pointer is set on every control that shows it (buttons, help images).

        const QRect screen = QGuiApplication::primaryScreen()->geometry();
        const int width = kDefaultWidthTwips;
        const int height = kDefaultHeightTwips;
        setTwipsGeometry((pixelsToTwips(screen.width()) - width) / 2,
                         (pixelsToTwips(screen.height()) - height) / 2 - 500, width, height);

        // The main window's controls are built once the login window shows, unless the login
        // needs them first (a saved login, the status it sets).
        AfterFirstPaint(login_, this, [this] { ensureBuilt(); });
        runLogin();
        ensureBuilt();

        if (OpenWindows().isEmpty() || !bLoggedIn) {
            return false;
        }

        setWindowTitle(QStringLiteral("Corvane Dynamic DNS version %1.%2 Rev %3")
                           .arg(QUILLON_VERSION_MAJOR)
                           .arg(QUILLON_VERSION_MINOR)
                           .arg(QUILLON_VERSION_REVISION));

        restoreUserSettings();
        init();
        return showTrayAfterStart();
    } catch (const ClientError& error) {
        ErrorReport(QStringLiteral("frmMain.form_load()"), error);
        if (OpenWindows().isEmpty() || !bLoggedIn) {
            return false;
        }
        // Logged in, but a later step failed (the stored layout, say): the program goes on with
        // what it has rather than run on without a window or a timer.
        init();
        return showTrayAfterStart();
    }
}

// The connected icon goes into the tray, unless a failed exchange of the start has put the other
// one there. False when the window was closed meanwhile (a termination signal during a message).
bool frmMain::showTrayAfterStart() {
    if (property("quillonUnloaded").toBool()) {
        return false;
    }
    if (!cSysTrayOff_->intray()) {
        cSysTrayOn_->setIntray(true);
    }
    return true;
}

// Fills the login window with the saved login, when there is one.
bool frmMain::fillSavedLogin() {
    Registry reg;
    reg.setKey(store::kInitKey);
    if (reg.getValue(store::kSaveLogin) != QLatin1String("1")) {
        return false;
    }
    const QString username = reg.getValue(store::kUsername);
    const QString password = LoadSavedPassword(reg, username).password;
    bSaveLogin = true;
    login_->setSavedLogin(username, password);
    // A keyring that did not give the password (locked, refused, silent) fails the automatic
    // login as a wrong password would: the login window shows.
    return !password.isEmpty();
}

// Logs in with the saved login when there is one, and through the login window when there is
// none or it failed.
void frmMain::runLogin() {
    const bool saved = fillSavedLogin();
    if (saved) {
        login_->cmdLogin_Click();
    }
    if ((!saved || !bLoggedIn) && login_ && !login_->isUnloaded()) {
        ReleaseIdleMemory();  // the start's work is done; the login window may wait long
        login_->exec();
    }
}

// Applies the user key's values by their exact names, in the key's enumeration order.
void frmMain::restoreUserSettings() {
    int storedState = 0;
    TwipsGeometry geometry{twipsLeft(), twipsTop(), twipsWidth(), twipsHeight()};
    // Only numbers are ever written to these values; anything else is passed over.
    ForEachStoredNumber(userKey(), [&](const QString& name, int number) {
        if (geometry.apply(name, number)) {
            return;
        }
        if (name == store::kWindowState) {
            storedState = number;
        } else if (const int column = storedColumn(name); column >= 0) {
            setColumnTwips(column, number);
        } else if (name == store::kSortCol) {
            sortKey_ = static_cast<qint16>(number);
        } else if (name == store::kSortOrder) {
            sortOrder_ = number;
        } else if (name == store::kSorted) {
            sorted_ = number != 0;
        }
    });
    setTwipsGeometry(geometry.left, geometry.top, geometry.width, geometry.height);
    setWindowStateNumber(storedState);
    // After a Log Off the window may be in another mode, holding the previous account's grid
    // state for its return to the grid: the return, and the next write, are this account's.
    savedWindowState_ = storedState == 2 ? 2 : 0;
    writtenWindowState_ = storedState;
}

void frmMain::init() {
    session_.forgetMarks();
    session_.setAccount(objUser().sUsername);
    try {
        if (!tmrAuto_->isActive()) {
            tmrAuto_->start();
        }
        clsUser& user = objUser();
        lblIPAddress_->setText(user.sIPAddress);
        startTime_ = Now();
        const QLocale locale;
        sStartTime = locale.toString(startTime_.date(), QLocale::ShortFormat) + QLatin1Char(' ') +
                     locale.toString(startTime_.time(), QLocale::LongFormat);
        lblExpirationDate_->setText(user.sExpirationDate);

        Registry reg;
        reg.setKey(userKey());
        LoadAdvancedTabSettings(this);

        if (!user.sSubDomain.isEmpty()) {
            user.bCorvaneOnly = true;
            mnuAddDomain_->setVisible(false);
            ShowFrame(QStringLiteral("Corvane"));
            show();
            return;
        }
        user.bCorvaneOnly = false;
        mnuAddDomain_->setVisible(true);
        session_.loadMarksAndPending(reg);
        ShowFrame(QStringLiteral("Grid"));
        show();
        FillComboFromList(cboDomain_, user.sDomainList);
        FillComboFromList(cboRecordType_, user.sRecordTypeList);
        if (user.sUserLevel == QLatin1String("5")) {
            cboRecordType_->addItem(QStringLiteral("Port Relay"));
        }
        txtCName_->setText(user.sUsername);
        FillDomainUserGrid();
    } catch (const ClientError& error) {
        ErrorReport(QStringLiteral("frmMain.init()"), error);
    }
}

}  // namespace quillon
