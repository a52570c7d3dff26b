// The title, splot, spiral and scroller steps of the real program, played
// headless by HandleDemo with the generated data: pictures taken at music
// positions inside each step and judged as a viewer would (brightness over
// time, where on the screen pixels are lit or move). (The pictures the
// program itself writes at positions: tests/e2e.)
#include "FakePlatform.h"
#include "SceneRun.h"
#include "Timeline.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <map>
#include <vector>

namespace {

// The screen shows the page's rows 0..299.
constexpr int W = 400, H = 300;

double ScreenMean(const PageShot &p) { return p.Mean(0, 0, W, H); }

// Step 5: the splot pulses; every third row from 3:00 to 4:48.
std::vector<long> SplotPositions()
{
    std::vector<long> at;
    for (int o = 3; o <= 4; o++)
        for (int r = 0; r < 64; r += 3)
            if (o * 100 + r < 450)
                at.push_back(o * 100 + r);
    return at;
}

// Positions as order * 100 + row.
const std::vector<long> &Positions()
{
    static const std::vector<long> positions = [] {
        std::vector<long> at = {105, 120, 140, 163,   // step 2: the title quivers
                                204, 212, 220, 229};  // step 3: the glow
        for (long p : SplotPositions())
            at.push_back(p);
        for (long p : {452, 460, 504, 512, 520, 528, 536, 544, 552, 560,   // step 6: title and beams
                       640, 650, 663, 710, 720, 740,                       // step 7: the spirals grow
                       1141, 1150, 1163,                                   // step 10: they shrink away
                       4910, 4940, 5020, 5040, 5060,                       // step 40: the scroller
                       5355})                                              // step 41: black
            at.push_back(p);
        return at;
    }();
    return positions;
}

// One run from the start of the song to 53:55 for the whole suite, rows
// 120 ms apart as in the real song: the first frame shown at or after each
// position.
class HeadlessScenes : public ::testing::Test {
protected:
    static std::map<long, PageShot> *Shots;

    static void SetUpTestSuite()
    {
        Shots = new std::map<long, PageShot>;
        if (!StartScenes(GeneratedData(), false))   // its random numbers as in the program
            return;
        fake::OnPresent = [](defZENTRIXPAGE *page) {
            for (long p : Positions())
                if (MusicTime >= p && !Shots->count(p))
                    Shots->emplace(p, PageShot(*page));
            if (Shots->size() == Positions().size())
                ApplicationFin = 1;
        };
        PlayFrom(0, 0, 120, 20000);
        StopScenes();
        fake::Reset();
    }
    static void TearDownTestSuite()
    {
        delete Shots;
        Shots = nullptr;
    }
    static const PageShot &At(int order, int row) { return Shots->at(order * 100L + row); }
};

std::map<long, PageShot> *HeadlessScenes::Shots;

// The title's resting rectangle (the screen shows the page's rows 0..299).
constexpr int kTitleX0 = 40, kTitleX1 = 360, kTitleY0 = 34, kTitleY1 = 274;

long LitOutsideTitle(const PageShot &p)
{
    return p.Lit(0, 0, W, H) - p.Lit(kTitleX0, kTitleY0, kTitleX1, kTitleY1);
}

} // namespace

