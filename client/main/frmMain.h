#pragma once

#include <QDateTime>
#include <QMainWindow>
#include <QPointer>
#include <QString>
#include <memory>

#include "cycle/CycleSession.h"
#include "cycle/GridRecord.h"
#include "cycle/PendingReAdds.h"
#include "cycle/UpdateDriver.h"
#include "login/frmLogin.h"
#include "protocol/MainWindowLink.h"

class QAction;
class QCheckBox;
class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QMenu;
class QTimer;
class QTreeWidget;

namespace quillon {

class AutoIPCycle;
class CSizer;
class PictureButton;
class cSysTray;

// The main window: the program's start-up window and its only long-lived one.
//
// A fixed top strip (logo, expiry line, status frame) sits above four interchangeable frames:
// the record grid of an account with domains, the sub-domain panel of a free account, the
// record editor and the advanced settings. ShowFrame picks the frame and sizes the window; in
// grid mode the window is freely resizable and the sizer anchors the registered controls.
//
// The class is split across files named after what they hold:
//   frmMain.cpp             construction, the status link, window events
//   frmMain_Controls.cpp    building the strip, the frames, the menus and the timers
//   frmMain_Startup.cpp     Form_Load, the restore loop and init
//   frmMain_Settings.cpp    SaveSettings
//   frmMain_UpdateCycle.cpp the two timers, the IP check, the re-point and the pending re-adds
//   frmMain_Grid.cpp        the record grid, its selection, sorting and the delete action
//   frmMain_Layout.cpp      ShowFrame, Form_Resize and the geometry in twips
//   frmMain_Tray.cpp        the tray icons, their notices and closing
//   frmMain_Menus.cpp       the menu bar, the tray's popup menu, Log Off, Exit and the pages
//   frmMain_Editor.cpp      the record editor: Add, Edit, Update/Add and Cancel
//   frmMain_FreePanel.cpp   the sub-domain panel: its set-up after login and Update/Add
//   frmMain_Advanced.cpp    the advanced frame: SSL, the MX and alias boxes, Done
//
// Everything runs on the user-interface thread. Service requests block their caller but keep
// the window painting; the update timer's tick skips its check while a request is in flight.
class frmMain : public QMainWindow, public MainWindowLink {
    Q_OBJECT
  public:
    // The window's size when it opens, and the grid mode's smallest size, in twips.
    static constexpr int kDefaultWidthTwips = 8895;
    static constexpr int kDefaultHeightTwips = 7065;

    explicit frmMain(QWidget* parent = nullptr);
    ~frmMain() override;

    // Builds the window's controls, menus, timers and tray icons, once; the load builds them as
    // soon as the login window is on the screen, or earlier when the login needs them.
    void ensureBuilt();

    // --- start-up and settings -----------------------------------------------------------
    // Prepares the window, logs in (automatically or through the login window), restores the
    // stored geometry and list layout, and runs init. False when the program is to end (the
    // user left from the login window).
    bool Form_Load();
    void init();
    void SaveSettings();

    // The login window while it exists (created by Form_Load and by Log Off).
    frmLogin* loginWindow() const { return login_.data(); }

    // --- update cycle --------------------------------------------------------------------
    void tmrAuto_Timer();
    void tmrTimes_Timer();
    void ShowUpTime();
    // Shows a check's re-point of the marked records at `newIP`; `editorOpen` as the rows were
    // read.
    void UpdateDomainAutoIPs(const std::vector<Repoint>& repointed, const QString& newIP,
                             bool editorOpen);
    void UpdateAutoIpList();
    int tickCount() const { return TickCount; }
    // Adds one to the "Total Transactions:" count.
    void countTransaction();
    const PendingReAdds& pendingReAdds() const { return pending_; }

