// Pacing, the timeline script, the test mode and the dispatcher's own
// scenes, run against the scripted clock and song of FakePlatform.
#include "FakePlatform.h"
#include "Random.h"
#include "SceneRun.h"
#include "Spin.h"
#include "TestFiles.h"
#include "Timeline.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

namespace {

// The drawing state the render thread makes, from an empty data folder
// (every picture and table stays zero).
struct Sequencer : ::testing::Test {
    TempFolder EmptyData;
    void SetUp() override
    {
        ASSERT_TRUE(StartScenes(EmptyData.Path));
        LastFrame = 0;
        UseHiResTimer = 1;
        bTestOnly = bTraceSteps = bBenchScenes = 0;
    }
    void TearDown() override
    {
        StopScenes();
        bTestOnly = bTraceSteps = bBenchScenes = 0;
    }
};

// Frames of a thirtieth of a second, here without the fine timer, which the
// scene tests never turn off: the C library clock paces. (The fine timer's
// 34 ms frames: WholeDemoFollowsTheMusicStepByStep, SleepingPacesLikePolling.)
TEST_F(Sequencer, FramesToChangeFollowsTheLibraryClockWithoutTheFineTimer)
{
    UseHiResTimer = 0;
    fake::LibClock = 700;
    EXPECT_FLOAT_EQ(FramesToChange(), 1.02f);
    EXPECT_EQ(CurrentFrame, 700);
    fake::Clock += 500;
    EXPECT_EQ(FramesToChange(), 0.0f);
    fake::LibClock += 1000;
    EXPECT_FLOAT_EQ(FramesToChange(), 30.0f);   // a stall of one second
}

struct TraceLine {
    int Step;
    long Scene, SubState, StartOrder, StartRow, EndOrder, EndRow, Frames;
};

std::vector<TraceLine> ParseTrace(const std::string &text)
{
    std::vector<TraceLine> lines;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        TraceLine t{};
        if (std::sscanf(line.c_str(), "step=%d scene=%ld substate=%ld start=%ld:%ld end=%ld:%ld frames=%ld", &t.Step,
                        &t.Scene, &t.SubState, &t.StartOrder, &t.StartRow, &t.EndOrder, &t.EndRow, &t.Frames) == 8)
            lines.push_back(t);
    }
    return lines;
}

TEST_F(Sequencer, WholeDemoFollowsTheMusicStepByStep)
{
    bTraceSteps = 1;
    testing::internal::CaptureStderr();
    HandleDemo();
    const std::vector<TraceLine> trace = ParseTrace(testing::internal::GetCapturedStderr());
    ASSERT_EQ(trace.size(), size_t(kTimelineSteps));
    long previousEnd = 0;
    for (int i = 0; i < kTimelineSteps; i++) {
        const TraceLine &t = trace[size_t(i)];
        const TimelineStep &s = TimelineScript[i];
        SCOPED_TRACE("step " + std::to_string(i + 1));
        EXPECT_EQ(t.Step, i + 1);
        EXPECT_EQ(t.Scene, s.State);
        if (s.SubState != kKeepSubState) {
            EXPECT_EQ(t.SubState, s.SubState);
        }
        EXPECT_EQ(t.StartOrder * 100 + t.StartRow, previousEnd);
        const long end = t.EndOrder * 100 + t.EndRow;
        if (i + 1 == 25) {
            EXPECT_EQ(t.Frames, 0);          // its end was passed before it began
            EXPECT_EQ(end, previousEnd);
        } else {
            EXPECT_GT(t.Frames, 0);
            EXPECT_GE(end, s.EndPos);
        }
        previousEnd = end;
    }
    EXPECT_EQ(trace[19].SubState, 1);        // step 20 keeps step 19's sub-state
    EXPECT_EQ(DemoState, 18);
    // The first step is black: scene -1 presents the page every frame.
    ASSERT_GE(fake::PresentPages.size(), size_t(trace[0].Frames));
    EXPECT_EQ(fake::PresentPages[0], &EffectGFXPage32);
    // Paced frames are at least 34 ms apart and the loop slept between them.
    for (size_t i = 1; i < size_t(trace[0].Frames); i++)
        ASSERT_GE(fake::PresentTimes[i] - fake::PresentTimes[i - 1], 34u);
    EXPECT_GT(fake::WaitCalls, 0);
}

TEST_F(Sequencer, ClosingRunsTheRemainingStepsWithoutFrames)
{
    bTraceSteps = 1;
    fake::CloseAfterPresents = 5;
    testing::internal::CaptureStderr();
    HandleDemo();
    const std::vector<TraceLine> trace = ParseTrace(testing::internal::GetCapturedStderr());
    ASSERT_EQ(trace.size(), size_t(kTimelineSteps));
    EXPECT_EQ(trace[0].Frames, 5);
    for (size_t i = 1; i < trace.size(); i++)
        EXPECT_EQ(trace[i].Frames, 0);
    EXPECT_EQ(DemoState, 18);
    EXPECT_EQ(DemoSubState1, 2);
}

TEST_F(Sequencer, CounterShowsFrameTimeAndMusicPosition)
{
    fake::CloseAfterPresents = 1;
    fake::Clock = 1000 + 64 * 10 + 50;   // order 1, row 5 already playing
    fake::SongStart = 1000;
    DemoState = -1;
    HandleDemo();
    EXPECT_EQ(CurrentFPS, 102 * 10000 + 105);
}

