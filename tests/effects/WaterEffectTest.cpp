// Water: the flat surface's bands, a drop's ring and decay, the switches
// and the bounds of the drawing.
#include "PageFixture.h"
#include "WaterEffect.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <thread>
#include <vector>

namespace {

class Water : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(AllocateWaterMemory(), 1);
        CT = 0;
        RotateEffect = 0;
        DrawPic = 0;
        bWaterFireEffect = 0;
        DrawBar = 0;
        // Palette entry k shows as the value k, so pixels read as shade indices.
        for (int k = 0; k < 256; ++k) WaterPalette[k] = uint32_t(k);
    }
    void TearDown() override { FreeWaterMemory(); }

    static int16_t *Newest() { return CT ? WaterPage2 : WaterPage1; }
    static void Step(defZENTRIXPAGE *page) { DoWaterEffect(nullptr, nullptr, 1, page); }
    // The surface's disturbance in both tables (a drop goes into the older one).
    static long SumAbs()
    {
        long s = 0;
        for (int i = 0; i < WaterGridCells; ++i) s += std::abs(int(WaterPage1[i])) + std::abs(int(WaterPage2[i]));
        return s;
    }
};


// The drawing written plainly, one bounds test per pixel and 64-bit
// arithmetic throughout: DrawWide must give exactly its pixels.
void ReferenceDrawWide(const int16_t *N, uint32_t *px)
{
    constexpr long Pixels = 400 * 308;
    long shadeRows[2][400] = {}, yRows[2][400] = {};
    const long step = 102400 / std::max(1L, WaterWidth), g = std::max(1L, step >> 8);
    auto height = [N](long p) -> long { return p >= 0 && p < WaterGridCells ? N[p] : 0; };
    auto plot = [px](long q, uint32_t c) {
        if (q >= 0 && q < Pixels) px[q] = c;
    };
    int cur = 1, prev = 0;
    for (long r = 0; r < 152; ++r, std::swap(cur, prev)) {
        long p = (r + 1) * 100 + 1, T = 256, Ty = 0, a = 0, s = 0, S = 0, Y = 0, dS = 0, dY = 0;
        for (long x = 0; x < 400; ++x, S += dS, Y += dY) {
            if (x >= s) {
                a += step;
                s = a >> 8;
                S = T;
                Y = Ty;
                T = std::clamp((height(p + 101) - height(p - 101) + 4 * r + 64) * 64, 256L, 65279L);
                dS = (T - S) / g;
                Ty = height(p) * 16;
                dY = (Ty - Y) / g;
                ++p;
            }
            shadeRows[cur][x] = S;
            yRows[cur][x] = Y >> 8;
            const long n = yRows[cur][x] - yRows[prev][x] + 2, q = yRows[prev][x] * 400 + r * 800 + x;
            const long from = shadeRows[prev][x];
            if (n > 2) {
                for (long k = 0, sh = from; k < n; ++k, sh += (S - from) / n) plot(q + k * 400, WaterPalette[(sh >> 8) & 255]);
            } else if (n > 0) {
                plot(q, WaterPalette[(from >> 8) & 255]);
                if (n == 2) plot(q + 400, WaterPalette[((from + ((S - from) >> 1)) >> 8) & 255]);
            }
        }
    }
}

TEST_F(Water, DrawWideMatchesThePlainDrawingOnRandomSurfaces)
{
    // Heights from gentle ripples to the full 16-bit range, which pushes
    // spans off the page and makes them thousands of pixels long.
    for (int k = 0; k < 256; ++k) WaterPalette[k] = 0x010203u * uint32_t(k) + 0x9E3779B9u * uint32_t(k & 7);
    uint32_t seed = 12345;
    auto next = [&seed] {
        seed = seed * 1664525u + 1013904223u;
        return seed >> 8;
    };
    auto Compare = [] {
        GuardedPage got(0x77), want(0x77);
        DrawWide(&got.page);
        ReferenceDrawWide(Newest(), &want.At(0, 0));
        ASSERT_TRUE(got.GuardsIntact());
        ASSERT_TRUE(got.memory == want.memory);
    };
    // Widths other than the demo's 100 take the general group loop; the
    // demo's width is drawn with AVX2 where the processor has it, and
    // without.
    const int avx2 = WaterDrawAvx2;
    for (int amplitude : {0, 40, 300, 2000, 12000, 32768}) {
        for (int trial = 0; trial < 4; ++trial) {
            WaterDrawAvx2 = trial == 3 ? 0 : avx2;
            WaterWidth = trial == 2 ? 37 : 100;
            for (int i = 0; i < WaterGridCells; ++i)
                Newest()[i] = amplitude ? int16_t(int(next() % uint32_t(2 * amplitude)) - amplitude) : 0;
            ASSERT_NO_FATAL_FAILURE(Compare()) << "amplitude " << amplitude << " trial " << trial;
        }
    }
    WaterWidth = 100;
    // Level surfaces raised or lowered by whole and half screen rows put the
    // spans' starts on and beside the edges of the page and of the drawing's
    // eight-row windows; a ramp across the rows adds long spans and folds.
    for (int lift : {-2048, -176, -160, -152, -144, -136, -128, -8, 8, 128, 136, 144, 152, 160, 176, 2048}) {
        for (int form = 0; form < 2; ++form) {
            WaterDrawAvx2 = form ? 0 : avx2;
            for (int i = 0; i < WaterGridCells; ++i) Newest()[i] = int16_t(lift + (i % 100) * (i / 100 % 12) * 2);
            ASSERT_NO_FATAL_FAILURE(Compare()) << "lift " << lift << " form " << form;
        }
    }
    WaterDrawAvx2 = avx2;
}

