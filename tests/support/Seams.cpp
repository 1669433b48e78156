#include "support/Seams.h"

#include "desktop/Beep.h"
#include "desktop/PageOpener.h"
#include "platform/Clock.h"

namespace quillon::test {

ScriptedMessageBoxes::ScriptedMessageBoxes() {
    setMsgBoxHandler([this](const MsgBoxRequest& request) {
        shown_.push_back(request);
        if (onShow) {
            onShow(request);
        }
        if (!answers_.empty()) {
            MsgAnswer answer = answers_.front();
            answers_.pop_front();
            return answer;
        }
        return request.buttons == MsgButtons::YesNo ? MsgAnswer::Yes : MsgAnswer::OK;
    });
}

ScriptedMessageBoxes::~ScriptedMessageBoxes() {
    setMsgBoxHandler({});
}

QStringList ScriptedMessageBoxes::texts() const {
    QStringList list;
    for (const auto& r : shown_) {
        list << r.text;
    }
    return list;
}

FixedClock::FixedClock(QDateTime now) : now_(std::move(now)) {
    setClock([this] { return now_; });
}

FixedClock::~FixedClock() {
    setClock({});
}

RecordingPageOpener::RecordingPageOpener() {
    setPageOpener([this](const QString& url) { opened_ << url; });
}

RecordingPageOpener::~RecordingPageOpener() {
    setPageOpener({});
}

BeepCounter::BeepCounter() {
    setBeepHandler([this] { ++count_; });
}

BeepCounter::~BeepCounter() {
    setBeepHandler({});
}

}  // namespace quillon::test
