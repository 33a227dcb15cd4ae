#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>

class QWidget;

// Where a dialog opens. Every template stands at 0, 0 without a centring style, and the
// position follows from its owner:
// - no owner, or an owner that is disabled while the dialog initialises (a modal dialog has
//   just disabled it): centred over the owner's window, or over the work area (the primary
//   screen less its task bars) when there is no owner; then moved back inside the work area if
//   it would stick out, so its caption can always be grabbed;
// - an enabled owner (a modeless dialog): its top-left corner at the top-left corner of the
//   owner's client area, not centred.
struct PlacementInput {
    QSize dialogSize;
    bool hasOwner = false;
    bool ownerEnabled = false;
    QRect ownerFrame;          // the owner's whole window, in screen coordinates
    QPoint ownerClientOrigin;  // the owner's client area origin, in screen coordinates
    QRect workArea;
};

QPoint DialogTopLeft(const PlacementInput& input);

// The input for a dialog of this size owned by this window (or none) on this desktop.
PlacementInput PlacementFor(QSize dialogSize, const QWidget* owner);
