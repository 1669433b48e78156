#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QFrame>
#include <QHeaderView>
#include <QHelpEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QShortcut>
#include <QTimer>
#include <QToolTip>
#include <QTreeWidget>
#include <QtMath>
#include <functional>

#include "desktop/FittingText.h"
#include "desktop/Twips.h"
#include "main/cSysTray.h"
#include "main/frmMain.h"
#include "platform/Autostart.h"
#include "resources/PictureButton.h"
#include "resources/Resources.h"

// Building the main window's controls. Positions and sizes are the design's, in twips,
// relative to the control's container.

namespace quillon {

namespace {

void place(QWidget* widget, int left, int top, int width, int height) {
    widget->setGeometry(twipsRect(left, top, width, height));
}

template <typename T>
T* named(T* widget, const char* name) {
    widget->setObjectName(QLatin1String(name));
    return widget;
}

QLabel* label(QWidget* parent, const char* name, const QString& caption, int left, int top,
              int width, int height) {
    auto* l = named(new QLabel(caption, parent), name);
    place(l, left, top, width, height);
    return l;
}

QFrame* frame(QWidget* parent, const char* name, int left, int top, int width, int height,
              bool bordered = true) {
    auto* f = named(new QFrame(parent), name);
    if (bordered) {
        f->setFrameShape(QFrame::StyledPanel);
    }
    place(f, left, top, width, height);
    return f;
}

QCheckBox* checkBox(QWidget* parent, const char* name, const QString& caption, int left, int top,
                    int width, int height) {
    auto* c = named(new QCheckBox(caption, parent), name);
    place(c, left, top, width, height);
    return c;
}

QComboBox* comboBox(QWidget* parent, const char* name, int left, int top, int width, int height) {
    // A fixed-choice list: the user picks an item and cannot type.
    auto* c = named(new QComboBox(parent), name);
    c->setEditable(false);
    place(c, left, top, width, height);
    return c;
}

QLineEdit* textBox(QWidget* parent, const char* name, int left, int top, int width, int height) {
    auto* t = named(new QLineEdit(parent), name);
    place(t, left, top, width, height);
    return t;
}

PictureButton* button(QWidget* parent, const char* picture, const char* caption,
                      const QString& text, int left, int top) {
    auto* b = new PictureButton(parent, QLatin1String(picture), QLatin1String(caption), text);
    b->setGeometryTwips(left, top, 1335, 375);
    return b;
}

// Tab goes through the controls in the order given.
void chainTabOrder(std::initializer_list<QWidget*> controls) {
    QWidget* previous = nullptr;
    for (QWidget* control : controls) {
        if (previous != nullptr) {
            QWidget::setTabOrder(previous, control);
        }
        previous = control;
    }
}

// A question-mark picture that leads to the help page.
QLabel* helpImage(QWidget* parent, const char* name, int left, int top) {
    auto* image = named(new QLabel(parent), name);
    place(image, left, top, 405, 405);
    image->setPixmap(helpPicture(image->size()));
    image->setAlignment(Qt::AlignCenter);
    // Read as "Help", with the tool tip as its description: the name does not say it twice.
    image->setToolTip(QStringLiteral("Click here for help page."));
    image->setAccessibleName(QStringLiteral("Help"));
    image->setCursor(handCursor());
    // A link to the help page (its action is connected with the menus): Tab reaches it.
    image->setFocusPolicy(Qt::TabFocus);
    return image;
}

// Escape anywhere in the frame runs `action`.
void onEscape(QWidget* frame, std::function<void()> action) {
    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), frame);
    escape->setContext(Qt::WidgetWithChildrenShortcut);
    QObject::connect(escape, &QShortcut::activated, frame, std::move(action));
}

// A box whose caption its width cuts shows the whole caption as its tip. The tip is shown
// here rather than set as the box's tool tip, which assistive technology would read out again
// after the caption.
void tipWhenCut(QAbstractButton* box) {
    class TipFilter : public QObject {
      public:
        explicit TipFilter(QAbstractButton* box) : QObject(box), box_(box) {
            box->installEventFilter(this);
        }
        bool eventFilter(QObject*, QEvent* event) override {
            if (event->type() != QEvent::ToolTip) {
                return false;
            }
            if (box_->sizeHint().width() > box_->width()) {
                QToolTip::showText(static_cast<QHelpEvent*>(event)->globalPos(), box_->text(),
                                   box_);
            } else {
                QToolTip::hideText();
            }
            return true;
        }

      private:
        QAbstractButton* box_;
    };
    new TipFilter(box);
}

