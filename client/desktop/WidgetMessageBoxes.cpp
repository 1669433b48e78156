#include "desktop/WidgetMessageBoxes.h"

#include <QMessageBox>

#include "platform/MessageBox.h"

namespace quillon {

namespace {

QMessageBox::Icon toQtIcon(MsgIcon icon) {
    switch (icon) {
        case MsgIcon::Critical:
            return QMessageBox::Critical;
        case MsgIcon::Question:
            return QMessageBox::Question;
        case MsgIcon::Exclamation:
            return QMessageBox::Warning;
        case MsgIcon::Information:
            return QMessageBox::Information;
        case MsgIcon::None:
            break;
    }
    return QMessageBox::NoIcon;
}

MsgAnswer showRealBox(const MsgBoxRequest& request, QWidget* parent) {
    QMessageBox box(parent);
    box.setIcon(toQtIcon(request.icon));
    box.setWindowTitle(request.title.isEmpty() ? programTitle() : request.title);
    // Messages carry the service's reply text: it is shown as it is, never read as markup.
    box.setTextFormat(Qt::PlainText);
    box.setText(request.text);
    if (request.buttons == MsgButtons::YesNo) {
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box.setDefaultButton(QMessageBox::Yes);
        return box.exec() == QMessageBox::Yes ? MsgAnswer::Yes : MsgAnswer::No;
    }
    box.setStandardButtons(QMessageBox::Ok);
    box.exec();
    return MsgAnswer::OK;
}

}  // namespace

void UseWidgetMessageBoxes() {
    setProgramMsgBox(showRealBox);
}

}  // namespace quillon
