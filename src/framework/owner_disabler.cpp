#include "framework/owner_disabler.h"

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
    owner->setEnabled(false);
    disabled_ = true;
    for (const QPointer<QWidget>& window : ownedWindows) {
        if (window) {
            window->setEnabled(true);
        }
    }
}

OwnerDisabler::~OwnerDisabler() {
    if (disabled_ && owner_) {
        owner_->setEnabled(true);
    }
}