// The top strip's banner: the logo with the service's name beside it.
QPixmap banner(const QSize& size) {
    // Drawn at the screen's pixel ratio: the text in it stays as sharp as the window's own.
    const qreal ratio = qApp->devicePixelRatio();
    QPixmap pixmap(QSize(qCeil(size.width() * ratio), qCeil(size.height() * ratio)));
    pixmap.setDevicePixelRatio(ratio);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    const int side = size.height();
    painter.drawPixmap(QRect(0, 0, side, side), logoPicture(side));
    QFont font = painter.font();
    font.setBold(true);
    font.setPixelSize(side * 2 / 5);
    painter.setFont(font);
    painter.setPen(QColor(0x10, 0x2a, 0x4a));
    const QRect textArea(side + side / 6, 0, size.width() - side - side / 6, side * 3 / 5);
    painter.drawText(textArea, Qt::AlignLeft | Qt::AlignBottom, QStringLiteral("Corvane"));
    font.setBold(false);
    font.setPixelSize(side / 4);
    painter.setFont(font);
    painter.drawText(QRect(textArea.left(), side * 3 / 5, textArea.width(), side * 2 / 5),
                     Qt::AlignLeft | Qt::AlignTop, QStringLiteral("Dynamic DNS"));
    return pixmap;
}

// Paints the banner into its label, at the label's size when built, the first time the label
// is shown (every child is shown before its window is mapped, so the banner is there from the
// first paint). The banner needs a bold font of its own, and the main window does not appear
// before the login: drawing it at once delayed the login window.
void paintBannerOnFirstShow(QLabel* label) {
    class Painter : public QObject {
      public:
        Painter(QLabel* label, QSize size) : QObject(label), size_(size) {
            label->installEventFilter(this);
        }
        bool eventFilter(QObject* watched, QEvent* event) override {
            if (event->type() == QEvent::Show) {
                auto* label = static_cast<QLabel*>(watched);
                label->removeEventFilter(this);
                label->setPixmap(banner(size_));
                deleteLater();
            }
            return false;
        }

      private:
        QSize size_;
    };
    new Painter(label, label->size());
}

}  // namespace

void frmMain::buildMenus() {
    QMenuBar* bar = menuBar();
    bar->setObjectName(QStringLiteral("menuBar"));
    mnuFile_ = named(bar->addMenu(QStringLiteral("File")), "mnuFile");
    mnuAddDomain_ = named(mnuFile_->addAction(QStringLiteral("&Add Domain")), "mnuAddDomain");
    mnuLogin_ = named(mnuFile_->addAction(QStringLiteral("&Log Off")), "mnuLogin");
    named(mnuFile_->addSeparator(), "mnuSeperator1");
    mnuLogout_ = named(mnuFile_->addAction(QStringLiteral("E&xit")), "mnuLogout");

    mnuHelp_ = named(bar->addMenu(QStringLiteral("Help")), "mnuHelp");
    mnuOnlineHelp_ = named(mnuHelp_->addAction(QStringLiteral("&Online Help")), "mnuOnlineHelp");
    named(mnuHelp_->addSeparator(), "mnuSeperator2");
    mnuAbout_ = named(mnuHelp_->addAction(QStringLiteral("&About")), "mnuAbout");

    // The tray's menu: never part of the menu bar.
    mnuPopup_ = named(new QMenu(QStringLiteral("Popup"), this), "mnuPopup");
    named(mnuPopup_->addAction(QStringLiteral("&Hide")), "mnuPopupHide");
    named(mnuPopup_->addAction(QStringLiteral("&Log Off")), "mnuPopupLogOff");
    named(mnuPopup_->addAction(QStringLiteral("&Show")), "mnuPopupShow");
    named(mnuPopup_->addSeparator(), "mnuSeperator3");
    named(mnuPopup_->addAction(QStringLiteral("&About")), "mnuPopupAbout");
    named(mnuPopup_->addSeparator(), "mnuSeperator4");
    named(mnuPopup_->addAction(QStringLiteral("E&xit")), "mnuPopupExit");
}

