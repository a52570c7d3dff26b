// Raw and PCX loaders: conversions, short and missing files, PCX run-length
// decoding across rows, padding, and refusal of malformed or oversized files.
#include "zentrix.h"

#include "TestFiles.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <vector>

#include <sys/stat.h>

TEST(RawLoaders, ConvertTwentyFourBitPixels)
{
    const std::string two = WriteScratch("two.raw", {0xFF, 0x80, 0x08, 0x00, 0x00, 0xFF});
    uint16_t p16[2] = {};
    LoadRaw24(two.c_str(), 2, 1, p16);
    EXPECT_EQ(p16[0], 0xFC01);
    EXPECT_EQ(p16[1], 0x001F);
    uint32_t p32[2] = {};
    LoadRaw32(two.c_str(), 2, 1, p32);
    EXPECT_EQ(p32[0], 0xFF8008u);
    EXPECT_EQ(p32[1], 0x0000FFu);
    uint8_t p24[6] = {};
    LoadRaw24_24(two.c_str(), 2, 1, p24);
    EXPECT_EQ(p24[0], 0xFF);
    EXPECT_EQ(p24[5], 0xFF);
    uint8_t p8[6] = {};
    LoadRaw(two.c_str(), 3, 2, p8);
    EXPECT_EQ(p8[1], 0x80);
    EXPECT_EQ(p8[4], 0x00);
}

TEST(RawLoaders, ShortAndMissingFilesKeepTheRestOfTheDestination)
{
    const std::string shortRaw = WriteScratch("short.raw", {1, 2, 3, 4, 5}); // one whole pixel and two bytes
    uint32_t p32[3] = {7, 7, 7};
    LoadRaw32(shortRaw.c_str(), 3, 1, p32);
    EXPECT_EQ(p32[0], 0x010203u);
    EXPECT_EQ(p32[1], 7u);
    EXPECT_EQ(p32[2], 7u);
    uint16_t p16[2] = {9, 9};
    LoadRaw24(shortRaw.c_str(), 2, 1, p16);
    EXPECT_EQ(p16[1], 9);
    uint8_t p8[8] = {9, 9, 9, 9, 9, 9, 9, 9};
    LoadRaw(shortRaw.c_str(), 8, 1, p8);
    EXPECT_EQ(p8[4], 5);
    EXPECT_EQ(p8[5], 9);

    LoadRaw32(WriteScratch("empty.raw", {}).c_str(), 3, 1, p32);
    EXPECT_EQ(p32[0], 0x010203u);
    const std::string missing = ScratchDir() + "/missing.raw";
    uint8_t untouched[4] = {1, 2, 3, 4};
    LoadRaw(missing.c_str(), 4, 1, untouched);
    LoadRaw24_24(missing.c_str(), 1, 1, untouched);
    EXPECT_EQ(untouched[3], 4);
    LoadRaw32(missing.c_str(), 1, 1, p32);
    EXPECT_EQ(p32[0], 0x010203u);

    // A longer file fills exactly the size asked for.
    const std::string longRaw = WriteScratch("long.raw", std::vector<uint8_t>(100, 0xEE));
    uint8_t fence[4] = {0, 0, 0, 0x55};
    LoadRaw(longRaw.c_str(), 3, 1, fence);
    EXPECT_EQ(fence[2], 0xEE);
    EXPECT_EQ(fence[3], 0x55);
    // Absurd sizes and null destinations do nothing.
    LoadRaw32(longRaw.c_str(), 0xFFFFFFFFu, 0xFFFFFFFFu, p32);
    LoadRaw(longRaw.c_str(), 4, 1, nullptr);
    p16[0] = 0x4321;
    LoadRaw24(longRaw.c_str(), 0, 5, p16);
    EXPECT_EQ(p16[0], 0x4321);
}

TEST(PcxLoader, DecodesRunsAcrossRowsAndSkipsPadding)
{
    // 3 x 2 image, BytesPerLine 4 (one padding byte a row, here 6). Runs
    // stop at row ends in one file and straddle them in the other.
    const std::vector<uint8_t> atEnds = {0xC3, 5, 6, 0xC2, 6, 7, 0xC1, 0xC1};
    const std::vector<uint8_t> across = {0xC3, 5, 0xC3, 6, 7, 0xC1, 0xC1};
    uint32_t a[6] = {}, b[6] = {};
    ASSERT_EQ(LoadPCX24(WriteScratch("ends.pcx", MakePcx(10, 20, 12, 21, 4, atEnds)).c_str(), a, 6), 1u);
    ASSERT_EQ(LoadPCX24(WriteScratch("across.pcx", MakePcx(10, 20, 12, 21, 4, across)).c_str(), b, 6), 1u);
    const uint32_t want[6] = {PcxTestColour(5), PcxTestColour(5), PcxTestColour(5),
                              PcxTestColour(6), PcxTestColour(6), PcxTestColour(7)};
    for (int i = 0; i < 6; i++) {
        EXPECT_EQ(a[i], want[i]) << i;
        EXPECT_EQ(b[i], want[i]) << i;
    }
}

