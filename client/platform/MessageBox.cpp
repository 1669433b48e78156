#include "platform/MessageBox.h"

#include <QCoreApplication>
#include <cstdio>

namespace quillon {

namespace {

MsgBoxHandler& handler() {
    static MsgBoxHandler h;
    return h;
}

ProgramMsgBox& programBox() {
    static ProgramMsgBox box;
    return box;
}

// A program without windows has nobody to answer: the text goes to standard error, and a
// question is answered No, so that nothing destructive follows.
MsgAnswer writeToStandardError(const MsgBoxRequest& request) {
    const QString title = request.title.isEmpty() ? programTitle() : request.title;
    std::fprintf(stderr, "%s: %s\n", qUtf8Printable(title), qUtf8Printable(request.text));
    return request.buttons == MsgButtons::YesNo ? MsgAnswer::No : MsgAnswer::OK;
}

}  // namespace

QString programTitle() {
    const QString name = QCoreApplication::applicationName();
    return name.isEmpty() ? QStringLiteral("Quillon") : name;
}

MsgAnswer MsgBox(const MsgBoxRequest& request, QWidget* parent) {
    if (handler()) {
        return handler()(request);
    }
    if (programBox()) {
        return programBox()(request, parent);
    }
    return writeToStandardError(request);
}

MsgAnswer MsgBox(const QString& text, MsgButtons buttons, const QString& title, MsgIcon icon) {
    return MsgBox(MsgBoxRequest{text, buttons, title, icon});
}

void setMsgBoxHandler(MsgBoxHandler h) {
    handler() = std::move(h);
}

void setProgramMsgBox(ProgramMsgBox box) {
    programBox() = std::move(box);
}

}  // namespace quillon
