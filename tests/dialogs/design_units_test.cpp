// Design units become pixels by DialogScale, rounded halves to even.
#include <gtest/gtest.h>

#include <limits>

#include "core/state.h"
#include "dialogs/design_units.h"

using dialogs::Scaled;
using dialogs::ScaledBy;

TEST(DesignUnits, RoundToNearestWithHalvesToTheEvenNeighbour) {
    EXPECT_EQ(ScaledBy(5, 1.25), 6);      // 6.25
    EXPECT_EQ(ScaledBy(10, 1.25), 12);    // 12.5: 12 is even
    EXPECT_EQ(ScaledBy(270, 1.25), 338);  // 337.5: 338 is even
    EXPECT_EQ(ScaledBy(7, 1.5), 10);      // 10.5
    EXPECT_EQ(ScaledBy(9, 1.5), 14);      // 13.5
    EXPECT_EQ(ScaledBy(3, 1.3), 4);       // 3.9
    EXPECT_EQ(ScaledBy(-5, 0.5), -2);     // -2.5
    EXPECT_EQ(ScaledBy(400, 1.0), 400);
}

TEST(DesignUnits, ValuesNoWindowCouldHaveStayInRange) {
    EXPECT_EQ(ScaledBy(1e300, 10), 1000000000);
    EXPECT_EQ(ScaledBy(-1e300, 10), -1000000000);
    EXPECT_EQ(ScaledBy(5, std::numeric_limits<double>::quiet_NaN()), 0);
}

TEST(DesignUnits, FollowTheDialogScaleOfTheConfiguration) {
    EXPECT_EQ(Scaled(185), 185);
    core::S().DialogScale = 1.25;
    EXPECT_EQ(Scaled(185), 231);  // 231.25
    const plat::Box box = Scaled(plat::Box{5, 10, 50, 20});
    EXPECT_EQ(box.x, 6);
    EXPECT_EQ(box.y, 12);
    EXPECT_EQ(box.w, 62);  // 62.5
    EXPECT_EQ(box.h, 25);
}
