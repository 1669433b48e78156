#include "resources/PictureButton.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPalette>

#include "desktop/Twips.h"
#include "resources/Resources.h"

namespace quillon {

namespace {

// What assistive technology sees of a picture button: a button named by its caption whose
// press action runs it.
class PictureButtonAccessible : public QAccessibleWidget {
  public:
    explicit PictureButtonAccessible(ButtonPicture* picture)
        : QAccessibleWidget(picture, QAccessible::Button) {}

    QString text(QAccessible::Text t) const override {
        if (t == QAccessible::Name) {
            const QString name = widget()->accessibleName();
            return name.isEmpty() ? owner()->caption() : name;
        }
        return QAccessibleWidget::text(t);
    }

    QStringList actionNames() const override {
        return QStringList{pressAction()} + QAccessibleWidget::actionNames();
    }

    void doAction(const QString& actionName) override {
        if (actionName == pressAction()) {
            if (owner()->isEnabled() && widget()->isVisibleTo(widget()->window())) {
                owner()->click();
            }
            return;
        }
        QAccessibleWidget::doAction(actionName);
    }

    QStringList keyBindingsForAction(const QString& actionName) const override {
        if (actionName == pressAction()) {
            return {QStringLiteral("Space")};
        }
        return QAccessibleWidget::keyBindingsForAction(actionName);
    }

  private:
    PictureButton* owner() const { return static_cast<ButtonPicture*>(widget())->owner(); }
};

// The caption label lying on the picture: the button already carries its caption, so assistive
// technology is told the label is not there to be read, and the button is announced once.
class ButtonCaptionAccessible : public QAccessibleWidget {
  public:
    explicit ButtonCaptionAccessible(QLabel* label)
        : QAccessibleWidget(label, QAccessible::StaticText) {}

    QString text(QAccessible::Text) const override { return QString(); }

    QAccessible::State state() const override {
        QAccessible::State s = QAccessibleWidget::state();
        s.invisible = true;
        s.focusable = false;
        return s;
    }
};

constexpr char kCaptionProperty[] = "quillonButtonCaption";

QAccessibleInterface* pictureButtonAccessible(const QString& className, QObject* object) {
    if (className == QLatin1String(ButtonPicture::staticMetaObject.className())) {
        return new PictureButtonAccessible(static_cast<ButtonPicture*>(object));
    }
    if (className == QLatin1String("QLabel") && object->property(kCaptionProperty).toBool()) {
        return new ButtonCaptionAccessible(static_cast<QLabel*>(object));
    }
    return nullptr;
}

void installAccessibleFactoryOnce() {
    static const bool installed = [] {
        QAccessible::installFactory(&pictureButtonAccessible);
        return true;
    }();
    (void)installed;
}

}  // namespace

ButtonPicture::ButtonPicture(PictureButton* owner, QWidget* parent)
    : QLabel(parent), owner_(owner) {
    // Tab reaches it; a click does not take the focus from where the user left it.
    setFocusPolicy(Qt::TabFocus);
}

void ButtonPicture::paintEvent(QPaintEvent* event) {
    QLabel::paintEvent(event);
    if (!hasFocus()) {
        return;
    }
    // The focus frame lies inside the face's raised edge, where the caption leaves it visible.
    QPainter painter(this);
    QPen pen(palette().color(QPalette::WindowText));
    pen.setStyle(Qt::DotLine);
    painter.setPen(pen);
    painter.drawRect(rect().adjusted(3, 3, -4, -4));
}

PictureButton::PictureButton(QWidget* parent, const QString& pictureName, const QString& labelName,
                             const QString& caption)
    : QObject(parent), picture_(new ButtonPicture(this, parent)), label_(new QLabel(parent)) {
    installAccessibleFactoryOnce();
    // Marked before it has text, so that assistive technology never sees a plain label.
    label_->setProperty(kCaptionProperty, true);
    label_->setText(caption);
    setObjectName(pictureName + QStringLiteral("Button"));
    picture_->setObjectName(pictureName);
    label_->setObjectName(labelName);
    label_->setAlignment(Qt::AlignCenter);
    label_->setAttribute(Qt::WA_TranslucentBackground);
    // The caption on the picture: no background of its own, dark text in every state.
    QPalette palette = label_->palette();
    palette.setColor(QPalette::WindowText, QColor(0x10, 0x2a, 0x4a));
    label_->setPalette(palette);
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
    if (!enabled) {
        spaceHeld_ = false;
        if (down_) {
            showFace(false);
        }
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
    // Keys sent to a button its window does not show (a panel hides it) run nothing.
    if (watched == picture_ && picture_->isVisibleTo(picture_->window()) && keyEvent(event)) {
        return true;
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

// Space and Enter on the focused picture. True when the event was the button's.
bool PictureButton::keyEvent(QEvent* event) {
    switch (event->type()) {
        case QEvent::KeyPress: {
            auto* key = static_cast<QKeyEvent*>(event);
            if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
                if (!key->isAutoRepeat()) {
                    emit clicked();
                }
                return true;
            }
            if (key->key() == Qt::Key_Space && key->modifiers() == Qt::NoModifier) {
                if (!key->isAutoRepeat()) {
                    spaceHeld_ = true;
                    if (!keepsFace_) {
                        showFace(true);
                    }
                }
                return true;
            }
            return false;
        }
        case QEvent::KeyRelease: {
            auto* key = static_cast<QKeyEvent*>(event);
            if (key->key() != Qt::Key_Space || key->isAutoRepeat() || !spaceHeld_) {
                return false;
            }
            spaceHeld_ = false;
            if (down_) {
                showFace(false);
            }
            // The action may close the window, so it runs last.
            emit clicked();
            return true;
        }
        case QEvent::FocusOut:
            // Space held while the focus leaves is no press.
            if (spaceHeld_) {
                spaceHeld_ = false;
                if (down_) {
                    showFace(false);
                }
            }
            return false;
        default:
            return false;
    }
}

}  // namespace quillon
