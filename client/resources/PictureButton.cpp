#include "resources/PictureButton.h"

#include <QEvent>
#include <QLabel>
#include <QMouseEvent>

#include "platform/Twips.h"
#include "resources/Resources.h"

namespace quillon {

PictureButton::PictureButton(QWidget* parent, const QString& pictureName, const QString& labelName,
                             const QString& caption)
    : QObject(parent), picture_(new QLabel(parent)), label_(new QLabel(caption, parent)) {
    setObjectName(pictureName + QStringLiteral("Button"));
    picture_->setObjectName(pictureName);
    label_->setObjectName(labelName);
    label_->setAlignment(Qt::AlignCenter);
    label_->setAttribute(Qt::WA_TranslucentBackground);
    label_->setStyleSheet(QStringLiteral("QLabel { background: transparent; color: #102a4a; }"));
    picture_->setCursor(handCursor());
    label_->setCursor(handCursor());
    picture_->installEventFilter(this);
    label_->installEventFilter(this);
    setGeometry(QRect(0, 0, twipsToPixels(1200), twipsToPixels(375)));
}

void PictureButton::setGeometry(const QRect& pixels) {
    picture_->setGeometry(pixels);
    label_->setGeometry(pixels);
    showFace(down_);
    label_->raise();
}

void PictureButton::setGeometryTwips(int left, int top, int width, int height) {
    setGeometry(twipsRect(left, top, width, height));
}

void PictureButton::setCaption(const QString& caption) {
    label_->setText(caption);
}

QString PictureButton::caption() const {
    return label_->text();
}

void PictureButton::setEnabled(bool enabled) {
    picture_->setEnabled(enabled);
    label_->setEnabled(enabled);
    if (!enabled && down_) {
        showFace(false);
    }
}

bool PictureButton::isEnabled() const {
    return picture_->isEnabled();
}

void PictureButton::setVisible(bool visible) {
    picture_->setVisible(visible);
    label_->setVisible(visible);
}

void PictureButton::click() {
    emit clicked();
}

void PictureButton::showFace(bool down) {
    down_ = down;
    picture_->setPixmap(buttonFace(down, picture_->size()));
}

bool PictureButton::eventFilter(QObject* watched, QEvent* event) {
    if (watched != picture_ && watched != label_) {
        return QObject::eventFilter(watched, event);
    }
    if (watched == picture_ && (event->type() == QEvent::Move || event->type() == QEvent::Resize)) {
        // Whoever moves or stretches the picture (the window's sizer registers the picture
        // alone), the caption lying on top of it goes along.
        label_->setGeometry(picture_->geometry());
        if (event->type() == QEvent::Resize) {
            showFace(down_);
        }
        return false;
    }
    auto* widget = static_cast<QWidget*>(watched);
    if (!isEnabled()) {
        return false;  // a disabled button neither goes down nor clicks
    }
    switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick:
            if (static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
                showFace(true);
                return true;
            }
            break;
        case QEvent::MouseButtonRelease:
            if (static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton && down_) {
                showFace(false);
                // A click is a press and a release over the same control; the action may
                // close the window, so it runs last.
                if (widget->rect().contains(
                        static_cast<QMouseEvent*>(event)->position().toPoint())) {
                    emit clicked();
                }
                return true;
            }
            break;
        default:
            break;
    }
    return QObject::eventFilter(watched, event);
}

}  // namespace quillon