    // --- record grid ---------------------------------------------------------------------
    void FillDomainUserGrid();
    void lvDomainUser_Click();
    void lvDomainUser_DblClick();
    // `column` is the clicked header's position, 1 for "Domain".
    void lvDomainUser_ColumnClick(int column);
    void LoadGridRecord();
    void cmdDeleteGrid_Click();
    const GridRecord& gridRecord() const { return GridRecord_; }
    const QString& selectedRecord() const { return sSelectedRecord; }
    // The list's sort state: the zero-based sort key, 0 ascending / 1 descending, sorted flag.
    int sortKey() const { return sortKey_; }
    int sortOrder() const { return sortOrder_; }
    bool isSorted() const { return sorted_; }

    // --- record editor ---------------------------------------------------------------------
    void cmdAddGrid_Click();
    void cmdEditGrid_Click();
    void EditGrid();
    // Update/Add: validates, then changes the record (delete the old, add the new).
    void cmdServerIP_Click();
    void cmdCancel_Click();
    void cboRecordType_Click();
    void chkDomainAutoIP_Click();
    // Checks the editor's boxes, showing the first problem; may rewrite txtServerIP and txtCName.
    bool ValidateDomainRecord();

    // --- sub-domain panel (frmMain_FreePanel.cpp) ----------------------------------------
    // The panel's address check: false, after its message, when txtCorvaneIP is empty or not
    // an IP address.
    bool CheckCorvaneIP();
    // Update/Add: points the free host at the typed address.
    void cmdCorvaneSetIP_Click();
    // A user's click on the AutoIP box.
    void chkAutoIP_Click();

    // --- advanced frame (frmMain_Advanced.cpp) -------------------------------------------
    void cmdAdvancedDomain_Click();
    void cmdAdvancedFree_Click();
    void cmdOKAdvanced_Click();
    void chkSSL_Click();
    void chkMX_Click();
    void chkFTP_Click();
    void chkWWW_Click();
    void chkIRC_Click();
    void chkTelnet_Click();
    void chkPCAW_Click();
    void chkVNC_Click();
    void chkMail_Click();
    // Writes or removes the program's autostart entry; a failure is told and the box goes back.
    void chkAutostart_Click();
    // Creates (box checked) or removes (box cleared) the alias `word` of the free host; a
    // failed creation clears the box again.
    void SetServiceAlias(QCheckBox* box, const QString& word);

    // --- layout --------------------------------------------------------------------------
    // mode: "Grid", "Domain", "Corvane", "AdvancedFree" or "AdvancedDomain".
    void ShowFrame(const QString& mode);
    void Form_Resize();
    CSizer* sizer() const { return m_Sizer.get(); }

    // The window's geometry in twips (Left and Top of the frame, Width and Height of the
    // window), and its state as a number: 0 normal, 1 minimized, 2 maximized.
    int twipsLeft() const;
    int twipsTop() const;
    int twipsWidth() const;
    int twipsHeight() const;
    void setTwipsGeometry(int left, int top, int width, int height);
    int windowStateNumber() const;
    void setWindowStateNumber(int state);

    // --- tray, menus and closing (frmMain_Tray.cpp, frmMain_Menus.cpp) ---------------------
    cSysTray* trayOn() const { return cSysTrayOn_; }
    cSysTray* trayOff() const { return cSysTrayOff_; }
    // A button released over the tray icon (1 left, 2 right): the popup menu on the right one,
    // then the Log Off or Exit chosen in it.
    void cSysTrayOff_MouseUp(int button, int unused);
    void cSysTrayOn_MouseUp(int button, int unused);
    // The icon's second event: the left button shows the window.
    void cSysTrayOff_MouseDown(int button, int unused);
    void cSysTrayOn_MouseDown(int button, int unused);

    void mnuAddDomain_Click();
    void mnuLogin_Click();   // "Log Off"
    void mnuLogout_Click();  // "Exit"
    void mnuOnlineHelp_Click();
    void mnuAbout_Click();
    void mnuPopupHide_Click();
    void mnuPopupLogOff_Click();
    void mnuPopupShow_Click();
    void mnuPopupAbout_Click();
    void mnuPopupExit_Click();
    void imgHelpGrid_Click();
    void imgHelpFree_Click();
    void imgHelpDomain_Click(int index);