TEST_F(Water, RippleStepMatchesThePlainStepOnRandomTables)
{
    // Full-range heights make the sums leave 16 bits before they wrap back.
    uint32_t seed = 777;
    auto next = [&seed] {
        seed = seed * 1664525u + 1013904223u;
        return int16_t(seed >> 16);
    };
    for (int i = 0; i < WaterGridCells; ++i) WaterPage1[i] = next(), WaterPage2[i] = next();
    std::vector<int16_t> want(WaterPage2, WaterPage2 + WaterGridCells);
    for (int r = 1; r <= 151; ++r)
        for (int c = 2; c < 100; ++c) {
            const int i = r * 100 + c;
            int v = ((WaterPage1[i - 1] + WaterPage1[i + 1] + WaterPage1[i - 100] + WaterPage1[i + 100]) >> 1) - want[i];
            v -= v >> 6;
            want[i] = int16_t(uint16_t(v));
        }
    GuardedPage p;
    Step(&p.page);
    ASSERT_EQ(CT, 1);
    EXPECT_TRUE(std::equal(want.begin(), want.end(), WaterPage2));
}

TEST_F(Water, FlatSurfaceDrawsBandsTwoPixelsApartRisingFromShade16)
{
    GuardedPage p(0xFFFFFFFFu);
    Step(&p.page);
    for (int r = 1; r < 152; ++r)
        for (int x = 4; x < 400; x += 7) {
            ASSERT_EQ(p.At(x, 2 * r), uint32_t(15 + r)) << "row " << 2 * r << " x " << x;
            ASSERT_EQ(p.At(x, 2 * r + 1), uint32_t(15 + r)) << "row " << 2 * r + 1 << " x " << x;
        }
    // Below the last grid row nothing is drawn.
    for (int y = 304; y < 308; ++y) EXPECT_EQ(p.At(200, y), 0xFFFFFFFFu);
    EXPECT_TRUE(p.GuardsIntact());
}

TEST_F(Water, DropSpreadsAsSymmetricRingAndDecays)
{
    const int cx = 50, cy = 77, c = cy * 100 + cx;
    DrawDrop(cx, cy, 500);
    GuardedPage p;
    for (int k = 0; k < 12; ++k) Step(&p.page);
    const int16_t *N = Newest();
    // The ripple looks only at neighbours, so the ring is exactly symmetric.
    for (int d = 1; d < 20; ++d) {
        ASSERT_EQ(N[c + d], N[c - d]) << d;
        ASSERT_EQ(N[c + 100 * d], N[c - 100 * d]) << d;
    }
    // After 12 steps the disturbance has reached ten cells out and not 16.
    int reach = 0;
    for (int d = 1; d < 30; ++d)
        if (N[c + d] != 0) reach = d;
    EXPECT_GE(reach, 10);
    EXPECT_LE(reach, 14);
    // The ring is further out than the middle: its peak is not at the centre.
    int peak = 0, at = 0;
    for (int d = 0; d < 20; ++d)
        if (std::abs(int(N[c + d])) > peak) peak = std::abs(int(N[c + d])), at = d;
    EXPECT_GT(at, 3);

    const long early = SumAbs();
    for (int k = 0; k < 600; ++k) Step(&p.page);
    EXPECT_LT(SumAbs(), early / 10);
    EXPECT_TRUE(p.GuardsIntact());
}

