// Land: the fog levels, missing palettes, the vector and scalar loops, the
// wrapping landscape, held keys, the cloud cross-fade and the bounds. What
// the flight looks like: LandSceneTest; the keys' way in: WindowSdlTest.
// Most tests give palette entry k the value k, so a pixel names its entry.
#include "LandEffect.h"
#include "PageFixture.h"

#include "Gen32.h"
#include "Random.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

constexpr uint32_t kBand = 0x00DEEBFFu;   // the horizon band in the fog colour
constexpr uint32_t kUntouched = 0xFFFFFFFFu;

class Land : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(AllocateLandMemory(), 1);
        SeedRand15(3);
        ZentrixSetDataFolder("/nonexistent-folder-for-land-test");
        InitializeLand();
        ZentrixSetDataFolder(nullptr);
        Fade = 0;
        FadeStep = 2;
        LandSpeed = 500.0f;
        FOV = 0.7853981852531433f;
    }
    void TearDown() override { FreeLandMemory(); }

    static void TagPalettes()
    {
        for (int k = 0; k < 3 * LandSetEntries; ++k) LandPalette[k] = uint32_t(k);
    }
    // The column buffers as View starts them.
    static void StartColumns()
    {
        for (int i = 0; i < LandColumns; ++i) {
            cl_lasth[i] = 0;
            cl_lasty[i] = LandRows - 1;
            lastc[i] = -1;
            lasth[i] = 0;
            lasty[i] = LandRows - 1;
        }
    }
};

// Every channel moves level by level towards the fog colour, is halfway at
// level 16 and ends within one step of it, whatever its start.
TEST_F(Land, FogLevelsBlendEveryChannelTowardsTheFogColour)
{
    const uint32_t colours[] = {0x000000, 0xFFFFFF, 0xFF0080};
    for (int c = 0; c < 3; ++c) EndPalette[c * LandSetEntries + 5] = colours[c];
    const int fog[3] = {40, 235, 255};
    CreateFadeShades(fog[0], fog[1], fog[2]);
    for (int c = 0; c < 3; ++c)
        for (int ch = 0; ch < 3; ++ch) {
            int previous = int(colours[c] >> (16 - 8 * ch) & 255);
            for (int L = 1; L < LandFogLevels; ++L) {
                const int got = int(EndPalette[c * LandSetEntries + L * LandPaletteEntries + 5] >> (16 - 8 * ch) & 255);
                ASSERT_LE(std::abs(got - fog[ch]), std::abs(previous - fog[ch])) << c << " level " << L;
                if (L == 16) {   // halfway
                    EXPECT_EQ(got, (int(colours[c] >> (16 - 8 * ch) & 255) + fog[ch]) / 2) << c << " channel " << ch;
                }
                previous = got;
            }
            EXPECT_LE(std::abs(previous - fog[ch]), 256 / 32) << c << " channel " << ch;
        }
}

TEST_F(Land, MissingPalettePicturesGiveBlackNeverOldMemory)
{
    FreeLandMemory();
    // Leave blocks of the palettes' size full of garbage for the allocator
    // to hand out again.
    for (int n = 0; n < 4; ++n) {
        void *junk = std::malloc(3 * LandSetEntries * sizeof(uint32_t));
        std::memset(junk, 0xA7, 3 * LandSetEntries * sizeof(uint32_t));
        std::free(junk);
    }
    ASSERT_EQ(AllocateLandMemory(), 1);
    ZentrixSetDataFolder("/nonexistent-folder-for-land-test");
    InitializeLand();
    ZentrixSetDataFolder(nullptr);
    for (int set = 0; set < 3; ++set)
        for (int k = 0; k < LandPaletteEntries; ++k) ASSERT_EQ(LandPalette[set * LandSetEntries + k], 0u);
}

