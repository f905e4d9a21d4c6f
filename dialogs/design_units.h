// Window layouts are written in design units: a 96-DPI pixel at scale 1.
// Each coordinate and size becomes whole pixels when its gadget is created,
// multiplied by DialogScale and rounded to the nearest integer, halves to
// the even neighbour, so 6.25 gives 6 and 12.5 gives 12.
#pragma once

#include "platform/gui.h"

namespace dialogs {

// `designUnits` x `scale`, rounded halves to even. Values beyond any screen
// (or not a number) stick at +/-1e9 or give 0 instead of overflowing.
int ScaledBy(double designUnits, double scale);

// The same with core::S().DialogScale.
int Scaled(double designUnits);
// Each of x, y, w, h scaled on its own.
plat::Box Scaled(const plat::Box& design);

// Pixels back in design units at DialogScale, to the nearest unit: what the
// window remembers of its size.
int Unscaled(int pixels);

}  // namespace dialogs
