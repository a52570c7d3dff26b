// The pixel packing helpers and the saturating 5-6-5 add.
#include "Pixels.h"

#include <gtest/gtest.h>

using namespace zentrix;

TEST(Pixels, AddColor16MatchesPerChannelAddEverywhere)
{
    for (uint32_t a = 0; a < 0x10000; a += 37)
        for (uint32_t b = 0; b < 0x10000; b += 41) {
            const uint32_t r = std::min((a & 0xF800) + (b & 0xF800), 0xF800u);
            const uint32_t g = std::min((a & 0x07E0) + (b & 0x07E0), 0x07E0u);
            const uint32_t bl = std::min((a & 0x001F) + (b & 0x001F), 0x001Fu);
            ASSERT_EQ(AddColor16(a, b), r + g + bl) << a << " + " << b;
        }
}

// Widening 5-6-5 and narrowing back gives every value again, full scale
// widens to full scale, and an out-of-range channel spills (as callers rely
// on); the byte adds saturate.
TEST(Pixels, ConversionsRoundTripAndBytesSaturate)
{
    EXPECT_EQ(Pack32(0, 256, 0), 0x010000u);
    EXPECT_EQ(Rgb16To32(0xFFFF), 0xFFFFFFu);
    for (uint32_t p = 0; p < 0x10000; p++)
        ASSERT_EQ(Xrgb32To16(Rgb16To32(uint16_t(p))), p);
    EXPECT_EQ(AddBytes32(0xFF80FF10, 0x01900020), 0xFFFFFF30u);
    EXPECT_EQ(SubBytes32(0x00801020, 0x01900010), 0x00001010u);
}
