#include "protocol/MainWindowLink.h"

namespace quillon {

namespace {

struct Kept {
    MainWindowLink* link = nullptr;
    QString caption = QString::fromLatin1(kStatusConnected);
    int colour = kStatusColourConnected;
};

Kept& kept() {
    static Kept k;
    return k;
}

}  // namespace

void setMainWindowLink(MainWindowLink* link) {
    kept().link = link;
}

MainWindowLink* mainWindowLink() {
    return kept().link;
}

void SetMainStatus(const QString& caption, int colour) {
    kept().caption = caption;
    kept().colour = colour;
    if (kept().link != nullptr) {
        kept().link->setStatus(caption, colour);
    }
}

int MainStatusColour() {
    return kept().link != nullptr ? kept().link->statusColour() : kept().colour;
}

QString MainStatusCaption() {
    return kept().caption;
}

void MainSysTrayIcon(bool bON) {
    if (kept().link != nullptr) {
        kept().link->SysTrayIcon(bON);
    }
}

void SetMainEnabled(bool enabled) {
    if (kept().link != nullptr) {
        kept().link->setMainEnabled(enabled);
    }
}

void MainLoadFreeUserInfo() {
    if (kept().link != nullptr) {
        kept().link->LoadFreeUserInfo();
    }
}

void resetMainStatus() {
    kept().caption = QString::fromLatin1(kStatusConnected);
    kept().colour = kStatusColourConnected;
}

}  // namespace quillon
