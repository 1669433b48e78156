#include "desktop/KeyboardFocus.h"

#include <QWidget>

namespace quillon {

bool FocusFirstControl(QWidget* container) {
    for (QWidget* w = container->nextInFocusChain(); w != container; w = w->nextInFocusChain()) {
        if (container->isAncestorOf(w) && (w->focusPolicy() & Qt::TabFocus) && w->isEnabled() &&
            w->isVisibleTo(container)) {
            w->setFocus(Qt::TabFocusReason);
            return true;
        }
    }
    return false;
}

}  // namespace quillon
