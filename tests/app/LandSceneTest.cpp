// Scene 7, the landscape, played by the timeline (steps 18 to 21) on the
// generated data, as a viewer sees it: it comes up out of white, flies on
// and turns while the camera slows, settles at the map's origin, then
// dissolves in dark trails. The song starts at 20:00 (steps 1 to 17 have
// ended; step 1 shows one black frame), rows 100 ms apart, and each run
// stops after a given number of shown frames.
#include "FakePlatform.h"
#include "Gen32.h"
#include "LandEffect.h"
#include "Random.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <filesystem>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

std::string DataFolder()
{
    char path[4096];
    const ssize_t n = readlink("/proc/self/exe", path, sizeof(path) - 1);
    if (n <= 0)
        return "Data";
    path[n] = 0;
    return (std::filesystem::path(path).parent_path() / "Data").string();
}

struct Frame {
    std::vector<uint32_t> Pixels;
    float Heading = 0;
    long X = 0, Y = 0;

    int Channel(int k, int shift) const { return int(Pixels[k] >> shift & 255); }
    // Mean of a channel (16 red, 8 green, 0 blue; -1 the grey level) over rows.
    double Mean(int y0, int y1, int shift = -1) const
    {
        double s = 0;
        for (int k = y0 * 400; k < y1 * 400; ++k)
            s += shift < 0 ? (Channel(k, 16) + Channel(k, 8) + Channel(k, 0)) / 3.0 : Channel(k, shift);
        return s / double((y1 - y0) * 400);
    }
    // Mean difference of the grey level from another frame's over rows.
    double Difference(const Frame &o, int y0, int y1) const
    {
        double s = 0;
        for (int k = y0 * 400; k < y1 * 400; ++k)
            s += std::fabs((Channel(k, 16) + Channel(k, 8) + Channel(k, 0)) / 3.0 -
                           (o.Channel(k, 16) + o.Channel(k, 8) + o.Channel(k, 0)) / 3.0);
        return s / double((y1 - y0) * 400);
    }
};

class LandSteps : public ::testing::Test {
protected:
    // At this tempo step 18 shows about 59 frames, 19 about 594, 20 about
    // 188: step 21 begins after about 841.
    static constexpr long kStep21 = 841;

    void SetUp() override
    {
        ASSERT_TRUE(std::filesystem::exists(DataFolder() + "/Land.raw")) << "no generated data beside the test";
    }
    void TearDown() override
    {
        ApplicationFin = 0;
        if (running)
            QuitAppMemory();
        running = false;
        ZentrixSetDataFolder(nullptr);
    }
    // The picture on the page after `shown` frames of the landscape; the
    // module is set up afresh first, so every run starts alike.
    Frame Play(long shown)
    {
        TearDown();
        fake::Reset();
        SeedRand15(1);
        ZentrixSetDataFolder(DataFolder().c_str());
        running = GetBackgroundPic() && InitAppMemory() == 1;
        EXPECT_TRUE(running);
        DemoState = -1;
        DemoSubState1 = 0;
        DemoSubState2 = 0;
        fake::MsPerRow = 100;
        fake::SongStart = long(fake::Clock) - 20 * 64 * fake::MsPerRow;
        fake::CloseAfterPresents = 1 + shown;
        LastFrame = 0;
        UseHiResTimer = 1;
        ApplicationFin = 0;
        bTestOnly = 0;
        HandleDemo();
        const uint32_t *p = static_cast<const uint32_t *>(EffectGFXPage32.pPageData);
        Frame f;
        f.Pixels.assign(p, p + 400 * 308);
        f.Heading = a;
        f.X = xView0;
        f.Y = yView0;
        return f;
    }

    bool running = false;
};

TEST_F(LandSteps, ComesUpOutOfWhiteThenFliesAndTurns)
{
    const Frame white = Play(3), washed = Play(40), clear = Play(100), later = Play(300), next = Play(303);
    // The first frames are brightened by nearly 255: white, barely showing.
    for (int k = 0; k < 400 * 308; ++k) {
        ASSERT_GE(white.Channel(k, 16), 240);
        ASSERT_GE(white.Channel(k, 0), 240);
    }
    EXPECT_GT(washed.Mean(0, 308), clear.Mean(0, 308) + 30);
    EXPECT_LT(washed.Mean(0, 308), white.Mean(0, 308) - 30);
    // In full colour: blue sky and clouds above, land and sea below, the
    // fog-coloured band between.
    EXPECT_GT(clear.Mean(0, 50, 0), clear.Mean(0, 50, 16) + 30);
    EXPECT_LT(clear.Mean(250, 308), 200);
    // The camera turns as it flies: the view changes from frame to frame,
    // and the heading keeps growing.
    EXPECT_GT(later.Heading, clear.Heading + 1.0f);
    EXPECT_GT(next.Heading, later.Heading);
    EXPECT_GT(next.Difference(later, 160, 308), 8.0);
    EXPECT_GT(next.Difference(later, 0, 80), 4.0);
}

TEST_F(LandSteps, SettlesAtTheOriginThenDissolvesInDarkTrails)
{
    const Frame settled = Play(kStep21 - 8), still = Play(kStep21 - 3), dissolving = Play(kStep21 + 40);
    EXPECT_LT(std::fabs(settled.Heading), 0.05f);
    EXPECT_LT(settled.X, 100);
    EXPECT_LT(settled.Y, 100);
    // Standing still: below the horizon only the sparkle and the drifting
    // reflections change, slightly (flying, the grey levels differ by 14).
    EXPECT_LT(still.Difference(settled, 160, 308), 4.0);
    EXPECT_GT(still.Mean(0, 308), 60);
    // The trails fade the picture.
    EXPECT_LT(dissolving.Mean(0, 308), still.Mean(0, 308) * 0.7);
}

} // namespace