void frmMain::buildTopStrip(QWidget* central) {
    frmTop_ = frame(central, "frmTop", 120, 120, 8535, 1500, false);
    Image1_ = label(frmTop_, "Image1", QString(), 120, 120, 2985, 945);
    paintBannerOnFirstShow(Image1_);
    // The banner is the window's only copy of the service's name: it is read out as it shows.
    Image1_->setAccessibleName(QStringLiteral("Corvane Dynamic DNS"));
    Label21_ =
        label(frmTop_, "Label21", QStringLiteral("Your Account Expires on:"), 120, 1140, 2400, 255);
    lblExpirationDate_ = label(frmTop_, "lblExpirationDate", QString(), 2580, 1140, 1560, 255);

    frmIPStatus_ = frame(frmTop_, "frmIPStatus", 4200, 85, 4095, 1305);
    // Five caption/value pairs, one a line; the captions are right-aligned against the values.
    struct Pair {
        QLabel** caption;
        const char* captionName;
        const char* captionText;
        QLabel** value;
        const char* valueName;
        const char* valueText;
    };
    const Pair pairs[] = {
        {&Label7_, "Label7", "Current IPAddress:", &lblIPAddress_, "lblIPAddress", ""},
        {&lblStatusH_, "lblStatusH", "Connection Status:", &lblStatus_, "lblStatus", "Connected"},
        {&Label11_, "Label11", "Current Up Time:", &lblUpTime_, "lblUpTime", "0"},
        {&Label20_, "Label20", "Last IP Check:", &lblLastIPCheck_, "lblLastIPCheck", ""},
        {&Label22_, "Label22", "Total Transactions:", &lblTimesIPChanged_, "lblTimesIPChanged",
         "0"},
    };
    int top = 75;
    for (const Pair& pair : pairs) {
        *pair.caption = label(frmIPStatus_, pair.captionName, QLatin1String(pair.captionText), 60,
                              top, 1740, 240);
        (*pair.caption)->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        *pair.value = label(frmIPStatus_, pair.valueName, QLatin1String(pair.valueText), 1860, top,
                            2160, 240);
        top += 240;
    }
    QFont bold = lblStatus_->font();
    bold.setBold(true);
    lblStatus_->setFont(bold);
    // "Not Connected with Server" in bold is wider than the status frame leaves it.
    KeepTextWithinWidth(lblStatus_);
    setStatus(QLatin1String(kStatusConnected), kStatusColourConnected);
}

void frmMain::buildGridFrame(QWidget* central) {
    frameGrid_ = frame(central, "frameGrid", 120, 1800, 8535, 4335);
    lvDomainUser_ = named(new QTreeWidget(frameGrid_), "lvDomainUser");
    place(lvDomainUser_, 120, 240, 8295, 3375);
    // Report view: rows without a tree, whole-row selection, one row at a time, rows that the
    // user cannot rename; the header sorts through lvDomainUser_ColumnClick only.
    lvDomainUser_->setRootIsDecorated(false);
    lvDomainUser_->setItemsExpandable(false);
    lvDomainUser_->setUniformRowHeights(true);
    lvDomainUser_->setAllColumnsShowFocus(true);
    lvDomainUser_->setSelectionBehavior(QAbstractItemView::SelectRows);
    lvDomainUser_->setSelectionMode(QAbstractItemView::SingleSelection);
    lvDomainUser_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    lvDomainUser_->setAlternatingRowColors(true);
    lvDomainUser_->setSortingEnabled(false);
    lvDomainUser_->header()->setSectionsClickable(true);
    lvDomainUser_->header()->setStretchLastSection(false);
    lvDomainUser_->header()->setSortIndicatorShown(false);
    // The list has no caption of its own on the frame.
    lvDomainUser_->setAccessibleName(QStringLiteral("DNS records"));

    cmdAddGrid_ = button(frameGrid_, "cmdAddGrid", "Label9", QStringLiteral("Add"), 240, 3780);
    cmdDeleteGrid_ =
        button(frameGrid_, "cmdDeleteGrid", "Label12", QStringLiteral("Delete"), 1920, 3780);
    cmdEditGrid_ = button(frameGrid_, "cmdEditGrid", "Label13", QStringLiteral("Edit"), 3600, 3780);
    cmdAdvancedDomain_ =
        button(frameGrid_, "cmdAdvancedDomain", "Label14", QStringLiteral("Advanced"), 6000, 3780);
    imgHelpGrid_ = helpImage(frameGrid_, "imgHelpGrid", 7560, 3780);
    chainTabOrder({lvDomainUser_, cmdAddGrid_->picture(), cmdDeleteGrid_->picture(),
                   cmdEditGrid_->picture(), cmdAdvancedDomain_->picture(), imgHelpGrid_});
    followCurrentRow();
}

