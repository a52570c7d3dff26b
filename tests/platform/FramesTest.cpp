// Frames on their way to the screen: clipping, composition (centred,
// stretched, off the edge) and the latest-wins mailbox, also with a writer
// and a reader racing each other. The 5-6-5 widening is checked where the
// shell shows a reduced page (ShellRuntimeTest).
#include "PlatformInternal.h"

#include <gtest/gtest.h>

#include <array>
#include <atomic>
#include <thread>
#include <vector>

namespace {

PlatPresentation Page(const std::vector<uint32_t> &px, int w, int h)
{
    return PlatPresentation{px.data(), w, h, 32, 0, 0, w, h, 0, 0, w, h};
}

TEST(Frames, ClippingKeepsTheSourceInsideThePage)
{
    std::vector<uint32_t> px(400 * 308);
    // The stretched picture's source ran 4 rows past the page.
    PlatPresentation f{px.data(), 400, 308, 32, 0, 4, 396, 308, 0, 0, 800, 600};
    ASSERT_TRUE(ClipPresentation(&f));
    EXPECT_EQ(f.SrcY + f.SrcH, 308);
    EXPECT_EQ(f.DstW, 800); // scaled: the target stays the whole screen
    // Unscaled: the destination moves with the clipped source.
    PlatPresentation g{px.data(), 400, 308, 32, -10, -5, 400, 300, 20, 30, 400, 300};
    ASSERT_TRUE(ClipPresentation(&g));
    EXPECT_EQ((std::array<int, 5>{g.SrcX, g.DstX, g.DstY, g.DstW, g.DstH}), (std::array<int, 5>{0, 30, 35, 390, 295}));
    PlatPresentation none{px.data(), 400, 308, 32, 500, 0, 10, 10, 0, 0, 10, 10};
    EXPECT_FALSE(ClipPresentation(&none));
    PlatPresentation odd{px.data(), 400, 308, 24, 0, 0, 10, 10, 0, 0, 10, 10};
    EXPECT_FALSE(ClipPresentation(&odd));
}

TEST(Frames, CentredStretchedAndOffTheEdge)
{
    std::vector<uint32_t> px(4 * 2);
    for (int i = 0; i < 8; i++)
        px[i] = 0x010101u * (i + 1);
    FrameSlot slot;
    CopyToSlot(slot, Page(px, 4, 2));
    slot.DstX = 2;
    slot.DstY = 1;
    std::vector<uint32_t> screen(8 * 4, 0xDEADu);
    ComposeFrame(slot, screen.data(), 8, 4);
    EXPECT_EQ(screen[0], 0u);             // around the picture: black
    EXPECT_EQ(screen[1 * 8 + 2], px[0]);  // its top-left corner
    EXPECT_EQ(screen[2 * 8 + 5], px[7]);  // its bottom-right corner
    EXPECT_EQ(screen[3 * 8 + 5], 0u);

    // Stretched to twice the size: every pixel becomes a 2 x 2 block.
    slot.DstX = slot.DstY = 0;
    slot.DstW = 8;
    slot.DstH = 4;
    ComposeFrame(slot, screen.data(), 8, 4);
    EXPECT_EQ(screen[0], px[0]);
    EXPECT_EQ(screen[1 * 8 + 1], px[0]);
    EXPECT_EQ(screen[3 * 8 + 7], px[7]);

    // Hanging off the top-left: only what is on the screen is drawn.
    slot.DstX = -3;
    slot.DstY = -1;
    slot.DstW = 4;
    slot.DstH = 2;
    ComposeFrame(slot, screen.data(), 8, 4);
    EXPECT_EQ(screen[0], px[7]);
    EXPECT_EQ(screen[1], 0u);
}

TEST(Mailbox, TheLatestFrameWins)
{
    FrameMailbox box;
    EXPECT_EQ(MailboxTake(box), nullptr);
    std::vector<uint32_t> px(16);
    for (uint32_t v = 1; v <= 3; v++) {
        std::fill(px.begin(), px.end(), v);
        MailboxPost(box, Page(px, 4, 4));
    }
    const FrameSlot *slot = MailboxTake(box);
    ASSERT_NE(slot, nullptr);
    EXPECT_EQ(slot->Pixels[0], 3u);
    EXPECT_EQ(slot->Serial, 3u);
    EXPECT_EQ(MailboxTake(box), nullptr); // nothing new
    std::fill(px.begin(), px.end(), 4u);
    MailboxPost(box, Page(px, 4, 4));
    slot = MailboxTake(box);
    ASSERT_NE(slot, nullptr);
    EXPECT_EQ(slot->Pixels[15], 4u);
}

TEST(Mailbox, AReaderNeverSeesAHalfWrittenFrame)
{
    FrameMailbox box;
    std::atomic<bool> done{false};
    std::thread writer([&] {
        std::vector<uint32_t> px(400 * 300);
        for (uint32_t v = 1; v <= 400; v++) {
            std::fill(px.begin(), px.end(), v);
            MailboxPost(box, Page(px, 400, 300));
        }
        done = true;
    });
    uint64_t last = 0;
    int taken = 0;
    for (;;) {
        const bool finished = done.load();
        const FrameSlot *slot = MailboxTake(box);
        if (slot) {
            taken++;
            EXPECT_GT(slot->Serial, last);
            last = slot->Serial;
            const uint32_t v = slot->Pixels[0];
            EXPECT_EQ(v, slot->Serial);
            EXPECT_EQ(slot->Pixels[400 * 300 - 1], v);
            EXPECT_EQ(slot->Pixels[200 * 400 + 17], v);
        }
        if (finished && !slot)
            break;
    }
    writer.join();
    EXPECT_EQ(last, 400u); // the newest frame always arrives
    EXPECT_GT(taken, 0);
}

} // namespace
