#pragma once
// How the windows' designs are written: each control at its place, and the close and minimise buttons that
// every window shares, with their tooltips and the window states they set.
#include "controls/Button.h"
#include "platform/runtime/Controls.h"
#include "platform/runtime/PropertyBag.h"

namespace player {

// A control's place in its container: left, top, width, height, in twips unless the window measures in
// pixels.
struct Place {
    double left, top, width, height;
};

void place(rt::Control& control, const Place& at);
// A button loads its stored design at its place; without a tooltip it keeps none.
void placeButton(controls::Button& button, const Place& at, const rt::PropertyBag& bag,
                 const rt::String& tip = {});
// The close and minimise buttons look and read the same in every window.
void placeCloseButton(controls::Button& button, const Place& at);
void placeMinimiseButton(controls::Button& button, const Place& at);

// The states the minimise buttons set and the companion toggles restore.
enum WindowStateValue : int { kNormal = 0, kMinimised = 1 };

} // namespace player
