#include "desktop/WidgetMessageBoxes.h"

#include <QFontMetrics>
#include <QLabel>
#include <QMessageBox>
#include <QScreen>
#include <algorithm>

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

// The box breaks a line longer than about 500 pixels wherever the width runs out, which leaves
// a last word alone on a line of its own. A message whose longest line fits the screen keeps
// its lines as written.
void keepLinesWhole(QMessageBox& box, const QString& text) {
    auto* label = box.findChild<QLabel*>(QStringLiteral("qt_msgbox_label"));
    if (label == nullptr) {
        return;
    }
    const QFontMetrics metrics = label->fontMetrics();
    int widest = 0;
    QString lines = text;
    lines.replace(QLatin1String("\r\n"), QLatin1String("\n")).replace(u'\r', u'\n');
    for (const QString& line : lines.split(u'\n')) {
        widest = std::max(widest, metrics.horizontalAdvance(line));
    }
    const QScreen* screen = box.screen();
    const int room = screen != nullptr ? screen->availableGeometry().width() * 3 / 4 : 800;
    if (widest <= room) {
        label->setMinimumWidth(widest + 2 * label->margin() + 2 * label->frameWidth());
    }
}

MsgAnswer showRealBox(const MsgBoxRequest& request, QWidget* parent) {
    QMessageBox box(parent);
    box.setIcon(toQtIcon(request.icon));
    box.setWindowTitle(request.title.isEmpty() ? programTitle() : request.title);
    // Messages carry the service's reply text: it is shown as it is, never read as markup.
    box.setTextFormat(Qt::PlainText);
    box.setText(request.text);
    keepLinesWhole(box, request.text);
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
