// Scene 2, the bump mapping, as a viewer sees it in steps 11 and 12 of the
// timeline: the three lights come in from off the page and wander over the
// relief, then leave towards the upper left and the picture goes dark.
// HandleDemo plays against a song that starts at 12:00 (the earlier steps
// have ended; step 1 shows one black frame), rows 120 ms apart as in the
// real song, with the generated data beside the test.
#include "BumpyEffect.h"
#include "SceneRun.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

// What the lights and the page looked like after a given number of frames.
struct Shot : PageShot {
    long X[4], Y[4];
    bool OnPage(int k) const { return X[k] >= 0 && X[k] < 400 && Y[k] >= 0 && Y[k] < 308; }
};

// Steps 11 and 12 in one run, the page and the lights taken after the
// given numbers of shown frames. Step 11 shows 522 frames at this tempo
// (148 rows of 120 ms, a frame every 34 ms), after step 1's black one.
TEST(BumpySteps, LightsComeInWanderOverTheReliefThenLeaveAndThePictureGoesDark)
{
    constexpr long Step11 = 522;
    std::vector<Shot> shots;
    ASSERT_TRUE(StartScenes(GeneratedData()));
    LenzFlare = 0;
    FinishBumpy = 0;
    PlayTaking(12, 0, 120, {3, 100, 200, 300, 400, 500, Step11, Step11 + 25, Step11 + 150}, [&](size_t) {
        shots.emplace_back();
        for (int k = 0; k < 4; ++k) shots.back().X[k] = Bumplx[k], shots.back().Y[k] = Bumply[k];
    });
    StopScenes();
    FinishBumpy = 0;
    ASSERT_EQ(shots.size(), 9u);

    // The lights start off the page: the picture is nearly dark, then lit.
    EXPECT_LT(shots[0].Lit(), 400 * 308 / 4);
    double travelled[4] = {};
    int onPage = 0;
    for (size_t i = 1; i < 6; ++i) {
        const Shot &s = shots[i];
        EXPECT_GT(s.Lit(), 400 * 308 / 5) << "shot " << i;
        EXPECT_GT(s.Mean(), 12.0) << "shot " << i;
        for (int k = 1; k <= 3; ++k) {
            travelled[k] += std::hypot(double(s.X[k] - shots[i - 1].X[k]), double(s.Y[k] - shots[i - 1].Y[k]));
            onPage += s.OnPage(k);
            // A light never strays far from the page while it wanders.
            EXPECT_TRUE(s.X[k] > -250 && s.X[k] < 650 && s.Y[k] > -250 && s.Y[k] < 560) << k;
        }
    }
    EXPECT_GE(onPage, 9);   // most of the time most lights are in view
    for (int k = 1; k <= 3; ++k) EXPECT_GT(travelled[k], 400.0) << k;
    // The relief shows: a light's colour is not a plain disc (a flat picture
    // would give the same brightness on both sides of the light, pixel for
    // pixel), so some rows through the red light are lopsided.
    const Shot &s = shots[3];
    const int lx = int(s.X[1]), ly = int(s.Y[1]);
    int lopsided = 0, compared = 0;
    for (int y = std::max(0, ly - 60); y < std::min(308, ly + 60); y += 3)
        for (int d = 10; d < 60; d += 7) {
            if (lx - d < 0 || lx + d >= 400) continue;
            const int a = int(s.Pixels[y * 400 + lx - d] >> 16 & 255), b = int(s.Pixels[y * 400 + lx + d] >> 16 & 255);
            ++compared;
            lopsided += std::abs(a - b) > 12;
        }
    EXPECT_GT(compared, 50);
    EXPECT_GT(lopsided, compared / 20);

    // Step 12.
    const Shot &lit = shots[6], &leaving = shots[7], &gone = shots[8];
    EXPECT_GT(lit.Lit(), 400 * 308 / 3);
    // On their way out every light has moved up and to the left...
    for (int k = 1; k <= 3; ++k) {
        EXPECT_LT(leaving.X[k] + leaving.Y[k], lit.X[k] + lit.Y[k]) << k;
        EXPECT_LT(gone.X[k], -60) << k;
        EXPECT_LT(gone.Y[k], -60) << k;
    }
    EXPECT_EQ(gone.X[0], -300);
    EXPECT_EQ(gone.Y[0], -300);
    // ... and the picture has gone dark.
    EXPECT_LT(leaving.Mean(), lit.Mean());
    EXPECT_LT(gone.Lit(), 400 * 308 / 100);
    EXPECT_LT(gone.Mean(), 1.0);
}

} // namespace
