#pragma once

#include <QIcon>
#include <QObject>
#include <QString>
#include <functional>

class QSystemTrayIcon;

namespace quillon {

// One icon of the notification area: the design's tray control. Each instance owns one icon
// and a tip, both fixed when it is created; `intray` puts the icon into the tray or takes it
// out. Where the desktop has no tray the instance still keeps `intray` and its events can be
// raised by hand (tests), but nothing is shown.
//
// Mouse events carry the design's button numbers: 1 left, 2 right.
class cSysTray : public QObject {
    Q_OBJECT
  public:
    cSysTray(const QString& name, const QIcon& icon, const QString& tip, QObject* parent);
    // The icon drawn by `drawIcon` when it is first needed: where no tray is shown (or the
    // icon never goes in) it is never drawn, which spares the program's start the drawing.
    cSysTray(const QString& name, std::function<QIcon()> drawIcon, const QString& tip,
             QObject* parent);
    ~cSysTray() override;

    bool intray() const { return intray_; }
    void setIntray(bool intray);
    QIcon trayicon() const;
    QString traytip() const { return tip_; }

    // Whether the desktop offers a tray at all.
    static bool available();

    // A short notice beside the icon while it is in the tray, where the desktop shows notices.
    void showNotice(const QString& title, const QString& text);

  signals:
    // A mouse button was released over the icon.
    void MouseUp(int button, int unused);
    // The icon's second event: a left click or a double click. The main window shows on it, so
    // that one click on the icon brings it back as users of tray programs expect; the left click
    // raises it before MouseUp.
    void MouseDown(int button, int unused);
    // A notice went out (whether or not the desktop can show it).
    void noticeShown(const QString& title, const QString& text);

  private:
    mutable std::function<QIcon()> drawIcon_;
    mutable QIcon icon_;
    QString tip_;
    bool intray_ = false;
    QSystemTrayIcon* icon_widget_ = nullptr;
};

}  // namespace quillon
