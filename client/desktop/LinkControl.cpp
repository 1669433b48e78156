#include "desktop/LinkControl.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QColor>
#include <QEvent>
#include <QFont>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPalette>

namespace quillon {

namespace {

// The label's link behaviour: a child of the label, found by assistive technology's interface.
class LinkBehaviour : public QObject {
  public:
    LinkBehaviour(QLabel* label, std::function<void()> action)
        : QObject(label), label_(label), action_(std::move(action)) {
        label->installEventFilter(this);
    }

    void run() const {
        if (label_->isEnabled() && label_->isVisibleTo(label_->window())) {
            action_();
        }
    }

    bool eventFilter(QObject*, QEvent* event) override {
        switch (event->type()) {
            case QEvent::MouseButtonRelease: {
                const auto* mouse = static_cast<QMouseEvent*>(event);
                // A press dragged off the label before its release is no click.
                if (mouse->button() == Qt::LeftButton &&
                    label_->rect().contains(mouse->position().toPoint())) {
                    run();
                }
                return false;
            }
            case QEvent::KeyPress: {
                const auto* key = static_cast<QKeyEvent*>(event);
                const bool activates =
                    key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter ||
                    (key->key() == Qt::Key_Space && key->modifiers() == Qt::NoModifier);
                if (!activates) {
                    return false;
                }
                if (!key->isAutoRepeat()) {
                    run();
                }
                return true;
            }
            case QEvent::Paint: {
                if (!label_->hasFocus()) {
                    return false;
                }
                // The label paints itself first, then the focus frame goes on top.
                static_cast<QObject*>(label_)->event(event);
                QPainter painter(label_);
                QPen pen(label_->palette().color(QPalette::WindowText));
                pen.setStyle(Qt::DotLine);
                painter.setPen(pen);
                painter.drawRect(label_->rect().adjusted(0, 0, -1, -1));
                return true;
            }
            default:
                return false;
        }
    }

  private:
    QLabel* label_;
    std::function<void()> action_;
};

constexpr char kLinkProperty[] = "quillonLink";

LinkBehaviour* behaviourOf(const QObject* label) {
    return label->findChild<LinkBehaviour*>(QString(), Qt::FindDirectChildrenOnly);
}

class LinkAccessible : public QAccessibleWidget {
  public:
    explicit LinkAccessible(QLabel* label) : QAccessibleWidget(label, QAccessible::Link) {}

    QString text(QAccessible::Text t) const override {
        if (t == QAccessible::Name) {
            const QString name = widget()->accessibleName();
            return name.isEmpty() ? static_cast<QLabel*>(widget())->text().trimmed() : name;
        }
        return QAccessibleWidget::text(t);
    }

    QAccessible::State state() const override {
        QAccessible::State s = QAccessibleWidget::state();
        s.linked = true;
        return s;
    }

    QStringList actionNames() const override {
        return QStringList{pressAction()} + QAccessibleWidget::actionNames();
    }

    void doAction(const QString& actionName) override {
        if (actionName == pressAction()) {
            if (LinkBehaviour* behaviour = behaviourOf(widget())) {
                behaviour->run();
            }
            return;
        }
        QAccessibleWidget::doAction(actionName);
    }

    QStringList keyBindingsForAction(const QString& actionName) const override {
        if (actionName == pressAction()) {
            return {QStringLiteral("Return"), QStringLiteral("Space")};
        }
        return QAccessibleWidget::keyBindingsForAction(actionName);
    }
};

QAccessibleInterface* linkAccessible(const QString& className, QObject* object) {
    if (className == QLatin1String("QLabel") && object->property(kLinkProperty).toBool()) {
        return new LinkAccessible(static_cast<QLabel*>(object));
    }
    return nullptr;
}

void installAccessibleFactoryOnce() {
    static const bool installed = [] {
        QAccessible::installFactory(&linkAccessible);
        return true;
    }();
    (void)installed;
}

}  // namespace

void MakeLink(QLabel* label, std::function<void()> action) {
    installAccessibleFactoryOnce();
    label->setProperty(kLinkProperty, true);
    // An interface made for the plain label before now would be kept: it is dropped, so that
    // the next query makes the link's.
    QAccessible::deleteAccessibleInterface(
        QAccessible::uniqueId(QAccessible::queryAccessibleInterface(label)));
    label->setFocusPolicy(Qt::TabFocus);
    new LinkBehaviour(label, std::move(action));
}

void ShowAsLink(QLabel* label, const QColor& color) {
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, color);  // in every state, as a style sheet's would
    label->setPalette(palette);
    QFont underlined;  // only the underline is set: the rest still follows the window's font
    underlined.setUnderline(true);
    label->setFont(underlined);
}

}  // namespace quillon
