#include "framework/dialog_placement.h"

#include <algorithm>

Point DialogTopLeft(const PlacementInput& input) {
    if (input.hasOwner && input.ownerEnabled) {
        return input.ownerClientOrigin;
    }
    const Rect over = input.hasOwner ? input.ownerFrame : input.workArea;
    Point topLeft{over.x + (over.width - input.dialogSize.width) / 2,
                  over.y + (over.height - input.dialogSize.height) / 2};
    if (!input.workArea.IsEmpty()) {
        const Rect& area = input.workArea;
        topLeft.x =
            std::max(area.x, std::min(topLeft.x, area.x + area.width - input.dialogSize.width));
        topLeft.y =
            std::max(area.y, std::min(topLeft.y, area.y + area.height - input.dialogSize.height));
    }
    return topLeft;
}
