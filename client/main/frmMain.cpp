#include "main/frmMain.h"

#include <QAction>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QFrame>
#include <QGuiApplication>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QScreen>
#include <QTimer>
#include <QTreeWidget>

#include "account/clsUser.h"
#include "cycle/AutoIPCycle.h"
#include "desktop/PageOpener.h"
#include "desktop/ProgramForm.h"
#include "desktop/Twips.h"
#include "diagnostics/ErrorReport.h"
#include "login/frmLogin.h"
#include "main/CSizer.h"
#include "main/EnterKey.h"
#include "main/cSysTray.h"
#include "resources/PictureButton.h"
#include "resources/Resources.h"
#include "settings/SettingsSchema.h"

namespace quillon {

QString sStartTime;

frmMain::frmMain(QWidget* parent)
    : QMainWindow(parent),
      cycle_(std::make_unique<AutoIPCycle>(pending_, session_.writes(), session_.account())) {
    cycle_->stopWhen([this] { return closeAsked_; });
    driver_ = std::make_unique<UpdateDriver>(*cycle_);
    setObjectName(QStringLiteral("frmMain"));
    MarkAsForm(this);
    setWindowTitle(QStringLiteral("Corvane Dynamic DNS"));
    setMainWindowLink(this);
}

void frmMain::ensureBuilt() {
    if (built_) {
        return;
    }
    built_ = true;
    buildMenus();
    central_ = new QWidget(this);
    central_->setObjectName(QStringLiteral("central"));
    setCentralWidget(central_);
    buildTopStrip(central_);
    buildGridFrame(central_);
    buildFreePanel(central_);
    buildEditorFrame(central_);
    buildAdvancedFrame(central_);
    buildTimers();
    buildTray();
    connectHandlers();
    // Last, so that the icon's drawing (startDrawingArtwork) overlaps the building above.
    setWindowIcon(programIcon());
    setTwipsGeometry(twipsLeft(), twipsTop(), kDefaultWidthTwips, kDefaultHeightTwips);

    prepareSizerAndGrid();
}

frmMain::~frmMain() {
    if (mainWindowLink() == this) {
        setMainWindowLink(nullptr);
    }
    delete login_.data();
}

void frmMain::connectHandlers() {
    connect(tmrAuto_, &QTimer::timeout, this, &frmMain::tmrAuto_Timer);
    connect(tmrTimes_, &QTimer::timeout, this, &frmMain::tmrTimes_Timer);

    connect(lvDomainUser_, &QTreeWidget::itemClicked, this, [this] { lvDomainUser_Click(); });
    connect(lvDomainUser_, &QTreeWidget::itemDoubleClicked, this,
            [this] { lvDomainUser_DblClick(); });
    connect(lvDomainUser_->header(), &QHeaderView::sectionClicked, this,
            [this](int section) { lvDomainUser_ColumnClick(section + 1); });

    connect(cmdAddGrid_, &PictureButton::clicked, this, &frmMain::cmdAddGrid_Click);
    connect(cmdDeleteGrid_, &PictureButton::clicked, this, &frmMain::cmdDeleteGrid_Click);
    connect(cmdEditGrid_, &PictureButton::clicked, this, &frmMain::cmdEditGrid_Click);
    connect(cmdAdvancedDomain_, &PictureButton::clicked, this, &frmMain::cmdAdvancedDomain_Click);
    connect(cmdAdvancedFree_, &PictureButton::clicked, this, &frmMain::cmdAdvancedFree_Click);
    connect(cmdOKAdvanced_, &PictureButton::clicked, this, &frmMain::cmdOKAdvanced_Click);
    connect(cmdServerIP_, &PictureButton::clicked, this, &frmMain::cmdServerIP_Click);
    connect(cmdCancel_, &PictureButton::clicked, this, &frmMain::cmdCancel_Click);
    connect(cboRecordType_, &QComboBox::currentIndexChanged, this,
            [this] { cboRecordType_Click(); });
    // The reaction is the user's: EditGrid sets the box to the record's state without it.
    connect(chkDomainAutoIP_, &QCheckBox::clicked, this, &frmMain::chkDomainAutoIP_Click);
    for (QWidget* box : {static_cast<QWidget*>(txtServerIP_), static_cast<QWidget*>(txtPort_),
                         static_cast<QWidget*>(chkDomainAutoIP_)}) {
        OnEnterKey(box, [this] { cmdServerIP_Click(); });
    }

    connectFreePanelHandlers();
    connectMenuHandlers();
}

QString frmMain::userKey() const {
    return store::AccountKey(objUser().sUsername);
}

// --- the status link ---------------------------------------------------------------------

void frmMain::setStatus(const QString& caption, int colour) {
    ensureBuilt();
    statusColour_ = colour;
    lblStatus_->setText(caption);
    // The design's colour values are red + 256 * green + 65536 * blue.
    const QColor colourValue(colour & 0xFF, (colour >> 8) & 0xFF, (colour >> 16) & 0xFF);
    QPalette palette = lblStatus_->palette();
    palette.setColor(QPalette::WindowText, colourValue);
    lblStatus_->setPalette(palette);
}

int frmMain::statusColour() const {
    return statusColour_;
}

void frmMain::setMainEnabled(bool enabled) {
    setEnabled(enabled);
}

// --- window state ------------------------------------------------------------------------

int frmMain::windowStateNumber() const {
    const Qt::WindowStates state = windowState();
    if (state & Qt::WindowMinimized) {
        return 1;
    }
    if (state & Qt::WindowMaximized) {
        return 2;
    }
    return 0;
}

void frmMain::setWindowStateNumber(int state) {
    switch (state) {
        case 1:
            setWindowState(windowState() | Qt::WindowMinimized);
            break;
        case 2:
            setWindowState((windowState() & ~Qt::WindowMinimized) | Qt::WindowMaximized);
            break;
        default:
            setWindowState(windowState() & ~(Qt::WindowMinimized | Qt::WindowMaximized));
            break;
    }
}

// --- window events -----------------------------------------------------------------------

void frmMain::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    Form_Resize();
}

void frmMain::changeEvent(QEvent* event) {
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange) {
        Form_Resize();
    }
}

}  // namespace quillon
