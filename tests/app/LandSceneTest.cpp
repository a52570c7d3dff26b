// Scene 7, the landscape, played by the timeline (steps 18 to 21) on the
// generated data, as a viewer sees it: it comes up out of white, flies on
// and turns while the camera slows, settles at the map's origin, then
// dissolves in dark trails. The song starts at 20:00 (steps 1 to 17 have
// ended; step 1 shows one black frame), rows 100 ms apart.
#include "LandEffect.h"
#include "SceneRun.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <vector>

namespace {

struct Frame : PageShot {
    float Heading = 0;
    long X = 0, Y = 0;
};

// At this tempo step 18 shows about 59 frames, 19 about 594, 20 about 188:
// step 21 begins after about 841. One run, the picture and the camera taken
// after the given numbers of shown frames.
constexpr long kStep21 = 841;

TEST(LandSteps, ComesUpOutOfWhiteFliesAndTurnsSettlesThenDissolvesInDarkTrails)
{
    std::vector<Frame> f;
    ASSERT_TRUE(StartScenes(GeneratedData()));
    PlayTaking(20, 0, 100, {3, 40, 100, 300, 303, kStep21 - 8, kStep21 - 3, kStep21 + 40}, [&](size_t) {
        f.emplace_back();
        f.back().Heading = a;
        f.back().X = xView0;
        f.back().Y = yView0;
    });
    StopScenes();
    ASSERT_EQ(f.size(), 8u);
    const Frame &white = f[0], &washed = f[1], &clear = f[2], &later = f[3], &next = f[4];
    // The first frames are brightened by nearly 255: white, barely showing.
    for (int k = 0; k < 400 * 308; ++k) {
        ASSERT_GE(white.Channel(k, 16), 240);
        ASSERT_GE(white.Channel(k, 0), 240);
    }
    EXPECT_GT(washed.Mean(), clear.Mean() + 30);
    EXPECT_LT(washed.Mean(), white.Mean() - 30);
    // In full colour: blue sky and clouds above, land and sea below, the
    // fog-coloured band between.
    EXPECT_GT(clear.Mean(0, 0, 400, 50, 0), clear.Mean(0, 0, 400, 50, 16) + 30);
    EXPECT_LT(clear.Mean(0, 250, 400, 308), 200);
    // The camera turns as it flies: the view changes from frame to frame,
    // and the heading keeps growing.
    EXPECT_GT(later.Heading, clear.Heading + 1.0f);
    EXPECT_GT(next.Heading, later.Heading);
    EXPECT_GT(next.Difference(later, 160, 308), 8.0);
    EXPECT_GT(next.Difference(later, 0, 80), 4.0);

    // Step 21: at rest at the map's origin, then the trails.
    const Frame &settled = f[5], &still = f[6], &dissolving = f[7];
    EXPECT_LT(std::fabs(settled.Heading), 0.05f);
    EXPECT_LT(settled.X, 100);
    EXPECT_LT(settled.Y, 100);
    // Standing still: below the horizon only the sparkle and the drifting
    // reflections change, slightly (flying, the grey levels differ by 14).
    EXPECT_LT(still.Difference(settled, 160, 308), 4.0);
    EXPECT_GT(still.Mean(), 60);
    // The trails fade the picture.
    EXPECT_LT(dissolving.Mean(), still.Mean() * 0.7);
}

} // namespace
