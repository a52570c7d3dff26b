// Scenes 12 and 17 as the timeline plays them (steps 31 to 39) on the
// generated data, watched frame by frame: the dolphin turning over the
// warped background under its light shafts and leaving; the man coming down
// under the turning lights, the helix points flying onto him, the white-out
// and the fade to black.
#include "3DStuff.h"
#include "FakePlatform.h"
#include "Helix.h"
#include "SceneRun.h"
#include "Timeline.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <filesystem>
#include <vector>

namespace {

constexpr int W = 400, H = 308;

class Scenes3D : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!std::filesystem::exists(GeneratedData() + "/objDolphin.3DS"))
            GTEST_SKIP() << "no generated data beside the test";
        // The start values of a fresh program (other tests play other steps).
        Angle3DX = Angle3DZ = 0;
        Angle3DY = 512;
        TransX = TransY = TransZ = 0;
        Ripple = 0;
        RippleAngle = 0;
        RippleMagnitude = 0;
        RotateLights = 0;
        GlassOfs = TextureTrans = 0;
        Changing = 0;
        XLR = XLG = XLB = 0;
        YLR = YLG = YLB = 5;
        ZLR = ZLG = ZLB = 10;
        Brightness = 0;
        HelixAngle = 0;
        ASSERT_TRUE(StartScenes(GeneratedData()));
        ASSERT_GT(objDolphin.NumFaces, 1000);
        ASSERT_GT(objMan.NumPoints, 1000);
    }
    void TearDown() override { StopScenes(); }
    // Rows 120 ms apart as in the music.
    static void Play(int order, int row, long shown) { PlayFrom(order, row, 120, shown); }
};

// Steps 31 to 35 from 34:30 to 39:40.
TEST_F(Scenes3D, DolphinTurnsUnderLightShaftsWhereTheGreenIsBrightThenLeaves)
{
    struct Seen {
        long pos, sub, angle, transX;
        long dolphin;       // pixels differing from the background below row 60
        long top;           // the same above row 40, where only the shafts reach
        long brightest;     // the background's green at row 20, columns 197..203, less 200
        bool onlyBrighter;  // every differing pixel of the top rows is lighter
        double cx;          // mean column of the differing pixels below row 60
        long below;         // differing pixels under row 250: none expected
    };
    std::vector<Seen> seen;
    fake::OnPresent = [&seen](defZENTRIXPAGE *p) {
        if (p != &EffectGFXPage32 || DemoState != 12)
            return;
        Seen s{MusicTime, DemoSubState1, Angle3DX, TransX, 0, 0, -255, true, 0, 0};
        double sx = 0;
        for (int y = 0; y < H; y++)
            for (int x = 0; x < W; x++) {
                const uint32_t a = PagePixels(EffectGFXPage32)[y * W + x], b = PagePixels(Background)[y * W + x];
                if (a == b)
                    continue;
                if (y < 40) {
                    s.top++;
                    for (int c = 0; c < 24; c += 8)
                        s.onlyBrighter = s.onlyBrighter && ((a >> c) & 0xFF) >= ((b >> c) & 0xFF);
                }
                if (y >= 60) {
                    s.dolphin++;
                    sx += x;
                }
                s.below += y >= 250;
            }
        s.cx = s.dolphin ? sx / double(s.dolphin) : 0;
        for (int x : {197, 200, 203})
            s.brightest = std::max<long>(s.brightest, long((PagePixels(Background)[20 * W + x] >> 8) & 0xFF) - 200);
        seen.push_back(s);
    };
    Play(34, 30, 1200);
    ASSERT_GT(seen.size(), 1000u);
    EXPECT_GE(seen.back().pos, 3935);   // through to the end of step 35

    long shaftsSeen = 0, darkTops = 0, turning = 0;
    for (size_t i = 0; i < seen.size(); i++) {
        const Seen &s = seen[i];
        SCOPED_TRACE(s.pos);
        EXPECT_EQ(s.below, 0);
        if (s.pos < 3500) {
            // Step 31: the background alone.
            EXPECT_EQ(s.sub, 1);
            EXPECT_EQ(s.dolphin + s.top, 0);
            continue;
        }
        if (s.sub == 2 || s.sub == 3) {
            // Light only where the green is above 200, and only adding.
            EXPECT_TRUE(s.onlyBrighter);
            if (s.brightest <= 0) {
                EXPECT_EQ(s.top, 0);
                darkTops++;
            }
            if (s.brightest >= 20) {
                EXPECT_GT(s.top, 100);
                shaftsSeen++;
            }
            // Once the glass has grown, the dolphin stands out in the middle
            // (looked at where no shaft falls).
            if (s.pos >= 3510 && s.brightest <= 0) {
                EXPECT_GT(s.dolphin, 4000);
                EXPECT_NEAR(s.cx, 200, 40);
            }
            if (i >= 30 && seen[i - 30].sub == s.sub)
                turning += ((seen[i - 30].angle + 60) & 1023) == s.angle;
        }
    }
    EXPECT_GT(shaftsSeen, 20);
    EXPECT_GT(darkTops, 20);
    EXPECT_GT(turning, 600);

    // Step 35: the turn runs down and the dolphin swims off, out of sight.
    const Seen &last = seen.back();
    EXPECT_EQ(last.sub, 4);
    EXPECT_GE(last.transX, 300);
    EXPECT_EQ(last.dolphin, 0);
    EXPECT_LT(last.angle, 5);
}

