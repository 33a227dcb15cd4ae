#pragma once

#include <QList>
#include <QPointer>
#include <QWidget>

// Disables a modal dialog's owner for as long as the dialog runs, and enables it again after.
// Only the owner itself stops taking input: the windows it owns (the modal dialog, open
// viewers) stay usable, although Qt would otherwise pass the disabled state on to them. An
// owner that was already disabled is left disabled.
// Disabling a window makes Qt take the keyboard focus from it; enabling it again gives the focus
// back to the control that had it, so the keyboard carries on where the user left it.
class OwnerDisabler {
public:
    explicit OwnerDisabler(QWidget* owner);
    ~OwnerDisabler();

    OwnerDisabler(const OwnerDisabler&) = delete;
    OwnerDisabler& operator=(const OwnerDisabler&) = delete;

private:
    QPointer<QWidget> owner_;
    QPointer<QWidget> focus_;
    bool disabled_ = false;
};