    // The system ends the program (a termination signal): the close asks nothing, then saves and
    // unloads as a confirmed close does.
    void closeForShutdown();
    // Another start of the program on this store: the window the user works in comes forward,
    // restored from the tray or the task bar (the login window, a question or About when one is
    // up; the main window otherwise, once logged in).
    void bringForward();

    // The close request of every way of closing: asks, saves and unloads the other windows, or
    // sets `cancel` to keep the window open.
    void Form_QueryUnload(bool& cancel, int unloadMode);

    // --- MainWindowLink: what the service dialogue and the login need of the window ------
    void setStatus(const QString& caption, int colour) override;
    int statusColour() const override;
    void SysTrayIcon(bool bON) override;
    void setMainEnabled(bool enabled) override;
    void LoadFreeUserInfo() override;

  signals:
    // The window has closed for good: the program ends.
    void unloaded();

  protected:
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

  private:
    // Construction (frmMain_Controls.cpp).
    void buildMenus();
    void buildTopStrip(QWidget* central);
    void buildGridFrame(QWidget* central);
    void buildFreePanel(QWidget* central);
    void buildEditorFrame(QWidget* central);
    void buildAdvancedFrame(QWidget* central);
    void buildTimers();
    void buildTray();
    void connectHandlers();
    // The tray's and the menus' handlers (frmMain_Menus.cpp).
    void connectMenuHandlers();
    // A tray button release; `procedure` names the handler in error reports.
    void trayMouseUp(int button, const QString& procedure);
    // An open dialog (the About window, or the login window while it shows) that the tray must
    // leave alone; `focus` gives it the input focus.
    bool dialogOpen(bool focus);
    // The notices of the tray: the connection lost or back, records re-pointed.
    void noticeConnection(bool connected);
    void noticeRepointed(int records, const QString& address);
    // The sub-domain panel's and the advanced frame's handlers (frmMain_Advanced.cpp).
    void connectFreePanelHandlers();
    // An alias box's click: guarded by the loading flag and the box's own busy flag.
    void aliasBoxClicked(QCheckBox* box, const char* word, bool& busy);

    // Start-up helpers (frmMain_Startup.cpp).
    void runLogin();
    bool fillSavedLogin();
    bool showTrayAfterStart();
    void restoreUserSettings();
    void registerSizerControls();
    void prepareSizerAndGrid();

    // Update-cycle helpers (frmMain_UpdateCycle.cpp).
    void runIPCheck();
    // Shows a check's re-point of the free host at `newIP`.
    void repointFreeHost(bool added, const QString& newIP);
    // Tells the user, once the tick has ended, that the service reported an unusable address.
    void tellUnusableAddress(const QString& address);
    bool retryPendingReAdds(std::optional<PendingRecord>& held);
    // Tells the user that the settings cannot be saved and why (the session says it once per
    // run).
    void tellStoreFailure(const QString& why);
    // Whether the record the editor opened is this one, as the service held it when opened.
    bool isOpenedRecord(const QString& domain, const QString& recordType, const QString& name,
                        const QString& address) const;

    // Grid helpers (frmMain_Grid.cpp).
    void applySort();
    // Keeps the grid's selection on its current row wherever the keyboard moves it, and opens
    // the current row on Enter.
    void followCurrentRow();
    // Makes the row at `index` current and selected, as a click on it would.
    void selectGridRow(int index);
    // Selects the row that shows this record; false when none does.
    bool selectRecordRow(const QString& domain, const QString& recordType, const QString& name,
                         const QString& address);
    // The grid takes the keyboard after an action; with rows and none selected, the first one
    // is selected.
    void focusGrid();
    // After a delete: the row now at the deleted one's place, or the last, unless the deleted
    // row is still there and selected.
    void selectNeighbour(int deletedIndex);

    // Editor helpers (frmMain_Editor.cpp).
    void putBackEditedRecord(const GridRecord& old, const QString& address);

    // Layout helpers (frmMain_Layout.cpp).
    void leaveGridMode();
    void showGridFrame(int topY);
    void restoreGridGeometry();
    void showHeldFrame(QFrame* frame, int topY);
    void holdWindowAt(QFrame* frame);
    // The advanced frame's MX and alias boxes, which only a free account's frame is high
    // enough to show.
    void setFreeAccountBoxesShown(bool shown);
    void writeWindowState();