// One run serves every check (it takes some seconds).
TEST_F(HeadlessScenes, TitleSplotSpiralsAndScrollerSteps)
{
    ASSERT_EQ(Shots->size(), Positions().size()) << "the run ended before every position";
    {
        SCOPED_TRACE("TitleAppearsAndSettlesThenGlows");
        const PageShot &early = At(1, 5), &settled = At(1, 40), &late = At(1, 63);
        EXPECT_GT(LitOutsideTitle(early), 2000);   // jittered copies spill out
        EXPECT_LT(ScreenMean(early), ScreenMean(settled));   // and are still faint
        EXPECT_EQ(LitOutsideTitle(settled), 0);    // at rest inside its rectangle
        EXPECT_EQ(settled.Pixels, late.Pixels);    // and still
        EXPECT_GT(settled.Mean(kTitleX0, kTitleY0, kTitleX1, kTitleY1), 40.0);

        // The glow spreads beyond the picture and brightens it, then holds.
        const PageShot &glow = At(2, 4);
        EXPECT_GT(ScreenMean(glow), ScreenMean(late) + 5);
        EXPECT_GT(LitOutsideTitle(glow), 5000);
        EXPECT_EQ(At(2, 20).Pixels, At(2, 29).Pixels);
    }

    {
        SCOPED_TRACE("SplotFadesInAndOut");
        std::vector<double> mean;
        for (long p : SplotPositions())
            mean.push_back(ScreenMean(Shots->at(p)));
        const double lo = *std::min_element(mean.begin(), mean.end());
        const double hi = *std::max_element(mean.begin(), mean.end());
        EXPECT_LT(lo, 3.0);    // nearly black between pulses
        EXPECT_GT(hi, 40.0);   // bright at the top of a pulse
        // Several pulses (128 frames each) in the step: the brightness turns
        // from rising to falling more than once.
        int peaks = 0;
        for (size_t i = 1; i + 1 < mean.size(); i++)
            peaks += mean[i] > mean[i - 1] && mean[i] >= mean[i + 1] && mean[i] > 20;
        EXPECT_GE(peaks, 2);
    }

    {
        SCOPED_TRACE("BeamsSweepWhileTheTitleBlendsIn");
        // The title band (page rows 91..215) stands out from the splot once the
        // title has blended in.
        auto contrast = [](const PageShot &p) {
            return p.Mean(0, 100, 400, 200) / (1.0 + (p.Mean(0, 0, 400, 80) + p.Mean(0, 230, 400, 300)) / 2);
        };
        const double first = contrast(At(4, 52)), titled = contrast(At(5, 60));
        EXPECT_GT(titled, first * 1.5);
        // The light's brightest spot moves from left to right.
        std::vector<double> spot;
        for (int r : {20, 28, 36, 44}) {
            const PageShot &p = At(5, r);
            int best = -1;
            double bestX = 0;
            for (int y = 0; y < H; y++)
                for (int x = 0; x < W; x++)
                    if (p.Grey(x, y) > best) {
                        best = p.Grey(x, y);
                        bestX = x;
                    }
            // The light's core is white; without it on the page the brightest
            // spot is some splot blob, wherever the random numbers put it.
            if (best == 255)
                spot.push_back(bestX);
        }
        EXPECT_GE(spot.size(), 3u);
        for (size_t i = 1; i < spot.size(); i++)
            EXPECT_LT(spot[i - 1], spot[i]);
    }

    {
        SCOPED_TRACE("SpiralsGrowAndShrinkAway");
        const long a = At(6, 40).Lit(0, 0, 400, 300), b = At(6, 63).Lit(0, 0, 400, 300), c = At(7, 20).Lit(0, 0, 400, 300);
        EXPECT_LT(a, b);
        EXPECT_LT(b, c);
        // While they shrink away the page darkens.
        EXPECT_GT(ScreenMean(At(11, 41)), ScreenMean(At(11, 63)));
    }

    {
        SCOPED_TRACE("ScrollerRollsUpInItsColumnThenBlack");
        EXPECT_EQ(At(49, 10).Lit(0, 0, 400, 300), 0);   // still below the screen
        for (const PageShot *p : {&At(49, 40), &At(50, 20), &At(50, 40), &At(50, 60)}) {
            EXPECT_GT(p->Lit(50, 0, 350, 300), 500);
            EXPECT_EQ(p->Lit(0, 0, 50, 300, 0), 0);      // nothing left or right of the
            EXPECT_EQ(p->Lit(350, 0, 400, 300, 0), 0);   // picture's 300 columns
        }
        // Between 50:20 and 50:40 the text moved up by about one row a frame:
        // find the shift that best lays one picture on the other.
        const PageShot &a = At(50, 20), &b = At(50, 40);
        int bestShift = 0;
        double bestErr = 1e30;
        for (int d = 1; d < 150; d++) {
            double err = 0;
            for (int y = 0; y + d < 300; y++)
                for (int x = 50; x < 350; x += 2)
                    err += std::abs(a.Grey(x, y + d) - b.Grey(x, y));
            err /= double(300 - d);
            if (err < bestErr) {
                bestErr = err;
                bestShift = d;
            }
        }
        EXPECT_GT(bestShift, 50);    // 20 rows of music are about 70 frames
        EXPECT_LT(bestShift, 90);
        EXPECT_LT(bestErr, 1.0);     // the same text, only moved
        EXPECT_EQ(At(53, 55).Lit(0, 0, 400, 300, 0), 0);
    }
}
