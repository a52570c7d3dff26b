// The PCX and raw writers against our own decoder and the library's loader.
#include "DgMath.h"
#include "PcxWriter.h"
#include "Quantize.h"
#include "zentrix.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>

namespace {

IndexedPicture Sample(int w, int h)
{
    IndexedPicture p;
    p.width = w;
    p.height = h;
    p.index.resize(size_t(w) * size_t(h));
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            // Long runs, runs of bytes >= 0xC0 and single high bytes.
            p.index[size_t(y * w + x)] = uint8_t(x < w / 2 ? 0xC5 + (y & 1) : (x * 37 + y) & 255);
    for (int i = 0; i < 256; ++i)
        p.SetColour(i, Rgb(i, 255 - i, (i * 7) & 255));
    return p;
}

std::string TempFile(const char *name)
{
    return (std::filesystem::temp_directory_path() / (std::string("datagen_test_") + name)).string();
}

void WriteFile(const std::string &path, const std::vector<uint8_t> &bytes)
{
    std::ofstream f(path, std::ios::binary);
    f.write(reinterpret_cast<const char *>(bytes.data()), std::streamsize(bytes.size()));
}

} // namespace

TEST(PcxWriter, RoundTripsThroughOurDecoderForOddAndEvenWidths)
{
    for (int w : {1, 2, 63, 64, 65, 127, 400}) {
        const IndexedPicture in = Sample(w, 7);
        IndexedPicture out;
        ASSERT_TRUE(DecodePcx8(EncodePcx8(in), &out)) << w;
        EXPECT_EQ(out.width, w);
        EXPECT_EQ(out.height, 7);
        EXPECT_EQ(out.index, in.index) << w;
        EXPECT_EQ(out.palette, in.palette);
    }
}

TEST(PcxWriter, DecodesThroughTheLibraryLoaderToTheSameColours)
{
    const IndexedPicture in = Sample(131, 9);
    const std::vector<uint8_t> file = EncodePcx8(in);
    EXPECT_EQ(file[66] | file[67] << 8, 132);   // rows padded to even length, as the format asks
    const std::string path = TempFile("roundtrip.pcx");
    WriteFile(path, file);
    std::vector<uint32_t> pixels(131 * 9 + 5, 0xDEADBEEF);
    ASSERT_EQ(LoadPCX24(path.c_str(), pixels.data(), uint32_t(pixels.size())), 1u);
    for (size_t i = 0; i < in.index.size(); ++i)
        ASSERT_EQ(pixels[i], in.ColourOf(in.index[i])) << i;
    EXPECT_EQ(pixels[131 * 9], 0xDEADBEEFu);    // nothing written past the image
    std::remove(path.c_str());
}

TEST(PcxWriter, Raw24IsRedGreenBlueRowsTopDown)
{
    Picture p(2, 1);
    p.px = {0xFF8008, 0x0000FF};
    EXPECT_EQ(EncodeRaw24(p), (std::vector<uint8_t>{0xFF, 0x80, 0x08, 0x00, 0x00, 0xFF}));
}

TEST(Quantize, KeepsTheTransparentColourExclusive)
{
    Picture p(64, 4);
    for (int x = 0; x < 64; ++x) {
        p.At(x, 0) = 0xFF00FF;
        p.At(x, 1) = 0xFE00FE;                       // close, but not transparent
        p.At(x, 2) = Rgb(x * 4, x * 2, 255 - x * 4);  // a gradient
        p.At(x, 3) = 0xFF00FF;
    }
    const IndexedPicture q = Quantize(p, true);
    EXPECT_EQ(q.ColourOf(0), 0xFF00FFu);
    for (int x = 0; x < 64; ++x) {
        EXPECT_EQ(q.index[size_t(x)], 0);
        EXPECT_NE(q.index[size_t(64 + x)], 0);
        EXPECT_NE(q.index[size_t(128 + x)], 0);
    }
    // A 64-step gradient fits 255 colours: every step keeps its own shade.
    for (int x = 0; x < 64; ++x) {
        const uint32_t c = q.ColourOf(q.index[size_t(128 + x)]);
        EXPECT_LE(std::abs(RedOf(c) - x * 4), 3);
        EXPECT_LE(std::abs(BlueOf(c) - (255 - x * 4)), 3);
    }
}

TEST(DgMath, SeriesAgreeWithTheLibraryWithinRounding)
{
    for (double x = -20.0; x <= 20.0; x += 0.173) {
        EXPECT_NEAR(dg::Sin(x), std::sin(x), 1e-12) << x;
        EXPECT_NEAR(dg::Cos(x), std::cos(x), 1e-12) << x;
        EXPECT_NEAR(dg::Atan2(x, 1.7), std::atan2(x, 1.7), 1e-12) << x;
    }
    for (double x = -30.0; x <= 30.0; x += 0.37)
        EXPECT_NEAR(dg::Exp(x) / std::exp(x), 1.0, 1e-13) << x;
    for (double x = 0.001; x < 1000.0; x *= 1.7)
        EXPECT_NEAR(dg::Log(x), std::log(x), 1e-12) << x;
    EXPECT_EQ(dg::Round(2.5), 3);
    EXPECT_EQ(dg::Round(-2.5), -3);
}
