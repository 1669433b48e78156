#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <deque>
#include <functional>
#include <vector>

#include "platform/MessageBox.h"

namespace quillon::test {

// Answers every message box of the program while it lives, and keeps what was asked.
// Answers are taken from the queue in order; an empty queue answers OK (or Yes).
class ScriptedMessageBoxes {
  public:
    ScriptedMessageBoxes();
    ~ScriptedMessageBoxes();
    ScriptedMessageBoxes(const ScriptedMessageBoxes&) = delete;
    ScriptedMessageBoxes& operator=(const ScriptedMessageBoxes&) = delete;

    void queueAnswer(MsgAnswer answer) { answers_.push_back(answer); }
    const std::vector<MsgBoxRequest>& shown() const { return shown_; }
    QStringList texts() const;
    void clear() { shown_.clear(); }
    // Runs while a box is up, before it is answered: what the event loop of a real box would let
    // happen meanwhile (a timer's tick, a rebuild).
    std::function<void(const MsgBoxRequest&)> onShow;

  private:
    std::deque<MsgAnswer> answers_;
    std::vector<MsgBoxRequest> shown_;
};

// Fixes the program's clock while it lives.
class FixedClock {
  public:
    explicit FixedClock(QDateTime now);
    ~FixedClock();
    FixedClock(const FixedClock&) = delete;
    FixedClock& operator=(const FixedClock&) = delete;
    void set(QDateTime now) { now_ = std::move(now); }

  private:
    QDateTime now_;
};

// Records the pages the program asks to open, instead of starting a browser.
class RecordingPageOpener {
  public:
    RecordingPageOpener();
    ~RecordingPageOpener();
    RecordingPageOpener(const RecordingPageOpener&) = delete;
    RecordingPageOpener& operator=(const RecordingPageOpener&) = delete;
    const QStringList& opened() const { return opened_; }

  private:
    QStringList opened_;
};

// Counts beeps instead of sounding them.
class BeepCounter {
  public:
    BeepCounter();
    ~BeepCounter();
    BeepCounter(const BeepCounter&) = delete;
    BeepCounter& operator=(const BeepCounter&) = delete;
    int count() const { return count_; }

  private:
    int count_ = 0;
};

}  // namespace quillon::test
