// Spin: the bounce at +-200, the feedback offsets' identity, the keys' edges
// and their way from the window thread, the wandering zoom, and drawing that
// stays on the page.
#include "Spin.h"

#include "Feedback.h"
#include "General.h"
#include "PageFixture.h"
#include "Random.h"

#include <gtest/gtest.h>

#include <thread>

namespace {

struct SpinFixture : ::testing::Test, LibraryPage {
    void SetUp() override
    {
        ASSERT_EQ(AllocateGeneralMemory(), 1);
        InitializeGeneral(&page);
        ASSERT_EQ(AllocateSpinMemory(), 1);
        SeedRand15(3);
        InitializeSpin();
        ApplySpinMessages();   // drop anything an earlier test left queued
        DoSpinRandom = 0;
        bPlainColor = 0;
        Radius = 1.0f;
        FeedBackAngle = 0;
    }
    void TearDown() override
    {
        FreeSpinMemory();
        FreeGeneralMemory();
    }
    void Key(WPARAM key)
    {
        HandleSpinMessage(nullptr, WM_KEYDOWN, key, 0);
        ApplySpinMessages();
    }
    long Lit() const
    {
        long n = 0;
        auto *p = static_cast<const uint32_t *>(page.pPageData);
        for (int k = 0; k < 400 * 308; k++)
            n += p[k] != 0;
        return n;
    }
};

} // namespace

TEST_F(SpinFixture, BouncesAtTwoHundredOnBothAxes)
{
    for (auto &s : Spirals) {
        s.x = 190;
        s.dx = 3;
        s.y = -195;
        s.dy = -2;
    }
    DoSpinEffect(nullptr, nullptr, 30.0f, &page);   // a long stall: a jump far past the edge
    for (const auto &s : Spirals) {
        EXPECT_EQ(s.x, 200);
        EXPECT_EQ(s.dx, -3);
        EXPECT_EQ(s.y, -200);
        EXPECT_EQ(s.dy, 2);
    }
    DoSpinEffect(nullptr, nullptr, 1.0f, &page);
    for (const auto &s : Spirals) {
        EXPECT_EQ(s.x, 197);
        EXPECT_EQ(s.y, -198);
    }
    // Exactly on the edge is not past it.
    Spirals[0].x = 199;
    Spirals[0].dx = 1;
    DoSpinEffect(nullptr, nullptr, 1.0f, &page);
    EXPECT_EQ(Spirals[0].x, 200);
    EXPECT_EQ(Spirals[0].dx, 1);
}

// The turn wraps at a whole turn either way, and a size is kept drawable.
// (Each key reaching the module through the window: WindowSdlTest.)
TEST_F(SpinFixture, KeysWrapTheTurnAndKeepTheSizeDrawable)
{
    FeedBackAngle = 5759;
    Key(VK_ADD);
    EXPECT_EQ(FeedBackAngle, 0);
    Key(VK_SUBTRACT);
    EXPECT_EQ(FeedBackAngle, 5759);
    HandleSpinMessage(nullptr, kSpinSizeMessage, 100000, 0);
    ApplySpinMessages();
    EXPECT_EQ(Spirals[3].Shrink, 255);
}

// The window thread only queues a key; the next frame applies the queue, in
// order, and a flood is cut rather than overrun.
TEST_F(SpinFixture, KeysWaitForTheRenderThreadAndArriveInOrder)
{
    FeedBackAngle = 10;
    HandleSpinMessage(nullptr, WM_KEYDOWN, VK_ADD, 0);
    EXPECT_EQ(FeedBackAngle, 10);
    DoSpinEffect(nullptr, nullptr, 1.0f, &page);
    EXPECT_EQ(FeedBackAngle, 11);
    for (int i = 0; i < 500; i++)
        HandleSpinMessage(nullptr, WM_KEYDOWN, VK_ADD, 0);
    ApplySpinMessages();
    EXPECT_GT(FeedBackAngle, 11);
    EXPECT_LT(FeedBackAngle, 11 + 500);

    FeedBackAngle = 0;
    std::thread window([] {
        for (int i = 0; i < 40; i++) {
            HandleSpinMessage(nullptr, WM_KEYDOWN, VK_ADD, 0);
            std::this_thread::yield();
        }
    });
    for (int f = 0; f < 4000 && FeedBackAngle < 40; f++)
        DoSpinEffect(nullptr, nullptr, 1.0f, &page);
    window.join();
    ApplySpinMessages();
    EXPECT_EQ(FeedBackAngle, 40);
}

// Zoom 1 without a turn maps the page onto itself; the wandering zoom and
// turn stay in range.
TEST_F(SpinFixture, WanderingZoomAndTurnStayInRange)
{
    ComputeSpinOffsets();
    EXPECT_EQ(MoveOfs1, 0);
    EXPECT_EQ(MoveOfs2, 0);
    DoSpinRandom = 1;
    for (int f = 0; f < 3000; f++) {
        DoSpinEffect(nullptr, nullptr, 1.0f, nullptr);
        ASSERT_GE(Radius, 0.7f);
        ASSERT_LE(Radius, 1.3f);
        ASSERT_GE(FeedBackAngle, 0);
        ASSERT_LT(FeedBackAngle, 5760);
    }
    // A run that has wandered very far still gives a valid step.
    AngleFeedBack = -3.0e9f;
    DoSpinEffect(nullptr, nullptr, 1.0f, nullptr);
    EXPECT_GE(FeedBackAngle, 0);
    EXPECT_LT(FeedBackAngle, 5760);
}

TEST_F(SpinFixture, SizeZeroDrawsNothingAndGrowingDrawsMore)
{
    SetSpinSize(0);
    DoSpinEffect(nullptr, nullptr, 1.0f, &page);
    EXPECT_EQ(Lit(), 0);
    SetSpinSize(40);
    DoSpinEffect(nullptr, nullptr, 1.0f, &page);
    long small = Lit();
    EXPECT_GT(small, 0);
    Cls32(&page, 0, 0, 0);
    SetSpinSize(200);
    DoSpinEffect(nullptr, nullptr, 1.0f, &page);
    EXPECT_GT(Lit(), small * 4);
}

TEST_F(SpinFixture, CentreOffThePageDrawsOnlyInside)
{
    // A guard row above and below the page's pixels shows any stray write.
    defZENTRIXPAGE big{};
    ASSERT_EQ(CreateGFXPage(&big, 400, 308 + 2 * 100, 32), 1);
    defZENTRIXPAGE view = big;
    view.pPageData = static_cast<uint32_t *>(big.pPageData) + 100 * 400;
    view.Height = 308;
    for (auto &s : Spirals) {
        s.y = 200;   // 46 rows below the page's last row
        s.dy = 3;
        s.x = -200;
        s.dx = -3;
    }
    SetSpinSize(255);
    DoSpinEffect(nullptr, nullptr, 1.0f, &view);
    auto *p = static_cast<const uint32_t *>(big.pPageData);
    long inside = 0;
    for (int y = 0; y < 508; y++)
        for (int x = 0; x < 400; x++) {
            if (y < 100 || y >= 408)
                ASSERT_EQ(p[y * 400 + x], 0u) << x << "," << y;
            else
                inside += p[y * 400 + x] != 0;
        }
    EXPECT_GT(inside, 0);
    DeleteGFXPage(&big);
}
