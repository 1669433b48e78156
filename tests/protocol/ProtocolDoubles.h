#pragma once

#include <QString>
#include <QStringList>
#include <deque>

#include "protocol/MainWindowLink.h"
#include "protocol/Transfer.h"

namespace quillon::test {

// A transfer that answers from a queue and records every address it was asked for. Registers
// itself as the program's transfer while it lives. An empty queue answers a failed transfer.
class FakeTransfer : public Transfer {
  public:
    FakeTransfer() { setServiceTransfer(this); }
    ~FakeTransfer() override { unregisterServiceTransfer(this); }
    FakeTransfer(const FakeTransfer&) = delete;
    FakeTransfer& operator=(const FakeTransfer&) = delete;

    void queueReply(const QString& body) { replies_.push_back(TransferReply{true, body, {}}); }
    void queueFailure() { replies_.push_back(TransferReply{false, {}, QStringLiteral("down")}); }

    TransferReply OpenURL(const QString& url) override {
        urls_ << url;
        if (replies_.empty()) {
            return TransferReply{false, {}, QStringLiteral("no reply queued")};
        }
        TransferReply reply = replies_.front();
        replies_.pop_front();
        return reply;
    }

    const QStringList& urls() const { return urls_; }

  private:
    std::deque<TransferReply> replies_;
    QStringList urls_;
};

// Stands in for the main window: keeps the status label's caption and colour, records the tray
// switch, the Enabled property (and whether it was ever false during a call) and the free-user
// loading. Registers itself while it lives.
class RecordingMainWindow : public MainWindowLink {
  public:
    RecordingMainWindow() { setMainWindowLink(this); }
    ~RecordingMainWindow() override { setMainWindowLink(nullptr); }
    RecordingMainWindow(const RecordingMainWindow&) = delete;
    RecordingMainWindow& operator=(const RecordingMainWindow&) = delete;

    void setStatus(const QString& caption, int colour) override {
        caption_ = caption;
        colour_ = colour;
        ++statusChanges;
    }
    int statusColour() const override { return colour_; }
    void SysTrayIcon(bool bON) override { tray << bON; }
    void setMainEnabled(bool enabled) override {
        enabled_ = enabled;
        if (!enabled) {
            wasDisabled = true;
        }
    }
    void LoadFreeUserInfo() override { ++freeUserLoads; }

    // Puts the label into a state without going through setStatus.
    void showStatus(const QString& caption, int colour) {
        caption_ = caption;
        colour_ = colour;
    }
    const QString& caption() const { return caption_; }
    bool enabled() const { return enabled_; }

    QList<bool> tray;
    bool wasDisabled = false;
    int statusChanges = 0;
    int freeUserLoads = 0;

  private:
    QString caption_ = QStringLiteral("Connected");
    int colour_ = kStatusColourConnected;
    bool enabled_ = true;
};

}  // namespace quillon::test
