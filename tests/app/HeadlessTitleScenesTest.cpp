// The title, splot, spiral and scroller steps of the real program, run
// headless with the generated data: pictures taken at music positions inside
// each step and judged as a viewer would (brightness over time, where on the
// screen pixels are lit or move).
#include "SceneRun.h"
#include "TestFiles.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

struct Picture {
    int W = 0, H = 0;
    std::vector<uint8_t> Rgb;   // W * H * 3
    int Lum(int x, int y) const
    {
        const uint8_t *p = &Rgb[(size_t(y) * W + x) * 3];
        return (p[0] + p[1] + p[2]) / 3;
    }
    double Mean(int x0, int y0, int x1, int y1) const
    {
        double s = 0;
        for (int y = y0; y < y1; y++)
            for (int x = x0; x < x1; x++)
                s += Lum(x, y);
        return s / double((x1 - x0) * (y1 - y0));
    }
    double Mean() const { return Mean(0, 0, W, H); }
    long Lit(int x0, int y0, int x1, int y1, int above = 8) const
    {
        long n = 0;
        for (int y = y0; y < y1; y++)
            for (int x = x0; x < x1; x++)
                n += Lum(x, y) > above;
        return n;
    }
};

uint32_t BE32(const uint8_t *p)
{
    return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3];
}

// Reads the 8-bit RGB, unfiltered pictures the program writes.
bool ReadPng(const std::string &path, Picture *pic)
{
    const std::vector<uint8_t> f = ReadBytes(path);
    if (f.size() < 33 || f[1] != 'P' || f[2] != 'N' || f[3] != 'G')
        return false;
    std::vector<uint8_t> packed;
    for (size_t at = 8; at + 12 <= f.size();) {
        const uint32_t len = BE32(&f[at]);
        if (at + 12 + size_t(len) > f.size())
            return false;
        const std::string type(reinterpret_cast<const char *>(&f[at + 4]), 4);
        const uint8_t *data = &f[at + 8];
        if (type == "IHDR") {
            pic->W = int(BE32(data));
            pic->H = int(BE32(data + 4));
            if (data[8] != 8 || data[9] != 2 || pic->W <= 0 || pic->H <= 0 || pic->W > 4096 || pic->H > 4096)
                return false;
        } else if (type == "IDAT") {
            packed.insert(packed.end(), data, data + len);
        }
        at += 12 + size_t(len);
    }
    const size_t row = size_t(pic->W) * 3 + 1;
    std::vector<uint8_t> raw(row * size_t(pic->H));
    uLongf size = uLongf(raw.size());
    if (uncompress(raw.data(), &size, packed.data(), uLong(packed.size())) != Z_OK || size != raw.size())
        return false;
    pic->Rgb.resize(size_t(pic->W) * pic->H * 3);
    for (int y = 0; y < pic->H; y++) {
        if (raw[row * y] != 0)
            return false;   // the writer uses no filters
        std::copy(&raw[row * y + 1], &raw[row * y + row], &pic->Rgb[size_t(y) * pic->W * 3]);
    }
    return true;
}

// Positions as ORDER:ROW; an order is 64 rows.
std::string Pos(int order, int row)
{
    return std::to_string(order) + ":" + (row < 10 ? "0" : "") + std::to_string(row);
}

// One headless run for the whole suite: every picture it took, by position.
class HeadlessScenes : public ::testing::Test {
protected:
    static std::map<std::string, Picture> *Shots;
    static std::string Failure;

    static void SetUpTestSuite()
    {
        Shots = new std::map<std::string, Picture>;
        const std::string bin = ProgramFolder();
        const std::string program = bin + "/veltrane", data = bin + "/Data";
        if (!std::filesystem::exists(program) || !std::filesystem::exists(data + "/TitleMain.raw")) {
            Failure = "the program or its data is not built beside the test";
            return;
        }
        std::vector<std::string> at;
        for (int r : {5, 20, 40, 63})
            at.push_back(Pos(1, r));                  // step 2: the title quivers
        for (int r : {4, 12, 20, 29})
            at.push_back(Pos(2, r));                  // step 3: the glow
        for (int o = 3; o <= 4; o++)                  // step 5: the splot pulses
            for (int r = 0; r < 64; r += 3)
                if (o * 100 + r < 450)
                    at.push_back(Pos(o, r));
        for (int r : {52, 60})
            at.push_back(Pos(4, r));                  // step 6: title and beams
        for (int r : {4, 12, 20, 28, 36, 44, 52, 60})
            at.push_back(Pos(5, r));
        for (int r : {40, 50, 63})
            at.push_back(Pos(6, r));                  // step 7: the spirals grow
        for (int r : {10, 20, 40})
            at.push_back(Pos(7, r));
        for (int r : {41, 50, 63})
            at.push_back(Pos(11, r));                 // step 10: they shrink away
        for (int r : {10, 40})
            at.push_back(Pos(49, r));                 // step 40: the scroller
        for (int r : {20, 40, 60})
            at.push_back(Pos(50, r));
        at.push_back(Pos(53, 55));                    // step 41: black
        std::string list;
        for (const std::string &p : at)
            list += (list.empty() ? "" : ",") + p;

        const std::string dir = Folder().Path;
        const std::string cmd = "'" + program + "' --headless --data '" + data + "' --frames '" + dir +
                                "' --at " + list + " > '" + dir + "/log.txt' 2>&1";
        if (std::system(cmd.c_str()) != 0) {
            Failure = "the headless run failed: " + cmd;
            return;
        }
        for (const std::string &p : at) {
            std::string file = p;
            file[file.find(':')] = '-';
            Picture pic;
            if (!ReadPng(dir + "/" + file + ".png", &pic)) {
                Failure = "no readable picture at " + p;
                return;
            }
            (*Shots)[p] = std::move(pic);
        }
    }
    static void TearDownTestSuite()
    {
        delete Shots;
        Shots = nullptr;
    }
    static TempFolder &Folder()
    {
        static TempFolder folder;
        return folder;
    }
    void SetUp() override
    {
        if (!Failure.empty())
            FAIL() << Failure;
    }
    static const Picture &At(int order, int row) { return Shots->at(Pos(order, row)); }

};

