#include "dialogs/design_units.h"

#include <cmath>

#include "core/state.h"

namespace dialogs {

static constexpr double kUnitsLimit = 1e9;

// Rounded by hand rather than with std::nearbyint, whose result follows the
// floating-point rounding mode a library might have changed.
int ScaledBy(double designUnits, double scale) {
    const double value = designUnits * scale;
    if (std::isnan(value)) return 0;
    if (value >= kUnitsLimit) return static_cast<int>(kUnitsLimit);
    if (value <= -kUnitsLimit) return -static_cast<int>(kUnitsLimit);
    double whole = std::floor(value);
    const double fraction = value - whole;
    if (fraction > 0.5 || (fraction == 0.5 && std::fmod(whole, 2.0) != 0.0)) whole += 1.0;
    return static_cast<int>(whole);
}

int Scaled(double designUnits) { return ScaledBy(designUnits, core::S().DialogScale); }

plat::Box Scaled(const plat::Box& design) {
    return plat::Box{Scaled(design.x), Scaled(design.y), Scaled(design.w), Scaled(design.h)};
}

int Unscaled(int pixels) {
    const double scale = core::S().DialogScale;
    return scale > 0 ? ScaledBy(pixels, 1.0 / scale) : pixels;
}

}  // namespace dialogs
