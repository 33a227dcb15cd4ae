#include "framework/dialog_placement.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <algorithm>

QPoint DialogTopLeft(const PlacementInput& input) {
    if (input.hasOwner && input.ownerEnabled) {
        return input.ownerClientOrigin;
    }
    const QRect over = input.hasOwner ? input.ownerFrame : input.workArea;
    QPoint topLeft(over.x() + (over.width() - input.dialogSize.width()) / 2,
                   over.y() + (over.height() - input.dialogSize.height()) / 2);
    if (!input.workArea.isEmpty()) {
        const QRect& area = input.workArea;
        topLeft.setX(std::max(area.left(),
                              std::min(topLeft.x(), area.right() + 1 - input.dialogSize.width())));
        topLeft.setY(std::max(
            area.top(), std::min(topLeft.y(), area.bottom() + 1 - input.dialogSize.height())));
    }
    return topLeft;
}

PlacementInput PlacementFor(QSize dialogSize, const QWidget* owner) {
    PlacementInput input;
    input.dialogSize = dialogSize;
    const QScreen* screen = owner != nullptr && owner->screen() != nullptr
                                ? owner->screen()
                                : QGuiApplication::primaryScreen();
    if (screen != nullptr) {
        input.workArea = screen->availableGeometry();
    }
    if (owner != nullptr) {
        const QWidget* ownerWindow = owner->window();
        input.hasOwner = true;
        input.ownerEnabled = ownerWindow->isEnabled();
        input.ownerFrame = ownerWindow->frameGeometry();
        input.ownerClientOrigin = ownerWindow->mapToGlobal(QPoint(0, 0));
    }
    return input;
}
