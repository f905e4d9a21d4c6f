#include "core/config.h"
#include "core/state.h"
#include "platform/shell.h"

namespace core {

// A hand-edited GDMScale such as 1e30 would turn window sizes into numbers
// no int holds; beyond these limits no window is usable anyway.
static constexpr double kScaleMin = 0.25;
static constexpr double kScaleMax = 10.0;

static double ScaleLimited(double scale) {
    if (!(scale >= kScaleMin)) return kScaleMin;  // NaN lands here too
    if (scale > kScaleMax) return kScaleMax;
    return scale;
}

// A configured 0 is already -1 when read; should one arrive here it means
// the same. A screen that reports no DPI counts as 96.
double DialogScaleFor(float configured) { return DialogScaleAt(configured, plat::ScreenDpiX()); }

double DialogScaleAt(float configured, int dpi) {
    const int system = plat::ScreenDpiX();
    if (configured > 0.0f) return ScaleLimited(dpi > 0 && system > 0 ? configured * dpi / double(system) : configured);
    if (dpi <= 0) return 1.0;
    return ScaleLimited(dpi / 96.0);
}

void UpdateDialogScale() { S().DialogScale = DialogScaleFor(S().settings.GDMScale); }

}  // namespace core
