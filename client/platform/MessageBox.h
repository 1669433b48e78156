#pragma once

#include <QString>
#include <functional>

class QWidget;

namespace quillon {

enum class MsgButtons { OK, YesNo };
enum class MsgIcon { None, Critical, Question, Exclamation, Information };
enum class MsgAnswer { OK, Yes, No };

struct MsgBoxRequest {
    QString text;
    MsgButtons buttons = MsgButtons::OK;
    QString title;  // empty: the program's own title
    MsgIcon icon = MsgIcon::None;
};

// Every message box of the program goes through here. A test installs a handler that
// records the request and answers it, so no real modal box is ever created under test.
MsgAnswer MsgBox(const MsgBoxRequest& request, QWidget* parent = nullptr);
MsgAnswer MsgBox(const QString& text, MsgButtons buttons = MsgButtons::OK,
                 const QString& title = QString(), MsgIcon icon = MsgIcon::None);

using MsgBoxHandler = std::function<MsgAnswer(const MsgBoxRequest&)>;
// Installs a handler (tests); an empty handler restores the program's own boxes.
void setMsgBoxHandler(MsgBoxHandler handler);

// The program's own boxes (UseWidgetMessageBoxes installs the real ones). With none installed
// the text goes to standard error and a question is answered No.
using ProgramMsgBox = std::function<MsgAnswer(const MsgBoxRequest&, QWidget* parent)>;
void setProgramMsgBox(ProgramMsgBox box);

// The title a box shows when the request names none.
QString programTitle();

}  // namespace quillon
