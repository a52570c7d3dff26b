// The fire scenes played by the timeline on the generated data, as a viewer
// sees them: the title turns into smoke that drifts and fades (step 4), the
// particle fire flares up and leaves flames behind (steps 24 to 26), a water
// curtain falls over it (27), the picture is pressed into the water (28, 29)
// and the curtain rises over the warped background (30). Every shown frame
// is measured as it is presented; rows 100 ms apart.
#include "FakePlatform.h"
#include "RandomFire.h"
#include "SceneRun.h"
#include "Timeline.h"
#include "Title.h"
#include "WaterEffect.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <vector>

namespace {

// What one shown frame looked like, and the state it was drawn in.
struct Shown {
    long Music, State, Sub, S, DrawPic, Rotate, WaterFire;
    long Lit;              // pixels that are not black
    int Max;               // brightest channel value
    double Mean;           // grey level of the whole page
    uint64_t Sum;          // tells frames apart
    bool FireColours;      // every pixel of the page in the fire's colours
    bool FireBelow;        // rows S..307 in the fire's colours
    bool WaterAbove;       // rows 0..S-1 mostly blue water
    bool BackgroundBelow;  // rows S..307 are the warped background's rows from 0
    bool BlackFrame;       // the outer one-pixel frame is black
};

std::vector<Shown> Log;
// Copies of the first shown frames of the swirl (scene 13, sub-state 3).
std::vector<std::vector<uint32_t>> SwirlPages;

bool FireColour(uint32_t p) { return R(p) >= G(p) && G(p) >= B(p); }

void Measure(defZENTRIXPAGE *page)
{
    const uint32_t *px = static_cast<const uint32_t *>(page->pPageData);
    Shown s{MusicTime, DemoState, DemoSubState1, DemoSubState2, long(DrawPic), long(RotateEffect),
            long(bWaterFireEffect), 0, 0, 0, 0, true, true, true, true, true};
    double grey = 0;
    for (int k = 0; k < 400 * 308; ++k) {
        const uint32_t p = px[k];
        s.Lit += p != 0;
        s.Max = std::max({s.Max, R(p), G(p), B(p)});
        s.Sum = s.Sum * 31 + p;
        grey += (R(p) + G(p) + B(p)) / 3.0;
        s.FireColours = s.FireColours && FireColour(p);
    }
    s.Mean = grey / (400 * 308);
    for (int x = 0; x < 400; ++x) s.BlackFrame = s.BlackFrame && !px[x] && !px[307 * 400 + x];
    for (int y = 0; y < 308; ++y) s.BlackFrame = s.BlackFrame && !px[y * 400] && !px[y * 400 + 399];
    if (DemoState == 16) {
        const long S = std::clamp(DemoSubState2, 0L, 308L);
        long blue = 0;
        for (long k = 0; k < S * 400; ++k) blue += B(px[k]) > R(px[k]);
        s.WaterAbove = blue >= S * 400 * 9 / 10;
        const uint32_t *bg = static_cast<const uint32_t *>(Background.pPageData);
        for (long k = S * 400; k < 308 * 400; ++k) {
            s.FireBelow = s.FireBelow && FireColour(px[k]);
            s.BackgroundBelow = s.BackgroundBelow && px[k] == bg[k - S * 400];
        }
    }
    if (DemoState == 13 && DemoSubState1 == 3 && SwirlPages.size() < 40)
        SwirlPages.emplace_back(px, px + 400 * 308);
    Log.push_back(s);
}

class FireSteps : public ::testing::Test {
protected:
    void TearDown() override
    {
        StopScenes();
        Log.clear();
        SwirlPages.clear();
    }
    void Play(int order, int row, long shown)
    {
        ASSERT_TRUE(StartScenes(GeneratedData()));
        verticalAtStart.assign(PicArray2, PicArray2 + kSwirlPixels);
        RotateEffect = DrawPic = bWaterFireEffect = DrawBar = 0;
        // The title's start values (steps 1 and 2 only make their settings).
        TitleOfs = 200;
        TitleFade = TitleGlow = 0;
        SwirlInit = 1;
        fake::OnPresent = Measure;
        PlayFrom(order, row, 100, shown);
    }
    static std::vector<Shown> Of(long state, long sub = -1)
    {
        std::vector<Shown> out;
        for (const Shown &s : Log)
            if (s.State == state && (sub < 0 || s.Sub == sub)) out.push_back(s);
        return out;
    }