// The vector loops give the scalar loops' pixels and column buffers, on the
// plasma maps seen from many places, including map edges and far out; the
// view's near steps that it leaves out change nothing.
TEST_F(Land, VectorLoopsDrawTheScalarLoopsPixels)
{
    TagPalettes();
    for (int k = 0; k < LandMapCells; k += 7) cl_CMap[k] = uint8_t(k * 13);
    const long cells = 256L * 65536;
    auto columns = [] {
        std::vector<int32_t> all;
        for (const int32_t *b : {lasty, cl_lasty, lastc, lasth, cl_lasth}) all.insert(all.end(), b, b + LandColumns);
        return all;
    };
    for (int view = 0; view < 24; ++view) {
        const long x = (Rand15() * 977L) % cells - (view % 3) * cells, y = (Rand15() * 1231L) % cells;
        const float angle = float(Rand15()) / 1000.0f;
        GuardedPage vector, scalar;
        bLandVector = 1;
        LandGFXPage = &vector.page;
        View(x, y, angle);
        const std::vector<int32_t> fast = columns();
        // Every step of the view, with the scalar loops.
        bLandVector = 0;
        StartColumns();
        LandGFXPage = &scalar.page;
        const double x0 = double(uint64_t(x) & uint64_t(cells - 1)), y0 = double(uint64_t(y) & uint64_t(cells - 1));
        const double c1 = std::cos(double(angle - FOV)), s1 = std::sin(double(angle - FOV));
        const double c2 = std::cos(double(angle + FOV)), s2 = std::sin(double(angle + FOV));
        auto at = [](double v) { return long(std::floor(v + 0.5)); };
        for (int land = 0; land < 2; ++land)
            for (long d = 0; d < 100; d += (d >> 6) + 1) {
                const double w = double(d) * 65536.0;
                (land ? VoxLine : CloudLine)(at(x0 + c1 * w), at(y0 + s1 * w), at(x0 + c2 * w), at(y0 + s2 * w),
                                             land ? -300 : -800, land ? 64000 / (2 * d + 1) : 230400 / (8 * d + 1), d);
            }
        bLandVector = 1;
        ASSERT_EQ(vector.memory, scalar.memory) << "view " << view;
        ASSERT_EQ(fast, columns()) << "view " << view;
    }
    // The cloud cross-fade, at every fade position.
    for (long fade = 0; fade < 128; fade += 9) {
        std::vector<uint8_t> blends[2];
        for (int vector = 0; vector < 2; ++vector) {
            bLandVector = vector;
            Fade = fade;
            DoClouds(nullptr);
            blends[vector].assign(cl_CMap, cl_CMap + LandMapCells);
        }
        ASSERT_EQ(blends[0], blends[1]) << fade;
    }
}

TEST_F(Land, LandscapeRepeatsEvery256CellsInBothDirections)
{
    TagPalettes();
    const long cells = 256L * 65536;
    struct Case {
        long x, y;
        float angle;
    };
    const Case cases[] = {{1234567, 7654321, 1.3f}, {cells - 1, 5, -2.0f}};
    const long shifts[][2] = {{1, 0}, {0, -1}, {127, -128}, {-40000, 40000}};
    for (const Case &c : cases) {
        GuardedPage base(kUntouched);
        LandGFXPage = &base.page;
        View(c.x, c.y, c.angle);
        for (const auto &s : shifts) {
            GuardedPage moved(kUntouched);
            LandGFXPage = &moved.page;
            View(c.x + s[0] * cells, c.y + s[1] * cells, c.angle);
            ASSERT_EQ(moved.memory, base.memory) << c.x << "," << c.y << " shifted " << s[0] << "," << s[1];
        }
    }
}

// Keys held down for a long time: huge and negative speeds, a very wide
// field of view, many turns, slow frames. The camera stays within its 256
// cells, and every pixel is an entry of a palette or the horizon band.
TEST_F(Land, HeldKeysNeverLeadOutsideTheMapsPalettesOrPage)
{
    TagPalettes();
    const struct {
        WPARAM key;
        int presses;
    } phases[] = {{'3', 4000}, {'1', 900}, {'4', 9000}, {'2', 3000}, {'5', 1}, {'3', 60}};
    GuardedPage p;
    for (const auto &phase : phases) {
        for (int n = 0; n < phase.presses; ++n) {
            HandleLandMessage(nullptr, WM_KEYDOWN, phase.key, 0);
            if (n % 50 == 49) ApplyLandMessages();   // the queue holds 64
        }
        for (float F : {1.0f, 30.0f, 7.5f}) {
            DoLandEffect(nullptr, nullptr, F, &p.page);
            ASSERT_GE(xView0, 0);
            ASSERT_LT(xView0, LandPositionWrap);
            ASSERT_GE(yView0, 0);
            ASSERT_LT(yView0, LandPositionWrap);
            for (int k = 0; k < LandColumns * LandRows; ++k) {
                const uint32_t v = p.memory[GuardedPage::Guard + k];
                ASSERT_TRUE(v < 3u * LandSetEntries || v == kBand) << std::hex << v << " at " << std::dec << k;
            }
            ASSERT_TRUE(p.GuardsIntact());
        }
    }
}

TEST_F(Land, CloudCrossFadeNeverJumps)
{
    std::vector<uint8_t> before(cl_CMap, cl_CMap + LandMapCells);
    int swaps = 0, biggest = 0;
    for (int frame = 0; frame < 200; ++frame) {
        const uint8_t *first = CloudMap[0];
        DoClouds(nullptr);
        swaps += CloudMap[0] != first;
        if (frame > 0)
            for (int i = 0; i < LandMapCells; ++i) biggest = std::max(biggest, std::abs(cl_CMap[i] - before[i]));
        before.assign(cl_CMap, cl_CMap + LandMapCells);
    }
    EXPECT_GE(swaps, 2);
    EXPECT_LE(biggest, 5);
    EXPECT_GT(biggest, 0);
    // Without a cloud map (its allocation may fail) the clouds stand still.
    std::free(CloudMap[1]);
    CloudMap[1] = nullptr;
    DoClouds(nullptr);
    EXPECT_EQ(before, std::vector<uint8_t>(cl_CMap, cl_CMap + LandMapCells));
}

} // namespace
