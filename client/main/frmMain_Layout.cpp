#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <algorithm>

#include "account/clsUser.h"
#include "desktop/KeyboardFocus.h"
#include "desktop/Twips.h"
#include "desktop/WindowFrame.h"
#include "diagnostics/ErrorReport.h"
#include "main/CSizer.h"
#include "main/cSysTray.h"
#include "main/frmMain.h"
#include "registry/Registry.h"
#include "resources/PictureButton.h"
#include "settings/SettingsSchema.h"
#include "settings/StoredNumber.h"

// The layout: ShowFrame picks the frame that shows and sizes the window for it; Form_Resize
// keeps the window's size and state in line with the mode. In grid mode the window is freely
// resizable and the sizer anchors the grid's controls; every other mode holds the window at
// the size of its frame.

namespace quillon {

namespace {

// Gap between the top strip and the frame below it.
constexpr int kGapBelowTop = 200;
// What the window's outer size holds around a frame: title bar, menu bar, borders and margins.
constexpr int kExtraHeight = 850;
constexpr int kExtraWidth = 360;
constexpr int kAdvancedFreeHeight = 2850;
constexpr int kAdvancedDomainHeight = 1360;
// The Done button's distance from the advanced frame's bottom in the free account's mode.
constexpr int kDoneAboveBottom = 450;

// A length in twips as a whole number of pixels holds it.
int onPixelGrid(int twips) {
    return pixelsToTwips(twipsToPixels(twips));
}

void setTopTwips(QWidget* widget, int top) {
    widget->move(widget->x(), twipsToPixels(top));
}

void setHeightTwips(QWidget* widget, int height) {
    widget->resize(widget->width(), twipsToPixels(height));
}

void setWidthTwips(QWidget* widget, int width) {
    widget->resize(twipsToPixels(width), widget->height());
}

// Sets a flag for as long as it lives and puts the old value back after.
class FlagGuard {
  public:
    explicit FlagGuard(bool& flag) : flag_(flag), old_(flag) { flag_ = true; }
    ~FlagGuard() { flag_ = old_; }
    FlagGuard(const FlagGuard&) = delete;
    FlagGuard& operator=(const FlagGuard&) = delete;