void frmMain::buildFreePanel(QWidget* central) {
    frameCorvaneDomain_ = frame(central, "frameCorvaneDomain", 120, 1800, 8535, 1335);
    label(frameCorvaneDomain_, "Label4", QStringLiteral("Domain:"), 240, 240, 900, 375);
    lblDomain_ = label(frameCorvaneDomain_, "lblDomain", QString(), 1200, 240, 3000, 375);
    QLabel* ipCaption =
        label(frameCorvaneDomain_, "Label3", QStringLiteral("IPAddress:"), 240, 645, 1140, 375);
    txtCorvaneIP_ = textBox(frameCorvaneDomain_, "txtCorvaneIP", 1440, 600, 2655, 375);
    ipCaption->setBuddy(txtCorvaneIP_);
    chkAutoIP_ = checkBox(frameCorvaneDomain_, "chkAutoIP",
                          QStringLiteral("Automatic IP Resolution"), 5520, 60, 2715, 255);
    cmdCorvaneSetIP_ = button(frameCorvaneDomain_, "cmdCorvaneSetIP", "Label1",
                              QStringLiteral("Update/Add"), 5535, 405);
    cmdAdvancedFree_ = button(frameCorvaneDomain_, "cmdAdvancedFree", "Label15",
                              QStringLiteral("Advanced"), 5535, 840);
    imgHelpFree_ = helpImage(frameCorvaneDomain_, "imgHelpFree", 7560, 555);
    chainTabOrder({txtCorvaneIP_, chkAutoIP_, cmdCorvaneSetIP_->picture(),
                   cmdAdvancedFree_->picture(), imgHelpFree_});
    frameCorvaneDomain_->hide();
}

void frmMain::buildEditorFrame(QWidget* central) {
    frameOtherDomain_ = frame(central, "frameOtherDomain", 120, 3120, 8535, 2055);
    QWidget* f = frameOtherDomain_;
    QLabel* domainCaption = label(f, "Label2", QStringLiteral("Domain:"), 240, 270, 1500, 255);
    cboDomain_ = comboBox(f, "cboDomain", 1800, 240, 2655, 315);
    QLabel* typeCaption = label(f, "Label8", QStringLiteral("Record Type:"), 240, 630, 1500, 255);
    cboRecordType_ = comboBox(f, "cboRecordType", 1800, 600, 2655, 315);
    Label10_ = label(f, "Label10", QStringLiteral("Name:"), 240, 1020, 1500, 255);
    Label10_->setToolTip(
        QStringLiteral("Leave blank when changing or adding mx record for root domain address."));
    txtCName_ = textBox(f, "txtCName", 1800, 960, 2655, 375);
    lblServerAddress_ =
        label(f, "lblServerAddress", QStringLiteral("Pointing To:"), 240, 1500, 1500, 255);
    txtServerIP_ = textBox(f, "txtServerIP", 1800, 1440, 2655, 375);
    lblPort_ = label(f, "lblPort", QStringLiteral("Port:"), 4920, 1500, 555, 255);
    txtPort_ = textBox(f, "txtPort", 5520, 1440, 735, 375);
    lblPort_->hide();
    txtPort_->hide();
    // Wide enough for its caption in the desktop's font; nothing stands to its right.
    chkDomainAutoIP_ = checkBox(f, "chkDomainAutoIP", QStringLiteral("Automatic IP Resolution"),
                                5520, 100, 2895, 375);
    cmdServerIP_ = button(f, "cmdServerIP", "Label5", QStringLiteral("Update/Add"), 5520, 550);
    cmdCancel_ = button(f, "cmdCancel", "Label6", QStringLiteral("Cancel"), 5520, 960);
    imgHelpDomainEditor_ = helpImage(f, "imgHelpDomain", 7560, 720);
    // Assistive technology names each box by its caption (and follows the caption when the
    // record type changes it).
    domainCaption->setBuddy(cboDomain_);
    typeCaption->setBuddy(cboRecordType_);
    Label10_->setBuddy(txtCName_);
    lblServerAddress_->setBuddy(txtServerIP_);
    lblPort_->setBuddy(txtPort_);
    chainTabOrder({cboDomain_, cboRecordType_, txtCName_, txtServerIP_, txtPort_, chkDomainAutoIP_,
                   cmdServerIP_->picture(), cmdCancel_->picture(), imgHelpDomainEditor_});
    onEscape(frameOtherDomain_, [this] { cmdCancel_Click(); });
    frameOtherDomain_->hide();
}

