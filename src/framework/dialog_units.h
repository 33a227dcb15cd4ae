#pragma once

#include "framework/geometry.h"

// Dialog units to pixels. One horizontal unit is a quarter of the dialog font's average
// character width, one vertical unit an eighth of its height. A backend measures the font it
// actually uses (base x = (width of "A..Za..z" / 26 + 1) / 2, base y = the font's height), so a
// substituted font gives a proportionally larger or smaller dialog.
class DialogUnits {
public:
    DialogUnits(int baseX, int baseY) : baseX_(baseX), baseY_(baseY) {}

    int BaseX() const { return baseX_; }
    int BaseY() const { return baseY_; }

    int ToPixelsX(int x) const;
    int ToPixelsY(int y) const;
    Size ToPixels(Size size) const;
    // Each of x, y, width and height converted on its own, as controls are placed.
    Rect ToPixels(Rect rect) const;

private:
    int baseX_;
    int baseY_;
};