  private:
    bool& flag_;
    bool old_;
};

}  // namespace

// --- ShowFrame ---------------------------------------------------------------------------

void frmMain::ShowFrame(const QString& mode) {
    // The sizes set here are the program's own: the resize handler leaves them alone.
    const FlagGuard sizing(bSizing_);
    try {
        if (savedWindowState_ != 0 && savedWindowState_ != 2) {
            savedWindowState_ = 0;
        }
        const QList<QFrame*> frames = {frameCorvaneDomain_, frameGrid_, frameOtherDomain_,
                                       frameAdvanced_};
        const QWidget* focused = QApplication::focusWidget();
        const bool focusInFrame = std::any_of(frames.begin(), frames.end(), [&](QFrame* frame) {
            return focused != nullptr && frame->isAncestorOf(focused);
        });
        for (QFrame* frame : frames) {
            frame->hide();
        }
        const int topY = pixelsToTwips(frmTop_->height()) + kGapBelowTop;

        if (mode != QLatin1String("Grid")) {
            leaveGridMode();
        }

        if (mode == QLatin1String("Grid")) {
            showGridFrame(topY);
        } else if (mode == QLatin1String("Domain")) {
            showHeldFrame(frameOtherDomain_, topY);
        } else if (mode == QLatin1String("Corvane")) {
            showHeldFrame(frameCorvaneDomain_, topY);
        } else if (mode == QLatin1String("AdvancedFree")) {
            setFreeAccountBoxesShown(true);
            setHeightTwips(frameAdvanced_, kAdvancedFreeHeight);
            setTopTwips(cmdOKAdvanced_->picture(), kAdvancedFreeHeight - kDoneAboveBottom);
            showHeldFrame(frameAdvanced_, topY);
        } else if (mode == QLatin1String("AdvancedDomain")) {
            // The frame ends above the free account's MX and alias boxes: hidden, they are
            // neither reached with Tab nor reported below its edge.
            setFreeAccountBoxesShown(false);
            setHeightTwips(frameAdvanced_, kAdvancedDomainHeight);
            setTopTwips(cmdOKAdvanced_->picture(), pixelsToTwips(cboRefreshRate_->y()));
            showHeldFrame(frameAdvanced_, topY);
        }

        // The status frame stays right-aligned in the strip.
        frmIPStatus_->move(
            twipsToPixels(pixelsToTwips(frmTop_->width()) - pixelsToTwips(frmIPStatus_->width())),
            frmIPStatus_->y());

        // The keyboard follows the frame: a focus that was in the frame now hidden goes to the
        // first control of the one shown.
        if (focusInFrame) {
            for (QFrame* frame : frames) {
                if (!frame->isHidden() && !frame->isAncestorOf(QApplication::focusWidget())) {
                    FocusFirstControl(frame);
                }
            }
        }
    } catch (const ClientError& error) {
        ErrorReport(QStringLiteral("frmMain.ShowFrame()"), error);
    }
}

void frmMain::setFreeAccountBoxesShown(bool shown) {
    for (QCheckBox* box :
         {chkMX_, chkFTP_, chkMail_, chkTelnet_, chkVNC_, chkWWW_, chkIRC_, chkPCAW_}) {
        box->setVisible(shown);
    }
}

// Leaving the grid: keeps the geometry and state the user gave the grid's window, brings the
// window to its default size and gives up the sizer.
void frmMain::leaveGridMode() {
    Registry reg;
    reg.setKey(userKey());
    savedWindowState_ = windowStateNumber();
    if (savedWindowState_ == 0) {
        reg.setValue(store::kMainLeft, twipsLeft(), Registry::RegDword);
        reg.setValue(store::kMainTop, twipsTop(), Registry::RegDword);
        reg.setValue(store::kMainWidth, twipsWidth(), Registry::RegDword);
        reg.setValue(store::kMainHeight, twipsHeight(), Registry::RegDword);
    }
    setWindowStateNumber(0);
    setTwipsGeometry(twipsLeft(), twipsTop(), kDefaultWidthTwips, kDefaultHeightTwips);
    if (m_Sizer) {
        // At the sizer's initial size every control is back where it was registered, save the
        // 15 twips a pass takes off each stretched height. Giving that back here means the
        // sizer made on the return registers the designed heights, so the list does not lose
        // 15 twips at every visit to the editor.
        m_Sizer->restoreRegistered();
        m_Sizer.reset();
    }
}

void frmMain::showGridFrame(int topY) {
    frameCorvaneDomain_->hide();
    frameOtherDomain_->hide();
    setTopTwips(frameGrid_, topY);
    setWidthTwips(frmTop_, pixelsToTwips(frameGrid_->width()));
    if (!m_Sizer) {
        // Back from another mode: anchor the grid again and give the window back the
        // geometry and state it had in grid mode.
        setTwipsGeometry(twipsLeft(), twipsTop(), kDefaultWidthTwips, kDefaultHeightTwips);
        m_Sizer = std::make_unique<CSizer>();
        m_Sizer->Create(this, twipsHeight(), twipsWidth());
        registerSizerControls();
        restoreGridGeometry();
        frameGrid_->show();
        setWindowStateNumber(savedWindowState_);
    }
    frameGrid_->show();
}

// Applies MainLeft, MainTop, MainWidth and MainHeight of the user key, by their exact names,
// in the key's enumeration order.
void frmMain::restoreGridGeometry() {
    TwipsGeometry geometry{twipsLeft(), twipsTop(), twipsWidth(), twipsHeight()};
    ForEachStoredNumber(userKey(),
                        [&](const QString& name, int number) { geometry.apply(name, number); });
    setTwipsGeometry(geometry.left, geometry.top, geometry.width, geometry.height);
}

// Shows a frame of a mode whose window follows the frame's size.
void frmMain::showHeldFrame(QFrame* frame, int topY) {
    setTopTwips(frame, topY);
    frame->show();
    holdWindowAt(frame);
    setWidthTwips(frmTop_, pixelsToTwips(frame->width()));
}

// Sets the window to the outer size that shows the frame and nothing more.
void frmMain::holdWindowAt(QFrame* frame) {
    const int height = pixelsToTwips(frame->height()) + pixelsToTwips(frame->y()) + kExtraHeight;
    const int width = pixelsToTwips(frame->width()) + kExtraWidth;
    if (twipsHeight() != onPixelGrid(height) || twipsWidth() != onPixelGrid(width)) {
        const FlagGuard sizing(bSizing_);
        ResizeToOuterTwips(this, width, height);
    }
}

// --- geometry in twips ---------------------------------------------------------------------

int frmMain::twipsLeft() const {
    return pixelsToTwips(pos().x());
}

int frmMain::twipsTop() const {
    return pixelsToTwips(pos().y());
}

int frmMain::twipsWidth() const {
    return OuterSizeTwips(this).width();
}

int frmMain::twipsHeight() const {
    return OuterSizeTwips(this).height();
}

// Places the window by its outer geometry. A place that lies off the screen's available area
// (a centred window higher than a small screen, or one stored on a larger screen) is brought
// onto it, left edge and title bar first; in grid mode the sizer keeps the size within it.
void frmMain::setTwipsGeometry(int left, int top, int width, int height) {
    const QRect wanted(twipsToPixels(left), twipsToPixels(top), twipsToPixels(width),
                       twipsToPixels(height));
    const QRect placed = FitOnScreen(wanted, AvailableAreaFor(wanted), false);
    move(placed.topLeft());
    ResizeToOuterTwips(this, width, height);
}

// --- Form_Resize ---------------------------------------------------------------------------

void frmMain::Form_Resize() {
    // ShowFrame sets the window's size and state itself, and keeps the grid's state for the
    // return: what happens on the way is not the user's doing.
    if (bSizing_) {
        return;
    }
    try {
        if (windowStateNumber() == 1) {
            // Minimized: where a tray icon shows, the window goes to the tray. Where there is
            // no tray it stays minimized, so that the task bar still reaches it.
            const bool inTray =
                cSysTray::available() && (cSysTrayOn_->intray() || cSysTrayOff_->intray());
            if (inTray) {
                hide();
            }
            return;
        }
        QFrame* held = nullptr;
        if (!frameOtherDomain_->isHidden()) {
            held = frameOtherDomain_;
        } else if (!frameCorvaneDomain_->isHidden()) {
            held = frameCorvaneDomain_;
        } else if (!frameAdvanced_->isHidden()) {
            held = frameAdvanced_;
        }
        if (windowStateNumber() == 2 && frameGrid_->isHidden()) {
            // Only the grid mode can be maximized.
            const FlagGuard sizing(bSizing_);
            setWindowStateNumber(0);
        }
        if (held != nullptr) {
            holdWindowAt(held);
        }
        writeWindowState();
    } catch (const ClientError& error) {
        ErrorReport(QStringLiteral("frmMain.Form_Resize()"), error);
    }
}

// Writes WindowState to the user key when it differs from the state last written.
void frmMain::writeWindowState() {
    const int state = windowStateNumber();
    if (state == writtenWindowState_ || objUser().sUsername.trimmed().isEmpty()) {
        return;  // unchanged, or nobody logged in whose key could take it
    }
    Registry reg;
    reg.setKey(userKey());
    reg.setValue(store::kWindowState, state, Registry::RegDword);
    writtenWindowState_ = state;
}

}  // namespace quillon