std::map<std::string, Picture> *HeadlessScenes::Shots;
std::string HeadlessScenes::Failure;

// The title's resting rectangle (the screen shows the page's rows 0..299).
constexpr int kTitleX0 = 40, kTitleX1 = 360, kTitleY0 = 34, kTitleY1 = 274;

long LitOutsideTitle(const Picture &p)
{
    return p.Lit(0, 0, p.W, p.H) - p.Lit(kTitleX0, kTitleY0, kTitleX1, kTitleY1);
}

} // namespace

// One run of the program serves every check (a run takes some seconds).
TEST_F(HeadlessScenes, TitleSplotSpiralsAndScrollerSteps)
{
    {
        SCOPED_TRACE("TitleAppearsAndSettlesThenGlows");
        const Picture &early = At(1, 5), &settled = At(1, 40), &late = At(1, 63);
        EXPECT_GT(LitOutsideTitle(early), 2000);   // jittered copies spill out
        EXPECT_LT(early.Mean(), settled.Mean());   // and are still faint
        EXPECT_EQ(LitOutsideTitle(settled), 0);    // at rest inside its rectangle
        EXPECT_EQ(settled.Rgb, late.Rgb);          // and still
        EXPECT_GT(settled.Mean(kTitleX0, kTitleY0, kTitleX1, kTitleY1), 40.0);

        // The glow spreads beyond the picture and brightens it, then holds.
        const Picture &glow = At(2, 4);
        EXPECT_GT(glow.Mean(), late.Mean() + 5);
        EXPECT_GT(LitOutsideTitle(glow), 5000);
        EXPECT_EQ(At(2, 20).Rgb, At(2, 29).Rgb);
    }

    {
        SCOPED_TRACE("SplotFadesInAndOut");
        std::vector<double> mean;
        for (int o = 3; o <= 4; o++)
            for (int r = 0; r < 64; r += 3)
                if (o * 100 + r < 450)
                    mean.push_back(At(o, r).Mean());
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
        auto contrast = [](const Picture &p) {
            return p.Mean(0, 100, 400, 200) / (1.0 + (p.Mean(0, 0, 400, 80) + p.Mean(0, 230, 400, 300)) / 2);
        };
        const double first = contrast(At(4, 52)), titled = contrast(At(5, 60));
        EXPECT_GT(titled, first * 1.5);
        // The light's brightest spot moves from left to right.
        std::vector<double> spot;
        for (int r : {20, 28, 36, 44}) {
            const Picture &p = At(5, r);
            int best = -1;
            double bestX = 0;
            for (int y = 0; y < p.H; y++)
                for (int x = 0; x < p.W; x++)
                    if (p.Lum(x, y) > best) {
                        best = p.Lum(x, y);
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
        EXPECT_GT(At(11, 41).Mean(), At(11, 63).Mean());
    }

    {
        SCOPED_TRACE("ScrollerRollsUpInItsColumnThenBlack");
        EXPECT_EQ(At(49, 10).Lit(0, 0, 400, 300), 0);   // still below the screen
        for (const Picture *p : {&At(49, 40), &At(50, 20), &At(50, 40), &At(50, 60)}) {
            EXPECT_GT(p->Lit(50, 0, 350, 300), 500);
            EXPECT_EQ(p->Lit(0, 0, 50, 300, 0), 0);      // nothing left or right of the
            EXPECT_EQ(p->Lit(350, 0, 400, 300, 0), 0);   // picture's 300 columns
        }
        // Between 50:20 and 50:40 the text moved up by about one row a frame:
        // find the shift that best lays one picture on the other.
        const Picture &a = At(50, 20), &b = At(50, 40);
        int bestShift = 0;
        double bestErr = 1e30;
        for (int d = 1; d < 150; d++) {
            double err = 0;
            for (int y = 0; y + d < 300; y++)
                for (int x = 50; x < 350; x += 2)
                    err += std::abs(a.Lum(x, y + d) - b.Lum(x, y));
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
