// Where the SDL window shows the screen: aspect-kept or whole-multiple fits
// on common displays and windows, the stretched picture, the page mapped
// into the placed screen, the filter chosen, the default window size.
#include "PlatformInternal.h"

#include <gtest/gtest.h>

#include <array>

namespace {

std::array<int, 4> Xywh(const PlaceRect &r) { return {r.X, r.Y, r.W, r.H}; }

TEST(Placement, TheScreenFitsCentred)
{
    const struct {
        int Sw, Sh, Ow, Oh;
        bool Integer;
        std::array<int, 4> Want;
    } cases[] = {
        {400, 300, 1920, 1080, false, {240, 0, 1440, 1080}},  // 3.6x
        {400, 300, 1920, 1080, true, {360, 90, 1200, 900}},   // 3x
        {400, 300, 1280, 1024, false, {0, 32, 1280, 960}},    // 3.2x
        {400, 300, 1280, 1024, true, {40, 62, 1200, 900}},
        {400, 300, 800, 600, false, {0, 0, 800, 600}},
        {400, 300, 1200, 900, true, {0, 0, 1200, 900}},
        {640, 480, 1920, 1080, true, {320, 60, 1280, 960}},   // 2x
        {640, 480, 1200, 900, true, {280, 210, 640, 480}},    // only 1x fits
        {640, 480, 400, 300, true, {0, 0, 400, 300}},         // not even 1x: the aspect fit
        {1920, 1080, 1920, 1080, false, {0, 0, 1920, 1080}},  // the desktop itself
    };
    for (const auto &c : cases)
        EXPECT_EQ(Xywh(PlaceScreen(c.Sw, c.Sh, c.Ow, c.Oh, c.Integer)), c.Want)
            << c.Sw << "x" << c.Sh << " in " << c.Ow << "x" << c.Oh << " " << c.Integer;
}

TEST(Placement, StretchedPagesAndPagesOnTheScreen)
{
    // Stretched rows 4 to 307 (396 x 304): the whole window, or 4x by 3x.
    EXPECT_EQ(Xywh(PlaceStretched(396, 304, 1920, 1080, false)), (std::array<int, 4>{0, 0, 1920, 1080}));
    EXPECT_EQ(Xywh(PlaceStretched(396, 304, 1920, 1080, true)), (std::array<int, 4>{168, 84, 1584, 912}));
    // The page at (0, -4) of a 400 x 300 screen placed 3x at (360, 90).
    EXPECT_EQ(Xywh(MapToPlacement(PlaceRect{360, 90, 1200, 900}, 400, 300, 0, -4, 400, 300)),
              (std::array<int, 4>{360, 78, 1200, 900}));
    // Centred on a 640 x 480 screen at 1.5x.
    EXPECT_EQ(Xywh(MapToPlacement(PlaceRect{0, 0, 960, 720}, 640, 480, 120, 86, 400, 300)),
              (std::array<int, 4>{180, 129, 600, 450}));
}

TEST(Placement, FilterAndDefaultWindowSize)
{
    EXPECT_TRUE(UseNearestFilter(PLAT_FILTER_AUTO, 400, 300, 1200, 900));
    EXPECT_TRUE(UseNearestFilter(PLAT_FILTER_AUTO, 400, 300, 400, 300));
    EXPECT_FALSE(UseNearestFilter(PLAT_FILTER_AUTO, 400, 300, 1440, 1080));
    EXPECT_FALSE(UseNearestFilter(PLAT_FILTER_AUTO, 396, 304, 1584, 1080)); // whole one way only
    EXPECT_TRUE(UseNearestFilter(PLAT_FILTER_NEAREST, 400, 300, 1440, 1080));
    EXPECT_FALSE(UseNearestFilter(PLAT_FILTER_LINEAR, 400, 300, 1200, 900));

    const struct {
        int Uw, Uh, W, H;
    } sizes[] = {
        {1920, 1080, 1200, 900},
        {1280, 1024, 1200, 900},
        {1600, 1248, 1600, 1200},   // 4x leaves room for a title bar
        {1600, 1200, 1200, 900},    // 4x would not
        {320, 200, 400, 300},       // at least 1x
    };
    for (const auto &s : sizes) {
        int w = 0, h = 0;
        DefaultWindowSize(s.Uw, s.Uh, &w, &h);
        EXPECT_EQ(w, s.W) << s.Uw << "x" << s.Uh;
        EXPECT_EQ(h, s.H) << s.Uw << "x" << s.Uh;
    }
}

} // namespace
