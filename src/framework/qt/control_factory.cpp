#include "framework/qt/control_factory.h"

#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QString>

#include "framework/dialog_template.h"

namespace {

bool Has(const ControlTemplate& control, unsigned style) {
    return (control.style & style) != 0;
}

QWidget* CreateButton(const ControlTemplate& control, QWidget* dialog) {
    auto* button = new QPushButton(QString::fromLocal8Bit(control.text), dialog);
    // Enter is handled by the dialog, which presses the focused button; Qt's own default-button
    // logic would press a different one.
    button->setAutoDefault(false);
    button->setDefault(false);
    if (control.kind == ControlKind::DefPushButton) {
        QFont font = button->font();
        font.setBold(true);
        button->setFont(font);
    }
    return button;
}

QWidget* CreateStatic(const ControlTemplate& control, QWidget* dialog) {
    auto* label = new QLabel(QString::fromLocal8Bit(control.text), dialog);
    label->setTextFormat(Qt::PlainText);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label->setWordWrap(true);
    if (Has(control, control_style::kSunken)) {
        label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    }
    return label;
}

QWidget* CreateProgressBar(const ControlTemplate& control, QWidget* dialog) {
    auto* bar = new QProgressBar(dialog);
    bar->setRange(0, 100);
    bar->setValue(0);
    bar->setTextVisible(false);
    if (!Has(control, control_style::kBorder)) {
        bar->setStyleSheet(QStringLiteral("QProgressBar { border: none; }"));
    }
    return bar;
}

QWidget* CreateListBox(const ControlTemplate& control, QWidget* dialog) {
    auto* list = new QListWidget(dialog);
    list->setSortingEnabled(Has(control, control_style::kSorted));
    list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    list->setVerticalScrollBarPolicy(Has(control, control_style::kVerticalScroll)
                                         ? Qt::ScrollBarAsNeeded
                                         : Qt::ScrollBarAlwaysOff);
    list->setFrameShape(Has(control, control_style::kBorder) ? QFrame::StyledPanel
                                                             : QFrame::NoFrame);
    // Every line is one line of text: lets the view lay out thousands of them without
    // measuring each.
    list->setUniformItemSizes(true);
    return list;
}

QWidget* CreateWidgetOfKind(const ControlTemplate& control, QWidget* dialog) {
    switch (control.kind) {
        case ControlKind::PushButton:
        case ControlKind::DefPushButton:
            return CreateButton(control, dialog);
        case ControlKind::ProgressBar:
            return CreateProgressBar(control, dialog);
        case ControlKind::ListBox:
            return CreateListBox(control, dialog);
        case ControlKind::Static:
            break;
    }
    return CreateStatic(control, dialog);
}

}  // namespace

QWidget* CreateControl(const ControlTemplate& control, QWidget* dialog) {
    QWidget* widget = CreateWidgetOfKind(control, dialog);
    widget->setFocusPolicy(Has(control, control_style::kTabStop) ? Qt::StrongFocus : Qt::NoFocus);
    widget->setProperty("controlId", control.id);
    return widget;
}
