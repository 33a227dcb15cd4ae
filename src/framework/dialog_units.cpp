#include "framework/dialog_units.h"

#include <QFontMetrics>
#include <QString>

#include "framework/mul_div.h"

DialogUnits DialogUnits::FromFont(const QFont& font) {
    const QFontMetrics metrics(font);
    const int alphabetWidth = metrics.horizontalAdvance(
        QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    return DialogUnits((alphabetWidth / 26 + 1) / 2, metrics.height());
}

int DialogUnits::ToPixelsX(int x) const {
    return MulDiv(x, baseX_, 4);
}

int DialogUnits::ToPixelsY(int y) const {
    return MulDiv(y, baseY_, 8);
}

QSize DialogUnits::ToPixels(QSize size) const {
    return {ToPixelsX(size.width()), ToPixelsY(size.height())};
}

QRect DialogUnits::ToPixels(QRect rect) const {
    return {ToPixelsX(rect.x()), ToPixelsY(rect.y()), ToPixelsX(rect.width()),
            ToPixelsY(rect.height())};
}