// A drop or a clear asked for by the window thread comes with a frame.
TEST_F(Water, DropAndClearCommandsActOnTheNextFrame)
{
    HandleWaterMessage(nullptr, WM_KEYDOWN, '2', 0);
    EXPECT_EQ(SumAbs(), 0);
    GuardedPage p;
    Step(&p.page);
    Step(&p.page);
    ASSERT_GT(SumAbs(), 0);
    HandleWaterMessage(nullptr, WM_COMMAND, IDM_WATER_CLEAR, 0);
    GuardedPage q;
    Step(&q.page);
    EXPECT_EQ(SumAbs(), 0);
    EXPECT_EQ(q.At(100, 100), 15u + 50u);
}

// Keys and menu commands toggle the same switches. (Each key reaching the
// module through the window: WindowSdlTest.)
TEST_F(Water, SwitchesToggleByCommandAndKey)
{
    HandleWaterMessage(nullptr, WM_COMMAND, IDM_WATER_STIR, 0);
    EXPECT_EQ(RotateEffect.load(), 1);
    HandleWaterMessage(nullptr, WM_KEYDOWN, '4', 0);
    EXPECT_EQ(RotateEffect.load(), 0);
    // A countdown value of the sequencer toggles off, not to another count.
    DrawPic = 15;
    HandleWaterMessage(nullptr, WM_COMMAND, IDM_WATER_BITMAP, 0);
    EXPECT_EQ(DrawPic.load(), 0);
    // Messages that are not the water's change nothing.
    HandleWaterMessage(nullptr, WM_PAINT, IDM_WATER_STIR, 0);
    EXPECT_EQ(RotateEffect.load(), 0);
}

TEST_F(Water, StirrerOffTheGridPressesNothingButKeepsMoving)
{
    RotateEffect = 1;
    for (int k = 0; k < 3; ++k) StirX[k] = 5000, StirY[k] = 5000, StirDX[k] = StirDY[k] = 0;
    StirDX[1] = StirDX[2] = 16;
    GuardedPage p;
    Step(&p.page);
    EXPECT_EQ(SumAbs(), 0);
    EXPECT_NE(StirX[1], 5000);
    // One inside the window presses its four cells.
    StirX[1] = 400, StirY[1] = 600, StirDX[1] = StirDY[1] = 0;
    StirX[0] = 400, StirY[0] = 600;
    Step(&p.page);
    Step(&p.page);
    EXPECT_GT(SumAbs(), 0);
}

TEST_F(Water, FireHeatsOnlyTheTopRows)
{
    bWaterFireEffect = 1;
    GuardedPage p;
    Step(&p.page);
    for (int i = 900; i < WaterGridCells; ++i) ASSERT_EQ(FirePage[i], 0) << i;
    int hot = 0;
    for (int i = 100; i < 900; ++i) hot += FirePage[i] != 0;
    EXPECT_GT(hot, 0);
}

TEST_F(Water, ExtremeHeightsDrawOnlyInsideThePage)
{
    for (int i = 0; i < WaterGridCells; ++i) {
        WaterPage1[i] = (i / 7) % 2 ? 32767 : -32768;
        WaterPage2[i] = (i / 3) % 2 ? -32768 : 32767;
    }
    GuardedPage p;
    for (int k = 0; k < 3; ++k) Step(&p.page);
    EXPECT_TRUE(p.GuardsIntact());
    EXPECT_GT(p.CountNot(0), 0);
}

TEST_F(Water, DropsOutsideTheGridAreIgnored)
{
    DrawDrop(0, 50, 500);
    DrawDrop(99, 50, 500);
    DrawDrop(50, 0, 500);
    DrawDrop(50, 153, 500);
    DrawDrop(-1000, 1000000, 500);
    EXPECT_EQ(SumAbs(), 0);
}

TEST_F(Water, MessagesFromTheWindowThreadWhileDrawing)
{
    // The window thread's commands only set requests and switches; the
    // sanitizer build checks that nothing else is shared.
    GuardedPage p;
    std::thread window([] {
        const WPARAM keys[] = {'1', '2', '3', '4', '5', '6', '7'};
        for (int k = 0; k < 700; ++k) HandleWaterMessage(nullptr, WM_KEYDOWN, keys[k % 7], 0);
    });
    for (int k = 0; k < 50; ++k) Step(&p.page);
    window.join();
    Step(&p.page);
    EXPECT_TRUE(p.GuardsIntact());
}

// Free, unallocated drawing and a 16-bit page: LifecycleTest.
TEST_F(Water, PagesOfOtherSizesAndNoPageAreSkipped)
{
    GuardedPage p(7);
    p.page.Height = 100;
    Step(&p.page);
    Step(nullptr);
    EXPECT_EQ(p.CountNot(7), 0);
}

} // namespace
