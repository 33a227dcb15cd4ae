#include "framework/dialog_units.h"

#include "framework/mul_div.h"

int DialogUnits::ToPixelsX(int x) const {
    return MulDiv(x, baseX_, 4);
}

int DialogUnits::ToPixelsY(int y) const {
    return MulDiv(y, baseY_, 8);
}

Size DialogUnits::ToPixels(Size size) const {
    return {ToPixelsX(size.width), ToPixelsY(size.height)};
}

Rect DialogUnits::ToPixels(Rect rect) const {
    return {ToPixelsX(rect.x), ToPixelsY(rect.y), ToPixelsX(rect.width), ToPixelsY(rect.height)};
}