void frmMain::buildAdvancedFrame(QWidget* central) {
    frameAdvanced_ = frame(central, "frameAdvanced", 120, 5280, 8535, 2775);
    QWidget* f = frameAdvanced_;
    // The SSL box is as wide as its caption, so that the autostart box fits beside it: the
    // only line free across the frame's width in both account kinds' modes.
    chkSSL_ =
        checkBox(f, "chkSSL", QStringLiteral("Use SSL Secure Update (May effect update speed)"),
                 240, 0, 5040, 375);
    chkAutostart_ = checkBox(f, "chkAutostart", QStringLiteral("Start with the desktop session"),
                             5280, 0, 3135, 375);
    chkAutostart_->setChecked(AutostartEnabled());
    QLabel* portsCaption =
        label(f, "Label16", QStringLiteral("Alternate Ports:"), 240, 510, 2520, 255);
    cboPorts_ = comboBox(f, "cboPorts", 2880, 480, 1575, 315);
    QLabel* rateCaption =
        label(f, "Label17", QStringLiteral("Refresh Rate (seconds):"), 240, 870, 2520, 255);
    cboRefreshRate_ = comboBox(f, "cboRefreshRate", 2880, 840, 1575, 315);
    portsCaption->setBuddy(cboPorts_);
    rateCaption->setBuddy(cboRefreshRate_);
    // The alias captions hold the whole host name: both columns are as wide as the frame
    // allows, and each box shows its caption as a tool tip should it still be cut off.
    chkMX_ = checkBox(f, "chkMX", QStringLiteral("Add MX Record"), 240, 1440, 3300, 300);
    chkFTP_ = checkBox(f, "chkFTP", QString(), 240, 1680, 3300, 300);
    chkMail_ = checkBox(f, "chkMail", QString(), 240, 1920, 3300, 300);
    chkTelnet_ = checkBox(f, "chkTelnet", QString(), 240, 2160, 3300, 300);
    chkVNC_ = checkBox(f, "chkVNC", QString(), 240, 2400, 3300, 300);
    chkWWW_ = checkBox(f, "chkWWW", QString(), 3600, 1440, 4815, 300);
    chkIRC_ = checkBox(f, "chkIRC", QString(), 3600, 1680, 4815, 300);
    chkPCAW_ = checkBox(f, "chkPCAW", QString(), 3600, 1920, 4815, 300);
    cmdOKAdvanced_ = button(f, "cmdOKAdvanced", "Label18", QStringLiteral("Done"), 5760, 1920);
    imgHelpDomainAdvanced_ = helpImage(f, "imgHelpDomain", 7560, 480);
    chainTabOrder({chkSSL_, chkAutostart_, cboPorts_, cboRefreshRate_, chkMX_, chkFTP_, chkMail_,
                   chkTelnet_, chkVNC_, chkWWW_, chkIRC_, chkPCAW_, cmdOKAdvanced_->picture(),
                   imgHelpDomainAdvanced_});
    onEscape(frameAdvanced_, [this] { cmdOKAdvanced_Click(); });
    for (QCheckBox* alias : {chkFTP_, chkMail_, chkTelnet_, chkVNC_, chkWWW_, chkIRC_, chkPCAW_}) {
        tipWhenCut(alias);
    }
    frameAdvanced_->hide();
}

void frmMain::buildTimers() {
    tmrAuto_ = named(new QTimer(this), "tmrAuto");
    tmrAuto_->setInterval(10000);  // enabled by init
    tmrTimes_ = named(new QTimer(this), "tmrTimes");
    tmrTimes_->setInterval(1000);
    tmrTimes_->start();
}

void frmMain::buildTray() {
    const QString tip = QStringLiteral("Corvane Dynamic DNS Services.");
    // The icons are drawn when a tray first shows one.
    cSysTrayOff_ = new cSysTray(QStringLiteral("cSysTrayOff"), &trayIconNotConnected, tip, this);
    cSysTrayOn_ = new cSysTray(QStringLiteral("cSysTrayOn"), &trayIconConnected, tip, this);
}

}  // namespace quillon