    // The user key "SOFTWARE\Corvane\" + the account's user name.
    QString userKey() const;

  public:
    // A list column's width in twips. The width set in twips is kept as long as the column
    // keeps the pixel width it gave, so that saving does not drift by the rounding to pixels.
    void setColumnTwips(int column, int twips);
    int columnTwips(int column) const;

  private:
    // --- controls (object names as the design gives them; tests find them by those) ------
    QWidget* central_ = nullptr;

    QMenu* mnuFile_ = nullptr;
    QAction* mnuAddDomain_ = nullptr;
    QAction* mnuLogin_ = nullptr;
    QAction* mnuLogout_ = nullptr;
    QMenu* mnuHelp_ = nullptr;
    QAction* mnuOnlineHelp_ = nullptr;
    QAction* mnuAbout_ = nullptr;
    QMenu* mnuPopup_ = nullptr;

    QFrame* frmTop_ = nullptr;
    QLabel* Image1_ = nullptr;
    QLabel* Label21_ = nullptr;
    QLabel* lblExpirationDate_ = nullptr;
    QFrame* frmIPStatus_ = nullptr;
    QLabel* Label7_ = nullptr;
    QLabel* lblIPAddress_ = nullptr;
    QLabel* lblStatusH_ = nullptr;
    QLabel* lblStatus_ = nullptr;
    QLabel* Label11_ = nullptr;
    QLabel* lblUpTime_ = nullptr;
    QLabel* Label20_ = nullptr;
    QLabel* lblLastIPCheck_ = nullptr;
    QLabel* Label22_ = nullptr;
    QLabel* lblTimesIPChanged_ = nullptr;

    QFrame* frameGrid_ = nullptr;
    QTreeWidget* lvDomainUser_ = nullptr;
    PictureButton* cmdAddGrid_ = nullptr;
    PictureButton* cmdDeleteGrid_ = nullptr;
    PictureButton* cmdEditGrid_ = nullptr;
    PictureButton* cmdAdvancedDomain_ = nullptr;
    QLabel* imgHelpGrid_ = nullptr;

    QFrame* frameCorvaneDomain_ = nullptr;
    QLabel* lblDomain_ = nullptr;
    QLineEdit* txtCorvaneIP_ = nullptr;
    QCheckBox* chkAutoIP_ = nullptr;
    PictureButton* cmdCorvaneSetIP_ = nullptr;
    PictureButton* cmdAdvancedFree_ = nullptr;
    QLabel* imgHelpFree_ = nullptr;

    QFrame* frameOtherDomain_ = nullptr;
    QComboBox* cboDomain_ = nullptr;
    QComboBox* cboRecordType_ = nullptr;
    QLabel* Label10_ = nullptr;
    QLineEdit* txtCName_ = nullptr;
    QLabel* lblServerAddress_ = nullptr;
    QLineEdit* txtServerIP_ = nullptr;
    QLabel* lblPort_ = nullptr;
    QLineEdit* txtPort_ = nullptr;
    QCheckBox* chkDomainAutoIP_ = nullptr;
    PictureButton* cmdServerIP_ = nullptr;
    PictureButton* cmdCancel_ = nullptr;
    QLabel* imgHelpDomainEditor_ = nullptr;  // object name "imgHelpDomain", index 0

    QFrame* frameAdvanced_ = nullptr;
    QCheckBox* chkSSL_ = nullptr;
    QComboBox* cboPorts_ = nullptr;
    QComboBox* cboRefreshRate_ = nullptr;
    QCheckBox* chkMX_ = nullptr;
    QCheckBox* chkFTP_ = nullptr;
    QCheckBox* chkMail_ = nullptr;
    QCheckBox* chkTelnet_ = nullptr;
    QCheckBox* chkVNC_ = nullptr;
    QCheckBox* chkWWW_ = nullptr;
    QCheckBox* chkIRC_ = nullptr;
    QCheckBox* chkPCAW_ = nullptr;
    QCheckBox* chkAutostart_ = nullptr;
    PictureButton* cmdOKAdvanced_ = nullptr;
    QLabel* imgHelpDomainAdvanced_ = nullptr;  // object name "imgHelpDomain", index 1

