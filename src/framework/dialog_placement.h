#pragma once

#include "framework/geometry.h"

// Where a dialog opens. Every template stands at 0, 0 without a centring style, and the
// position follows from its owner:
// - no owner, or an owner that is disabled while the dialog initialises (a modal dialog has
//   just disabled it): centred over the owner's window, or over the work area (the primary
//   screen less its task bars) when there is no owner; then moved back inside the work area if
//   it would stick out, so its caption can always be grabbed;
// - an enabled owner (a modeless dialog): its top-left corner at the top-left corner of the
//   owner's client area, not centred.
// Each backend fills the input from its own windows.
struct PlacementInput {
    Size dialogSize;  // the whole window, frame and caption included
    bool hasOwner = false;
    bool ownerEnabled = false;
    Rect ownerFrame;          // the owner's whole window, in screen coordinates
    Point ownerClientOrigin;  // the owner's client area origin, in screen coordinates
    Rect workArea;
};

Point DialogTopLeft(const PlacementInput& input);
