#include "main/cSysTray.h"

#include <QSystemTrayIcon>
#include <utility>

namespace quillon {

cSysTray::cSysTray(const QString& name, const QIcon& icon, const QString& tip, QObject* parent)
    : QObject(parent), icon_(icon), tip_(tip) {
    setObjectName(name);
}

cSysTray::cSysTray(const QString& name, std::function<QIcon()> drawIcon, const QString& tip,
                   QObject* parent)
    : QObject(parent), drawIcon_(std::move(drawIcon)), tip_(tip) {
    setObjectName(name);
}

cSysTray::~cSysTray() = default;

QIcon cSysTray::trayicon() const {
    if (drawIcon_) {
        icon_ = drawIcon_();
        drawIcon_ = nullptr;
    }
    return icon_;
}

bool cSysTray::available() {
    return QSystemTrayIcon::isSystemTrayAvailable();
}

void cSysTray::setIntray(bool intray) {
    // Hiding the icon deletes the window Qt keeps for it on some desktops: only a real change
    // may do that.
    if (intray == intray_) {
        return;
    }
    intray_ = intray;
    if (intray && icon_widget_ == nullptr && available()) {
        // Created on first use: where there is no tray nothing is ever created.
        icon_widget_ = new QSystemTrayIcon(trayicon(), this);
        icon_widget_->setToolTip(tip_);
        // Queued: the handlers open menus and windows and may take the icon out of the tray,
        // which must not happen inside the icon's own mouse event.
        connect(
            icon_widget_, &QSystemTrayIcon::activated, this,
            [this](QSystemTrayIcon::ActivationReason reason) {
                switch (reason) {
                    case QSystemTrayIcon::Trigger:
                        emit MouseDown(1, 0);
                        emit MouseUp(1, 0);
                        break;
                    case QSystemTrayIcon::Context:
                        emit MouseUp(2, 0);
                        break;
                    case QSystemTrayIcon::DoubleClick:
                        emit MouseDown(1, 0);
                        break;
                    default:
                        break;
                }
            },
            Qt::QueuedConnection);
    }
    if (icon_widget_ != nullptr) {
        icon_widget_->setVisible(intray);
    }
}

void cSysTray::showNotice(const QString& title, const QString& text) {
    if (!intray_) {
        return;
    }
    emit noticeShown(title, text);
    if (icon_widget_ != nullptr && QSystemTrayIcon::supportsMessages()) {
        icon_widget_->showMessage(title, text, trayicon(), 5000);
    }
}

}  // namespace quillon