TEST(PcxLoader, PaddedRowsOf319Pixels)
{
    std::vector<uint8_t> stream;
    for (int row = 0; row < 2; row++)
        for (int i = 0; i < 320; i++) {
            const uint8_t v = uint8_t(i < 319 ? (row * 50 + i % 40) : 0xBB); // the padding byte
            stream.push_back(0xC1);
            stream.push_back(v);
        }
    std::vector<uint32_t> px(319 * 2 + 1, 0xDEADBEEF);
    ASSERT_EQ(LoadPCX24(WriteScratch("w319.pcx", MakePcx(0, 0, 318, 1, 320, stream)).c_str(), px.data(), 319 * 2), 1u);
    EXPECT_EQ(px[318], PcxTestColour(318 % 40));
    EXPECT_EQ(px[319], PcxTestColour(50));
    EXPECT_EQ(px[319 * 2 - 1], PcxTestColour(uint8_t(50 + 318 % 40)));
    EXPECT_EQ(px[319 * 2], 0xDEADBEEFu); // nothing past width x height
}

TEST(PcxLoader, RefusesWhatItCannotDecodeSafely)
{
    const std::vector<uint8_t> ok = {1, 2, 3, 4};
    struct Case {
        const char *name;
        std::vector<uint8_t> file;
    };
    std::vector<uint8_t> truncatedPalette = MakePcx(0, 0, 1, 1, 2, ok);
    truncatedPalette.resize(truncatedPalette.size() - 10);
    const Case cases[] = {
        {"header only", std::vector<uint8_t>(100, 0)},
        {"narrow lines", MakePcx(0, 0, 3, 0, 2, ok)},            // BytesPerLine < width
        {"no planes", MakePcx(0, 0, 1, 1, 2, ok, 0)},
        {"negative width", MakePcx(5, 0, 1, 1, 2, ok)},
        {"negative height", MakePcx(0, 5, 1, 1, 2, ok)},
        {"negative line", MakePcx(0, 0, 1, 1, -2, ok)},
        {"data runs out", MakePcx(0, 0, 1, 3, 2, {1, 2, 0xC3}, 1, false)},
        {"no palette", MakePcx(0, 0, 1, 1, 2, ok, 1, false)},
        {"short palette", truncatedPalette},
        {"too big", MakePcx(-32768, -32768, 32767, 32767, 32767, ok)},
    };
    for (const Case &c : cases) {
        uint32_t dest[16];
        std::fill(std::begin(dest), std::end(dest), 0x5A5A5A5Au);
        EXPECT_EQ(LoadPCX24(WriteScratch("bad.pcx", c.file).c_str(), dest, 16), 0u) << c.name;
        for (uint32_t d : dest)
            ASSERT_EQ(d, 0x5A5A5A5Au) << c.name;
    }
    // Larger than the caller's buffer: refused, nothing written.
    const std::string four = WriteScratch("four.pcx", MakePcx(0, 0, 1, 1, 2, ok));
    uint32_t three[4] = {1, 1, 1, 1};
    EXPECT_EQ(LoadPCX24(four.c_str(), three, 3), 0u);
    EXPECT_EQ(three[0], 1u);
    EXPECT_EQ(LoadPCX24(four.c_str(), three, 4), 1u);
    EXPECT_EQ(three[3], PcxTestColour(4));
    EXPECT_EQ(LoadPCX24(four.c_str(), nullptr, 4), 0u);
    EXPECT_EQ(LoadPCX24((ScratchDir() + "/missing.pcx").c_str(), three, 4), 0u);
}

TEST(PcxLoader, OvershootingRunIsDroppedAndPaletteFoundByDecoding)
{
    // 2 x 1: one run of 5 overshoots the only row; the palette follows it.
    uint32_t px[3] = {0, 0, 0x77};
    ASSERT_EQ(LoadPCX24(WriteScratch("over.pcx", MakePcx(0, 0, 1, 0, 2, {0xC5, 9})).c_str(), px, 2), 1u);
    EXPECT_EQ(px[0], PcxTestColour(9));
    EXPECT_EQ(px[1], PcxTestColour(9));
    EXPECT_EQ(px[2], 0x77u);
    // Zero-length runs write nothing but keep the stream going.
    ASSERT_EQ(LoadPCX24(WriteScratch("zero.pcx", MakePcx(0, 0, 1, 0, 2, {0xC0, 3, 4, 5})).c_str(), px, 2), 1u);
    EXPECT_EQ(px[0], PcxTestColour(4));
    EXPECT_EQ(px[1], PcxTestColour(5));
}

// A FIFO, a device or a folder in place of a data file is refused like a
// missing file, at once (an open of a FIFO would wait for a writer for ever).
TEST(RawLoaders, WhatIsNotARegularFileIsRefusedLikeAMissingOne)
{
    const std::string folder = ScratchDir() + "/folder.raw";
    std::filesystem::create_directories(folder);
#ifdef _WIN32
    const std::string names[] = {"NUL", folder};
#else
    const std::string fifo = ScratchDir() + "/fifo.raw", zero = ScratchDir() + "/zero.raw";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    ASSERT_EQ(symlink("/dev/zero", zero.c_str()), 0);
    const std::string names[] = {fifo, zero, folder};
#endif
    EXPECT_EQ(ZentrixIsRegularFile(WriteScratch("plain.raw", {1}).c_str()), 1);
    for (const std::string &name : names) {
        EXPECT_EQ(ZentrixIsRegularFile(name.c_str()), 0) << name;
        uint32_t p32[4] = {7, 7, 7, 7};
        LoadRaw32(name.c_str(), 2, 2, p32);
        EXPECT_EQ(p32[3], 7u) << name;
        EXPECT_EQ(LoadPCX24(name.c_str(), p32, 4), 0u) << name;
    }
#ifndef _WIN32
    std::remove(fifo.c_str());
    std::remove(zero.c_str());
#endif
}
