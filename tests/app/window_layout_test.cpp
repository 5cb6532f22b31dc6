// The pointer at any display density lands on the picture pixel drawn under it.
#include "app/window_layout.h"

#include <gtest/gtest.h>

TEST(DisplayDensity, PointerMapsToThePictureDrawnUnderIt) {
    for (int dpi : {96, 120, 144, 192}) {
        for (int size = 0; size < 3; ++size) {
            const ScreenSize device = DevicePictureSize(size, dpi);
            const ScreenSize picture = PictureSize(size);
            EXPECT_EQ(ToPicture(device.width, dpi), picture.width) << dpi;
            EXPECT_EQ(ToPicture(device.height, dpi), picture.height) << dpi;
            for (int d = 0; d < device.width; ++d) {
                const int p = ToPicture(d, dpi);
                ASSERT_TRUE(ToDevice(p, dpi) <= d + 1 && d < ToDevice(p + 1, dpi) + 1) << dpi << " " << d;
                if (dpi == kLayoutDpi) {
                    ASSERT_EQ(p, d);
                }
            }
        }
        EXPECT_LT(ToPicture(-1, dpi), 0) << dpi;
    }
}
