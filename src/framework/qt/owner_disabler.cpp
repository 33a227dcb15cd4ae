#include "framework/qt/owner_disabler.h"

OwnerDisabler::OwnerDisabler(QWidget* owner) : owner_(owner) {
    if (owner == nullptr || !owner->isEnabled()) {
        return;
    }
    QList<QPointer<QWidget>> ownedWindows;
    for (QWidget* child : owner->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (child->isWindow() && child->isEnabled()) {
            ownedWindows.append(child);
        }
    }
    focus_ = owner->focusWidget();
    owner->setEnabled(false);
    disabled_ = true;
    for (const QPointer<QWidget>& window : ownedWindows) {
        if (window) {
            window->setEnabled(true);
        }
    }
}

OwnerDisabler::~OwnerDisabler() {
    QWidget* const owner = owner_.data();
    if (!disabled_ || owner == nullptr) {
        return;
    }
    owner->setEnabled(true);
    QWidget* const focus = focus_.data();
    if (focus != nullptr && owner->isAncestorOf(focus) && focus->isEnabled()) {
        focus->setFocus(Qt::OtherFocusReason);
    }
}
