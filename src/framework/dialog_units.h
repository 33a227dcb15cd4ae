#pragma once

#include <QFont>
#include <QRect>
#include <QSize>

// Dialog units to pixels. One horizontal unit is a quarter of the dialog font's average
// character width, one vertical unit an eighth of its height; the base values come from the
// font actually used, so a substituted font gives a proportionally larger or smaller dialog.
class DialogUnits {
public:
    DialogUnits(int baseX, int baseY) : baseX_(baseX), baseY_(baseY) {}

    // Base x = (width of "A..Za..z" / 26 + 1) / 2, base y = the font's height.
    static DialogUnits FromFont(const QFont& font);

    int BaseX() const { return baseX_; }
    int BaseY() const { return baseY_; }

    int ToPixelsX(int x) const;
    int ToPixelsY(int y) const;
    QSize ToPixels(QSize size) const;
    // Each of x, y, width and height converted on its own, as controls are placed.
    QRect ToPixels(QRect rect) const;

private:
    int baseX_;
    int baseY_;
};