    QTimer* tmrAuto_ = nullptr;
    QTimer* tmrTimes_ = nullptr;

    cSysTray* cSysTrayOff_ = nullptr;
    cSysTray* cSysTrayOn_ = nullptr;

    // --- window-level state --------------------------------------------------------------
    QString sSelectedRecord;
    int statusColour_ = kStatusColourConnected;
    bool built_ = false;
    bool bExitRequested = false;
    bool bLogOffRequested = false;
    // The system is closing the program: nobody is there to answer its questions.
    bool bShuttingDown_ = false;
    int TickCount = 0;
    GridRecord GridRecord_;
    std::unique_ptr<CSizer> m_Sizer;

    // The grid's change cache: the record list, AutoIP list and pending list of the last rebuild.
    QString cachedRecords_;
    QString cachedAutoIPs_;
    QString cachedPending_;
    // The last rebuild stopped at a broken entry: the grid lacks the records after it.
    bool gridRebuildFailed_ = false;
    bool bDeleteBusy_ = false;
    bool bServerIPBusy_ = false;
    // The opened record's address as the service holds it (a port relay's with its port), which
    // the delete of Update/Add must name.
    QString editedAddress_;
    // The opened record waits to be added back: it is not on the service, so Update/Add sends
    // no delete for it. The update cycle holds the retries of pending records meanwhile.
    bool editingPending_ = false;
    // Set while the delete question is up: re-points and retries wait for its answer, so that
    // the record it names is still where the question says when the user says Yes.
    bool deleteQuestionOpen_ = false;
    // Set while LoadFreeUserInfo restores the alias boxes: their handlers then send nothing.
    bool bLoadingFreeUser = false;
    // Busy flags of the panel's Update/Add and of the MX and alias boxes: a handler whose flag
    // is set does nothing, so that a handler run again while its own request is under way (the
    // request's local event loop, or code that sets the box and calls the handler) starts no
    // second request.
    bool bCorvaneSetIPBusy = false;
    bool bMXBusy = false;
    bool bFTPBusy = false;
    bool bWWWBusy = false;
    bool bIRCBusy = false;
    bool bTelnetBusy = false;
    bool bPCAWBusy = false;
    bool bVNCBusy = false;
    bool bMailBusy = false;
    // The AutoIP box's state ("0" or "1") that Update/Add last dealt with; empty until the
    // first Update/Add after a login.
    QString sAutoIPDealtWith;

    int columnTwips_[5] = {};

    // The list's sort state (the list view's SortKey, SortOrder and Sorted).
    int sortKey_ = 0;
    int sortOrder_ = 0;
    bool sorted_ = false;

    // ShowFrame's saved window state and the state the resize handler last wrote.
    int savedWindowState_ = 0;
    int writtenWindowState_ = 0;
    // Set while ShowFrame or the layout sets the window's size, so that the resize handler
    // does not act on sizes the program itself chose.
    bool bSizing_ = false;

    // The update engine's stored state: the marks, and the records whose re-point removed them
    // from the service but could not add them back.
    // The session over the window's program-wide views of the account (objUser(), sAutoIPs,
    // sServiceURL), which the window's other parts read and change.
    CycleSession session_{ProgramAccount(), [this](const QString& why) { tellStoreFailure(why); }};
    PendingReAdds& pending_ = session_.pending();
    // The update cycle's decisions and requests, over pending_.
    std::unique_ptr<AutoIPCycle> cycle_;
    // The whole check over cycle_, which the update timer drives.
    std::unique_ptr<UpdateDriver> driver_;
    // A close came while a request was under way: the check ends after the pair in flight.
    bool closeAsked_ = false;

    // The time init last ran; sStartTime holds it as text.
    QDateTime startTime_;

    QPointer<frmLogin> login_;
};

// The moment init last ran, in the system's general date-and-time form.
extern QString sStartTime;

}  // namespace quillon
