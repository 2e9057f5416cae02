#pragma once
// What the windows' designs store for their buttons and sliders: the host's extent entries ("_extentx",
// "_extenty", in HiMetric) first, then the control's own values in the order the control writes them, with
// the skin's pictures. A missing skin picture fails with error 53 naming the file.
#include "platform/runtime/PropertyBag.h"

namespace controls {

// Close buttons of every window (the same images everywhere).
rt::PropertyBag closeButtonBag();
// Minimise buttons of every window.
rt::PropertyBag minimiseButtonBag();
// Player's about button.
rt::PropertyBag abautBag();
// Player's information button.
rt::PropertyBag infoBag();
// Player's open button.
rt::PropertyBag openBag();
// Player's playlist toggle.
rt::PropertyBag plBag();
// Player's spectrum toggle.
rt::PropertyBag saToggleBag();
// Player's transport buttons: 0 play, 1 pause, 2 stop; any other index fails with error 9.
rt::PropertyBag controlBag(int index);
// Player's seek bar.
rt::PropertyBag sliderTimeBag();
// Player's volume fader.
rt::PropertyBag sliderVolBag();

} // namespace controls
