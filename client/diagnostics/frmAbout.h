#pragma once

#include <QDialog>
#include <QPointer>

class QLabel;

namespace quillon {

class PictureButton;

// The About window: the program's name and version, the licence notice, the logo, a
// link to the service's terms of service and an OK button. There is one at a time, and it
// is built afresh (Form_Load runs) each time it is shown; OK unloads it. Show it through
// ShowAbout(), which deletes the window when it closes; one built directly is the caller's.
class frmAbout : public QDialog {
    Q_OBJECT
  public:
    explicit frmAbout(QWidget* parent = nullptr);
    ~frmAbout() override;

    // Shows the About window: modal (returns when it is closed) or modeless (returns at
    // once). When one is loaded already, that one is brought forward instead.
    static void ShowAbout(QWidget* parent, bool modal);

    // The loaded About window, or nullptr; the main window's tray looks for it.
    static frmAbout* loaded();

    // The first line of lblTitle for a version: "Corvane Dynamic DNS Version 1.2 Rev 34".
    static QString versionText(int major, int minor, int revision);

  private:
    void Form_Load();
    void Label1_Click();
    void cmdOK_Click();

    QLabel* lblTitle_;
    QLabel* Image1_;
    QLabel* Label1_;
    PictureButton* cmdOK_;

    static QPointer<frmAbout> instance_;
};

}  // namespace quillon
