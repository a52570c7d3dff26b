// Spin: the bounce at +-200, the feedback offsets from zoom and rotation,
// the keys, the wandering zoom, and drawing that stays on the page.
#include "Spin.h"

#include "Feedback.h"
#include "General.h"
#include "Random.h"

#include <gtest/gtest.h>

#include <thread>

namespace {

struct SpinFixture : ::testing::Test {
    defZENTRIXPAGE page{};

    void SetUp() override
    {
        ASSERT_EQ(CreateGFXPage(&page, 400, 308, 32), 1);
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
        DeleteGFXPage(&page);
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

TEST_F(SpinFixture, StartsInsideWithSmallSpeedsAndNoSize)
{
    for (const tdefSpiral &s : Spirals) {
        EXPECT_GE(s.x, -99);
        EXPECT_LE(s.x, 100);
        EXPECT_GE(s.dx, -2);
        EXPECT_LE(s.dx, 3);
        EXPECT_TRUE(s.DAngle == 1 || s.DAngle == 2);
        EXPECT_EQ(s.Shrink, 0);
    }
}

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

TEST_F(SpinFixture, BounceGivesPlainColoursInBlueMode)
{
    bPlainColor = 1;
    for (auto &s : Spirals) {
        s.x = 200;
        s.dx = 2;
    }
    DoSpinEffect(nullptr, nullptr, 1.0f, &page);
    for (const auto &s : Spirals) {
        EXPECT_EQ(s.r, 0);
        EXPECT_EQ(s.g, 0);
        EXPECT_GE(s.b, 127);
        EXPECT_LE(s.b, 254);
    }
}

TEST_F(SpinFixture, FeedbackOffsetsFollowZoomAndRotation)
{
    Radius = 1.0f;
    FeedBackAngle = 0;
    ComputeSpinOffsets();
    EXPECT_EQ(MoveOfs1, 0);   // zoom 1, no turn: the page maps onto itself
    EXPECT_EQ(MoveOfs2, 0);

    Radius = 1.0525f;         // zoomed out: corners pushed out
    ComputeSpinOffsets();
    EXPECT_EQ(MoveOfs1, -11);  // floor(-10.5)
    EXPECT_EQ(MoveOfs2, -9);   // floor(-8.085)

    FeedBackAngle = 2880;     // half a turn: the picture is turned over
    ComputeSpinOffsets();
    EXPECT_EQ(MoveOfs1, 410);
    EXPECT_EQ(MoveOfs2, 316);
}

TEST_F(SpinFixture, KeysSteerTheFeedbackAndTheSize)
{
    FeedBackAngle = 100;
    Key('9');
    EXPECT_EQ(FeedBackAngle, 5660);
    Key('9');
    EXPECT_EQ(FeedBackAngle, 100);
    FeedBackAngle = 5759;
    Key(VK_ADD);
    EXPECT_EQ(FeedBackAngle, 0);
    Key(VK_SUBTRACT);
    EXPECT_EQ(FeedBackAngle, 5759);

    FeedBackAngle = 0;
    Radius = 1.0f;
    Key(0x6A);   // keypad "*": zoom out and recompute
    EXPECT_NEAR(Radius, 1.01f, 1e-6);
    EXPECT_EQ(MoveOfs1, -2);
    Key(0x6F);   // keypad "/"
    EXPECT_NEAR(Radius, 1.0f, 1e-6);

    SetSpinSize(250);
    Key(VK_F1);
    for (const auto &s : Spirals)
        EXPECT_EQ(s.Shrink, 255);
    SetSpinSize(5);
    Key(VK_F2);
    for (const auto &s : Spirals)
        EXPECT_EQ(s.Shrink, 0);
    Key(VK_F3);
    EXPECT_EQ(DoSpinRandom, 1);
    Key(VK_F3);
    EXPECT_EQ(DoSpinRandom, 0);
    Key(VK_F4);
    EXPECT_EQ(bPlainColor, 1);

    HandleSpinMessage(nullptr, kSpinSizeMessage, 120, 0);
    ApplySpinMessages();
    EXPECT_EQ(Spirals[3].Shrink, 120);
    HandleSpinMessage(nullptr, kSpinSizeMessage, 100000, 0);   // kept to a drawable size
    ApplySpinMessages();
    EXPECT_EQ(Spirals[3].Shrink, 255);
}

TEST_F(SpinFixture, KeysWaitForTheRenderThread)
{
    FeedBackAngle = 10;
    HandleSpinMessage(nullptr, WM_KEYDOWN, VK_ADD, 0);
    EXPECT_EQ(FeedBackAngle, 10);
    DoSpinEffect(nullptr, nullptr, 1.0f, &page);   // applies the queued key first
    EXPECT_EQ(FeedBackAngle, 11);
    for (int i = 0; i < 500; i++)                  // a flood is cut, not overrun
        HandleSpinMessage(nullptr, WM_KEYDOWN, VK_ADD, 0);
    ApplySpinMessages();
    EXPECT_GT(FeedBackAngle, 11);
    EXPECT_LT(FeedBackAngle, 11 + 500);
}

TEST_F(SpinFixture, KeysFromTheWindowThreadArriveInOrderWhileDrawing)
{
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

TEST_F(SpinFixture, WanderingZoomAndTurnStayInRange)
{
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

TEST(SpinLifecycle, FreeIsSafeUnallocatedAndTwice)
{
    EXPECT_EQ(FreeSpinMemory(), 1);
    EXPECT_EQ(FreeSpinMemory(), 1);
    InitializeSpin();                                  // no tables: nothing to fill
    DoSpinEffect(nullptr, nullptr, 1.0f, nullptr);     // and nothing drawn
    ASSERT_EQ(AllocateSpinMemory(), 1);
    EXPECT_EQ(FreeSpinMemory(), 1);
    EXPECT_EQ(FreeSpinMemory(), 1);
}