// Sleeping until the frame is due gives the same frames, at the same times,
// as polling the clock every millisecond.
TEST_F(Sequencer, SleepingPacesLikePolling)
{
    bTestOnly = 1;
    fake::CloseAfterPresents = 40;
    fake::WaitJumps = false;
    HandleDemo();
    const std::vector<uint32_t> polled = fake::PresentTimes;
    const long polls = fake::WaitCalls;

    fake::Reset();
    LastFrame = 0;
    ApplicationFin = 0;
    DemoSubState1 = 0;
    fake::CloseAfterPresents = 40;
    HandleDemo();
    EXPECT_EQ(fake::PresentTimes, polled);
    EXPECT_LT(fake::WaitCalls * 10, polls);
    for (size_t i = 1; i < polled.size(); i++)
        EXPECT_EQ(polled[i] - polled[i - 1], 34u);
}

TEST_F(Sequencer, DispatcherScenes)
{
    auto *pixels = static_cast<uint32_t *>(EffectGFXPage32.pPageData);
    pixels[0] = pixels[123199] = 0xFFFFFF;
    DemoState = -1;
    DemoSubState1 = 7;   // black ignores the sub-state
    DoAction(1.0f);
    EXPECT_EQ(pixels[0], 0u);
    EXPECT_EQ(pixels[123199], 0u);
    EXPECT_EQ(fake::PresentPages, std::vector<defZENTRIXPAGE *>{&EffectGFXPage32});

    DemoState = -10;
    DemoSubState1 = 0;
    DoAction(1.0f);
    EXPECT_EQ(DemoSubState1, 1);
    DoAction(2.5f);
    EXPECT_EQ(fake::SetOrders, std::vector<int>{60});
    EXPECT_EQ(fake::PresentPages.size(), 3u);

    // Sub-states and scenes without an entry present nothing.
    DemoSubState1 = 2;
    DoAction(1.0f);
    for (long scene : {-5L, 3L, 4L, 5L, 19L, 100L}) {
        DemoState = scene;
        DoAction(1.0f);
    }
    EXPECT_EQ(fake::PresentPages.size(), 3u);
}

// The title scenes draw nothing, and do not crash, without their sprite.
TEST_F(Sequencer, MissingTitleSpriteDrawsNothing)
{
    FreeSprite32(&TitlePicture);
    const auto *pixels = static_cast<const uint32_t *>(EffectGFXPage32.pPageData);
    for (long sub : {2L, 4L}) {
        DemoState = sub == 2 ? 1 : 0;
        DemoSubState1 = sub;
        SetSpinSize(0);
        Cls32(&EffectGFXPage32, 0, 0, 0);
        DoAction(1.0f);
        EXPECT_EQ(std::count_if(pixels, pixels + 400 * 308, [](uint32_t c) { return c != 0; }), 0) << sub;
    }
    EXPECT_EQ(fake::PresentPages.size(), 2u);
}

TEST(SceneBench, MedianAndWorstBySceneAndTheWholeRun)
{
    ResetSceneBench();
    for (double ms : {1.0, 2.0, 3.0, 4.0, 100.0})
        RecordSceneTime(-1, ms);
    RecordSceneTime(12, 250.0);     // past the table: counted, worst kept
    RecordSceneTime(42, 5.0);       // not a scene: ignored
    char text[1024] = {};
    FILE *f = fmemopen(text, sizeof(text) - 1, "w");
    ASSERT_NE(f, nullptr);
    PrintSceneBench(f);
    std::fclose(f);
    ResetSceneBench();
    // A header, a line per scene (scene, frames, median, worst), and the
    // whole run: every counted frame, their drawing time and its rate.
    long scene[2] = {}, frames[3] = {};
    double median[2] = {}, worst[2] = {}, total = 0, fps = 0;
    int end = 0;
    ASSERT_EQ(std::sscanf(text, "%*[^\n] %ld %ld %lf %lf %ld %ld %lf %lf all %ld - - drawing %lf ms in all, %lf frames/s%n",
                          &scene[0], &frames[0], &median[0], &worst[0], &scene[1], &frames[1], &median[1], &worst[1],
                          &frames[2], &total, &fps, &end),
              11)
        << text;
    EXPECT_STREQ(text + end, "\n");
    EXPECT_EQ(scene[0], -1);
    EXPECT_EQ(frames[0], 5);
    EXPECT_NEAR(median[0], 3.0, 0.01);
    EXPECT_DOUBLE_EQ(worst[0], 100.0);
    EXPECT_EQ(scene[1], 12);
    EXPECT_EQ(frames[1], 1);
    EXPECT_DOUBLE_EQ(median[1], 250.0);
    EXPECT_DOUBLE_EQ(worst[1], 250.0);
    EXPECT_EQ(frames[2], 6);
    EXPECT_NEAR(total, 360.0, 0.05);
    EXPECT_NEAR(fps, 6000.0 / 360.0, 0.5);
}

// Wherever a drop falls, it is on the surface. (Drops rippling the water:
// WaterSceneTest.)
TEST(RandomDrops, PlacesStayOnTheSurface)
{
    SeedRand15(1234);
    long D = 200, x = 0, y = 0, s = 0;
    for (int frame = 0; frame < 400; frame++) {
        if (NextRandomDrop(&D, &x, &y, &s)) {
            ASSERT_TRUE(s >= 0 && s < 600 && y >= 4 && y <= 145 && x >= 4 && x <= 95) << x << " " << y << " " << s;
        }
    }
}

} // namespace
