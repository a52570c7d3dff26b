// Where the SDL window shows the screen: aspect-kept or whole-multiple fits
// on common displays and windows, the stretched picture, the page mapped
// into the placed screen, the filter chosen, the default window size.
#include "PlatformInternal.h"

#include <gtest/gtest.h>

namespace {

struct PlaceCase {
    int Sw, Sh, Ow, Oh;
    bool Integer;
    PlaceRect Want;
};

TEST(Placement, TheScreenFitsCentred)
{
    const PlaceCase cases[] = {
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
    for (const PlaceCase &c : cases) {
        SCOPED_TRACE(testing::Message() << c.Sw << "x" << c.Sh << " in " << c.Ow << "x" << c.Oh << " " << c.Integer);
        const PlaceRect r = PlaceScreen(c.Sw, c.Sh, c.Ow, c.Oh, c.Integer);
        EXPECT_EQ(r.X, c.Want.X);
        EXPECT_EQ(r.Y, c.Want.Y);
        EXPECT_EQ(r.W, c.Want.W);
        EXPECT_EQ(r.H, c.Want.H);
    }
}

TEST(Placement, StretchedPagesAndPagesOnTheScreen)
{
    // Stretched rows 4 to 307 (396 x 304): the whole window, or 4x by 3x.
    PlaceRect r = PlaceStretched(396, 304, 1920, 1080, false);
    EXPECT_EQ(r.X + r.Y, 0);
    EXPECT_EQ(r.W, 1920);
    EXPECT_EQ(r.H, 1080);
    r = PlaceStretched(396, 304, 1920, 1080, true);
    EXPECT_EQ(r.W, 1584);
    EXPECT_EQ(r.H, 912);
    EXPECT_EQ(r.X, 168);
    EXPECT_EQ(r.Y, 84);

    // The page at (0, -4) of a 400 x 300 screen placed 3x at (360, 90).
    r = MapToPlacement(PlaceRect{360, 90, 1200, 900}, 400, 300, 0, -4, 400, 300);
    EXPECT_EQ(r.X, 360);
    EXPECT_EQ(r.Y, 78);
    EXPECT_EQ(r.W, 1200);
    EXPECT_EQ(r.H, 900);
    // Centred on a 640 x 480 screen at 1.5x.
    r = MapToPlacement(PlaceRect{0, 0, 960, 720}, 640, 480, 120, 86, 400, 300);
    EXPECT_EQ(r.X, 180);
    EXPECT_EQ(r.Y, 129);
    EXPECT_EQ(r.W, 600);
    EXPECT_EQ(r.H, 450);
}

TEST(Placement, FilterAndDefaultWindowSize)
{
    EXPECT_TRUE(UseNearestFilter(PLAT_FILTER_AUTO, 400, 300, 1200, 900));
    EXPECT_TRUE(UseNearestFilter(PLAT_FILTER_AUTO, 400, 300, 400, 300));
    EXPECT_FALSE(UseNearestFilter(PLAT_FILTER_AUTO, 400, 300, 1440, 1080));
    EXPECT_FALSE(UseNearestFilter(PLAT_FILTER_AUTO, 396, 304, 1584, 1080)); // whole one way only
    EXPECT_TRUE(UseNearestFilter(PLAT_FILTER_NEAREST, 400, 300, 1440, 1080));
    EXPECT_FALSE(UseNearestFilter(PLAT_FILTER_LINEAR, 400, 300, 1200, 900));

    int w = 0, h = 0;
    DefaultWindowSize(1920, 1080, &w, &h);
    EXPECT_EQ(w, 1200);
    EXPECT_EQ(h, 900);
    DefaultWindowSize(1280, 1024, &w, &h);
    EXPECT_EQ(w, 1200);
    DefaultWindowSize(1600, 1248, &w, &h);   // 4x leaves room for a title bar
    EXPECT_EQ(w, 1600);
    DefaultWindowSize(1600, 1200, &w, &h);   // 4x would not
    EXPECT_EQ(w, 1200);
    DefaultWindowSize(320, 200, &w, &h);     // at least 1x
    EXPECT_EQ(w, 400);
    EXPECT_EQ(h, 300);
}

} // namespace
