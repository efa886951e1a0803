// Sizes for the display's resolution: pixels of the design scaled and
// rounded as MulDiv rounds, how far a dialog's layout has grown, and the
// picture set it gets.
#include "common/dpi_scale.h"

#include <gtest/gtest.h>

namespace {

TEST(DpiScale, SizesGrowWithTheDisplayRoundedToTheNearestPixel) {
    struct Case {
        int pixels, dpi, expected;
    };
    const Case cases[] = {
        {50, 96, 50},    {360, 96, 360}, {50, 144, 75},   {140, 144, 210}, {360, 192, 720},
        {17, 144, 26},   {13, 144, 20},  {1, 144, 2},     {3, 120, 4},     {0, 144, 0},
        {-48, 144, -72}, {-48, 96, -48}, {-17, 144, -26}, {20, 168, 35},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ScaleForDpi(c.pixels, c.dpi), c.expected) << c.pixels << " at " << c.dpi;
    EXPECT_EQ(ScaleBy(20, 20, kDesignBaseUnitY), 31); // rows of a dialog at 20-pixel units
    EXPECT_EQ(ScaleBy(326, kDesignBaseUnitX, kDesignBaseUnitX), 326);
}

TEST(DpiScale, PicturesComeFromTheLargestSetTheLayoutHasRoomFor) {
    struct Case {
        int base_x, base_y, percent, pictures;
    };
    const Case cases[] = {
        {6, 13, 100, 100},  // the design
        {7, 16, 116, 100},  // 120 DPI
        {9, 20, 150, 150},  // 144 DPI
        {9, 19, 146, 100},  // grown, but not enough in height for the 150 % set
        {12, 26, 200, 200}, // 192 DPI
        {10, 20, 153, 150}, // a bitmap font that grew in steps
        {18, 39, 300, 200}, // beyond the largest set
        {5, 12, 83, 100},   // smaller than the design
    };
    for (const Case& c : cases) {
        EXPECT_EQ(LayoutPercent(c.base_x, c.base_y), c.percent) << c.base_x << "x" << c.base_y;
        EXPECT_EQ(PictureScaleForPercent(c.percent), c.pictures) << c.percent;
    }
    EXPECT_EQ(PictureIdForScale(100, 100), 100);
    EXPECT_EQ(PictureIdForScale(100, 150), PICTURE_ID_150(100));
    EXPECT_EQ(PictureIdForScale(802, 200), PICTURE_ID_200(802));
    EXPECT_NE(PICTURE_ID_150(802), PICTURE_ID_200(100)); // the sets' ids never meet
}

} // namespace
