#include "framework/qt/dialog_font.h"

#include <QString>

#include "framework/dialog_template.h"

QFont DialogFont(const DialogTemplate& dialogTemplate) {
    QFont font(QString::fromLatin1(dialogTemplate.fontFace), dialogTemplate.pointSize);
    // A bitmap sans face first, then any sans serif: keeps the fallback close in width.
    font.setStyleHint(QFont::SansSerif);
    return font;
}
