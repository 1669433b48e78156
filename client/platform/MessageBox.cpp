#include "platform/MessageBox.h"

#include <QApplication>
#include <QMessageBox>

namespace quillon {

namespace {

MsgBoxHandler& handler() {
    static MsgBoxHandler h;
    return h;
}

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

QString programTitle() {
    const QString name = QCoreApplication::applicationName();
    return name.isEmpty() ? QStringLiteral("Quillon") : name;
}

MsgAnswer MsgBox(const MsgBoxRequest& request, QWidget* parent) {
    if (handler()) {
        return handler()(request);
    }
    return showRealBox(request, parent);
}

MsgAnswer MsgBox(const QString& text, MsgButtons buttons, const QString& title, MsgIcon icon) {
    return MsgBox(MsgBoxRequest{text, buttons, title, icon});
}

void setMsgBoxHandler(MsgBoxHandler h) {
    handler() = std::move(h);
}

}  // namespace quillon