// Steps 36 to 39 from 39:40 to 49:00.
TEST_F(Scenes3D, ManFormsOutOfTheHelixThenThePictureWhitesOutAndFadesToBlack)
{
    struct Seen {
        long pos, sub, transY, brightness;
        defZENTRIXPAGE *page;
        double helixToTarget;   // mean distance of the helix points from their targets
        double helixOffMan;     // helix points outside the man's extent
        bool targetsOnMan;      // the targets are the man's vertices (as of the frame before)
        bool uniform;           // the page is one grey
        uint32_t first;
    };
    std::vector<Seen> seen;
    fake::OnPresent = [&seen](defZENTRIXPAGE *p) {
        if (DemoState != 17)
            return;
        Seen s{MusicTime, DemoSubState1, TransY, Brightness, p, 0, 0, true, true, PagePixels(*p)[0]};
        for (int k = 0; k < W * H; k++)
            s.uniform = s.uniform && PagePixels(*p)[k] == s.first;
        for (int i = 0; i < kHelixPoints; i++) {
            const TDHelixPoint &h = HelixPoints[i];
            s.helixToTarget += std::sqrt((h.x - h.tempx) * (h.x - h.tempx) + (h.y - h.tempy) * (h.y - h.tempy) +
                                         (h.z - h.tempz) * (h.z - h.tempz)) / kHelixPoints;
            s.helixOffMan += std::fabs(h.y) > 40 || std::sqrt(h.x * h.x + h.z * h.z) > 20;
            const Point3D &v = objManTemp.Points[i];
            s.targetsOnMan = s.targetsOnMan && std::fabs(h.tx - v.x) + std::fabs(h.ty - v.y) + std::fabs(h.tz - v.z) < 1;
        }
        seen.push_back(s);
    };
    Play(39, 40, 2400);
    ASSERT_GT(seen.size(), 2000u);

    bool white = false;
    long lastGrey = 256, blackFrames = 0;
    for (size_t i = 0; i < seen.size(); i++) {
        const Seen &s = seen[i];
        SCOPED_TRACE(s.pos);
        if (s.sub <= 1) {
            // Step 36: the helix glows over the last picture, shown as the
            // background page itself.
            EXPECT_EQ(s.page, &Background);
            continue;
        }
        EXPECT_EQ(s.page, &EffectGFXPage32);
        if (s.sub == 3 && seen[i - 1].sub == 3 && seen[i - 1].transY < 0) {
            EXPECT_EQ(s.transY, seen[i - 1].transY + 1);   // comes down a unit a frame
        }
        if (s.sub == 5 || s.sub == 6) {
            EXPECT_TRUE(s.targetsOnMan);
        }
        white = white || (s.uniform && s.first == 0xFFFFFFu);
        if (s.sub == 7) {
            // One grey a frame, darker every frame, down to black.
            EXPECT_TRUE(s.uniform);
            const long grey = long(s.first & 0xFF);
            EXPECT_EQ(s.first, uint32_t(grey) * 0x010101u);
            if (grey > 0) {
                EXPECT_LT(grey, lastGrey);
            }
            blackFrames += grey == 0;
            lastGrey = grey;
        }
    }
    // The man came down into place.
    auto at = [&seen](long pos) {
        for (const Seen &s : seen)
            if (s.pos >= pos)
                return s;
        return seen.back();
    };
    EXPECT_EQ(at(4300).transY, 0);
    // The helix points leave their helix for the man's vertices and close in
    // on them during step 38.
    EXPECT_GT(at(4231).helixToTarget, 30.0);
    EXPECT_LT(at(4500).helixToTarget, 0.5);
    EXPECT_GT(at(4231).helixOffMan, 100);
    EXPECT_EQ(at(4500).helixOffMan, 0);
    // The white-out reaches white, then the fade reaches black.
    EXPECT_TRUE(white);
    EXPECT_GT(blackFrames, 10);
    EXPECT_EQ(seen.back().first, 0u);
    EXPECT_EQ(seen.back().sub, 7);
}

} // namespace