    std::vector<int8_t> verticalAtStart;
};

TEST_F(FireSteps, TheTitleTurnsIntoSmokeThatDriftsAndFades)
{
    // From 2:00: the glow (step 3, about 88 frames), then the swirl (step 4).
    Play(2, 0, 1 + 88 + 90);
    const std::vector<Shown> swirl = Of(13, 3);
    ASSERT_GE(swirl.size(), 80u);
    ASSERT_GE(SwirlPages.size(), 40u);
    // The first frame takes the glowing title over: bright, where it was.
    EXPECT_GT(swirl[0].Mean, 40.0);
    for (const Shown &s : swirl) ASSERT_TRUE(s.BlackFrame);
    // It fades without sparks (the brightest value loses at least 2 a
    // frame), and moves every frame until it is black.
    for (size_t k = 1; k < swirl.size(); ++k) {
        EXPECT_LE(swirl[k].Max, std::max(swirl[k - 1].Max - 2, 0)) << k;
        if (swirl[k - 1].Lit) {
            EXPECT_NE(swirl[k].Sum, swirl[k - 1].Sum) << k;
        }
    }
    EXPECT_LT(swirl[30].Mean, swirl[0].Mean / 2);
    EXPECT_LT(swirl.back().Mean, 1.0);
    // It drifts: pixels dark in the first frame light up later, and the
    // bright ones move rather than only dimming in place.
    const std::vector<uint32_t> &first = SwirlPages.at(0), &later = SwirlPages.at(20);
    long newlyLit = 0, brighter = 0;
    for (int k = 0; k < 400 * 308; ++k) {
        newlyLit += !first[k] && later[k];
        brighter += G(later[k]) > G(first[k]) + 10;
    }
    EXPECT_GT(newlyLit, 1000);
    EXPECT_GT(brighter, 1000);
}

TEST_F(FireSteps, FireFlaresCurtainFallsPictureIsPressedInCurtainRises)
{
    // From 27:32 to the end of step 30 (34:30): about 1320 frames.
    Play(27, 32, 1400);

    // Step 5 made its settings on the way: the swirl's flow turned once.
    EXPECT_EQ(std::vector<int8_t>(PicArray1, PicArray1 + kSwirlPixels), verticalAtStart);

    // Steps 24 and 26: the fire flares up from a few sparks at the leaders
    // and leaves flames behind; every frame moves.
    const std::vector<Shown> fire = Of(15);
    ASSERT_GT(fire.size(), 400u);
    for (const Shown &s : fire) ASSERT_TRUE(s.FireColours);
    EXPECT_LT(fire[0].Lit * 4, fire[60].Lit);
    long most = 0;
    for (size_t k = 1; k < fire.size(); ++k) {
        most = std::max(most, fire[k].Lit);
        ASSERT_NE(fire[k].Sum, fire[k - 1].Sum) << k;
    }
    // More than all particles together stamp in one frame (5 pixels each):
    // the field keeps the flames of earlier frames.
    EXPECT_GT(most, 4 * 500 * 5);
    // The timer runs out after 255 frames.
    EXPECT_EQ(fire[250].Sub, 1);
    EXPECT_EQ(fire[256].Sub, 2);

    // Step 27: the curtain falls 3 rows a frame, water above, fire below.
    const std::vector<Shown> fall = Of(16, 1);
    ASSERT_GT(fall.size(), 100u);
    EXPECT_EQ(fall[0].S, 3);
    for (size_t k = 0; k + 1 < fall.size() && fall[k].S < 308; ++k) {
        EXPECT_EQ(fall[k + 1].S, std::min(fall[k].S + 3, 308L)) << k;
        EXPECT_TRUE(fall[k].FireBelow) << k;
        EXPECT_TRUE(fall[k].WaterAbove) << k;
    }
    const std::vector<Shown> full = Of(16, 2);
    ASSERT_GT(full.size(), 100u);
    for (const Shown &s : full) ASSERT_TRUE(s.WaterAbove);   // S is 308: all water

    // Steps 27 to 29: the stirrers churn throughout; the picture is pressed
    // in for 15 frames of step 28 and 3 of step 29; the fire heats the
    // water's top from step 29.
    std::vector<long> countdown;
    for (const Shown &s : Of(16)) {
        EXPECT_EQ(s.Rotate, 1);
        if (countdown.empty() || countdown.back() != s.DrawPic) countdown.push_back(s.DrawPic);
    }
    const std::vector<long> expected = {0, 14, 13, 12, 11, 10, 9, 8, 7, 6, 5, 4, 3, 2, 1, 0, 2, 1, 0};
    EXPECT_EQ(countdown, expected);
    bool step29 = false;
    long previous = 0;
    for (const Shown &s : Of(16)) {
        step29 = step29 || (s.DrawPic == 2 && previous == 0);
        EXPECT_EQ(s.WaterFire, step29 ? 1 : 0);
        previous = s.DrawPic;
    }

    // Step 30: the curtain rises 5 rows a frame (6 once truncated, at 1.02
    // frames a frame) over the warped background, which it takes up with
    // its lower edge.
    const std::vector<Shown> rise = Of(16, 3);
    ASSERT_GT(rise.size(), 50u);
    EXPECT_EQ(rise[0].S, 302);
    for (size_t k = 0; k < rise.size(); ++k) {
        if (k && rise[k - 1].S > 6) {
            EXPECT_EQ(rise[k].S, rise[k - 1].S - 6) << k;
        }
        EXPECT_TRUE(rise[k].BackgroundBelow) << k;
        EXPECT_TRUE(rise[k].WaterAbove) << k;
    }
    EXPECT_EQ(rise.back().S, 0);
    EXPECT_GT(rise.back().Mean, 20.0);   // the warped background, not black
}

} // namespace
