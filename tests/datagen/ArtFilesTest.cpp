// The 2D data files: each written at the exact size its reader takes, each
// PCX decoding through the library loader to its intended size, the warp
// table in range, and the same bytes on every run.
#include "Datagen.h"
#include "zentrix.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

struct RawFile {
    const char *name;
    size_t bytes;
};

// Sizes as the modules read them (width x height x bytes a pixel).
const RawFile kRawFiles[] = {
    {"Numbers.raw", 90 * 12 * 3},         {"TitleMain.raw", 320 * 240 * 3},  {"TitleLight.raw", 320 * 240 * 3},
    {"Water.raw", 100 * 150},             {"WaterPal.raw", 256 * 3},         {"Land.raw", 64 * 16 * 3},
    {"Clouds.raw", 64 * 16 * 3},          {"ReflectClouds.raw", 64 * 16 * 3}, {"Bumpy.raw", 400 * 308},
    {"Lenz-1.raw", 70 * 70 * 3},          {"Lenz1.raw", 15 * 15 * 3},        {"Lenz2.raw", 67 * 67 * 3},
    {"Lenz3.raw", 48 * 48 * 3},           {"Lenz4.raw", 23 * 23 * 3},        {"Lenz5.raw", 21 * 21 * 3},
    {"Lenz6.raw", 13 * 13 * 3},           {"Lenz7.raw", 59 * 59 * 3},        {"Lenz8.raw", 79 * 79 * 3},
    {"Lenz9.raw", 159 * 159 * 3},         {"SplotPalette.raw", 256 * 3},     {"LightStream.raw", 100 * 100 * 3},
    {"OfsTable.pts", 1600 * 308},         {"Sprite.raw", 10 * 10 * 3},
};

struct PcxFile {
    const char *name;
    int width, height;
};

const PcxFile kPcxFiles[] = {
    {"Testing.pcx", 400, 308},  {"KestrunTitle.pcx", 400, 125},     {"LenzMain.pcx", 250, 250},
    {"LenzRed.pcx", 250, 250},  {"LenzGreen.pcx", 250, 250},        {"LenzBlue.pcx", 250, 250},
    {"NewGreetz.pcx", 300, 800}, {"WaterBackground.pcx", 640, 480},
};

bool (*const kGenerators[])(const std::string &) = {
    GenerateTestCard, GenerateNumbers, GenerateWater, GenerateLandTables, GenerateLights,
    GenerateLenz,     GenerateWarp,    GenerateBumpy, GenerateTitle,      GenerateGreetz,
};

int32_t Le32(const std::vector<uint8_t> &b, size_t i)
{
    return int32_t(uint32_t(b[i]) | uint32_t(b[i + 1]) << 8 | uint32_t(b[i + 2]) << 16 | uint32_t(b[i + 3]) << 24);
}

std::vector<uint8_t> ReadAll(const fs::path &path)
{
    std::ifstream f(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
}

} // namespace

// Every file generated once into a fresh folder, then each family checked.
TEST(ArtFiles, WrittenAsTheirReadersTakeThem)
{
    const fs::path dir = fs::temp_directory_path() / ("datagen_art_" + std::to_string(::getpid()));
    fs::remove_all(dir);
    fs::create_directories(dir);
    const struct Removal {
        fs::path Path;
        ~Removal() { fs::remove_all(Path); }
    } removal{dir};
    for (auto generate : kGenerators)
        ASSERT_TRUE(generate(dir.string()));

    {
        SCOPED_TRACE("EveryRawFileHasTheSizeItsReaderTakes");
        for (const RawFile &f : kRawFiles) {
            std::error_code ec;
            EXPECT_EQ(fs::file_size(dir / f.name, ec), f.bytes) << f.name;
            EXPECT_FALSE(ec) << f.name;
        }
    }

    {
        SCOPED_TRACE("EveryPcxDecodesThroughTheLoaderToItsSize");
        for (const PcxFile &f : kPcxFiles) {
            const size_t n = size_t(f.width) * size_t(f.height);
            std::vector<uint32_t> pixels(n);
            const std::string path = (dir / f.name).string();
            // Exactly the intended size fits; one pixel less is refused.
            EXPECT_EQ(LoadPCX24(path.c_str(), pixels.data(), uint32_t(n)), 1u) << f.name;
            EXPECT_EQ(LoadPCX24(path.c_str(), pixels.data(), uint32_t(n - 1)), 0u) << f.name;
        }
    }

    {
        SCOPED_TRACE("TestCardFramesExactlyTheVisibleRows");
        std::vector<uint32_t> card(400 * 308);
        ASSERT_EQ(LoadPCX24((dir / "Testing.pcx").string().c_str(), card.data(), uint32_t(card.size())), 1u);
        for (int x = 0; x < 400; ++x) {
            EXPECT_EQ(card[size_t(x)], 0x00FF00u) << x;
            EXPECT_EQ(card[size_t(299 * 400 + x)], 0x00FF00u) << x;
            EXPECT_NE(card[size_t(300 * 400 + x)], 0x00FF00u) << x;
        }
        for (int y = 0; y < 300; ++y) {
            EXPECT_EQ(card[size_t(y * 400)], 0x00FF00u) << y;
            EXPECT_EQ(card[size_t(y * 400 + 399)], 0x00FF00u) << y;
        }
    }

    {
        SCOPED_TRACE("DigitsSitOnTheTransparentColour");
        const std::vector<uint8_t> raw = ReadAll(dir / "Numbers.raw");
        ASSERT_EQ(raw.size(), 90u * 12 * 3);
        for (int d = 0; d < 10; ++d) {
            int ink = 0, key = 0;
            for (int y = 0; y < 12; ++y)
                for (int x = d * 9; x < d * 9 + 9; ++x) {
                    const size_t i = size_t(y * 90 + x) * 3;
                    const bool isKey = raw[i] == 0xFF && raw[i + 1] == 0 && raw[i + 2] == 0xFF;
                    key += isKey;
                    ink += !isKey && raw[i + 1] > 150;
                }
            EXPECT_GT(ink, 8) << d;
            EXPECT_GT(key, 20) << d;
        }
    }

    {
        SCOPED_TRACE("SameBytesOnEveryRun");
        const fs::path again = dir / "again";
        fs::create_directories(again);
        for (auto generate : kGenerators)
            ASSERT_TRUE(generate(again.string()));
        int compared = 0;
        for (const auto &entry : fs::directory_iterator(again)) {
            EXPECT_EQ(ReadAll(entry.path()), ReadAll(dir / entry.path().filename())) << entry.path().filename();
            ++compared;
        }
        EXPECT_EQ(compared, int(std::size(kRawFiles) + std::size(kPcxFiles)) + 1);   // and lines.txt
    }

    {
        SCOPED_TRACE("WarpStaysInsideTheBackgroundForEveryOffset");
        const std::vector<uint8_t> table = ReadAll(dir / "OfsTable.pts");
        ASSERT_EQ(table.size(), 123200u * 4);
        int32_t lo = INT32_MAX, hi = INT32_MIN;
        for (size_t k = 0; k < 123200; ++k) {
            lo = std::min(lo, Le32(table, 4 * k));
            hi = std::max(hi, Le32(table, 4 * k));
        }
        // The sequencer draws with offsets 0 to 623 added to every entry.
        EXPECT_GE(lo, 0);
        EXPECT_LT(int64_t(hi) + 623, 307200);
        // Neighbouring pixels read nearby background pixels (a smooth warp, not
        // noise). The background is read as rows of 623 pixels that tile across.
        int smooth = 0;
        for (size_t k = 0; k + 1 < 123200; ++k) {
            if (k % 400 == 399)
                continue;
            const int32_t a = Le32(table, 4 * k), b = Le32(table, 4 * k + 4);
            int du = std::abs(b % 623 - a % 623);
            du = std::min(du, 623 - du);
            smooth += du + std::abs(b / 623 - a / 623) <= 4;
        }
        EXPECT_GT(smooth, 120000);
    }

    {
        SCOPED_TRACE("LinesFileReadsInTheLightModuleFormat");
        FILE *f = std::fopen((dir / "lines.txt").string().c_str(), "r");
        ASSERT_NE(f, nullptr);
        int count = 0;
        ASSERT_EQ(std::fscanf(f, "%d\n", &count), 1);
        ASSERT_GT(count, 0);
        for (int i = 0; i < count; ++i) {
            float x1, y1, x2, y2;
            int r, g, b;
            ASSERT_EQ(std::fscanf(f, "%f\t%f\t%f\t%f\t%d\t%d\t%d\n", &x1, &y1, &x2, &y2, &r, &g, &b), 7) << i;
            for (float v : {x1, y1, x2, y2}) {
                EXPECT_GE(v, 0.0f);
                EXPECT_LE(v, 1.0f);
            }
            for (int c : {r, g, b}) {
                EXPECT_GE(c, 0);
                EXPECT_LE(c, 255);
            }
        }
        std::fclose(f);
    }

    {
        SCOPED_TRACE("AddedSpritesAreBlackAtTheirEdges");
        // Glows are added to the page: a lit border would show as a square.
        for (const RawFile &f : kRawFiles) {
            const std::string name = f.name;
            if (name.rfind("Lenz", 0) != 0 && name != "Sprite.raw")
                continue;
            const std::vector<uint8_t> raw = ReadAll(dir / f.name);
            int side = 1;
            while (size_t(side * side * 3) < raw.size())
                ++side;
            ASSERT_EQ(size_t(side * side * 3), raw.size()) << name;
            int maxEdge = 0, maxAll = 0;
            for (int y = 0; y < side; ++y)
                for (int x = 0; x < side; ++x)
                    for (int c = 0; c < 3; ++c) {
                        const int v = raw[size_t((y * side + x) * 3 + c)];
                        maxAll = std::max(maxAll, v);
                        if (x == 0 || y == 0 || x == side - 1 || y == side - 1)
                            maxEdge = std::max(maxEdge, v);
                    }
            EXPECT_LE(maxEdge, 2) << name;
            EXPECT_GE(maxAll, 24) << name;
        }
        for (const char *name : {"LenzMain.pcx", "LenzRed.pcx", "LenzGreen.pcx", "LenzBlue.pcx"}) {
            std::vector<uint32_t> px(250 * 250);
            ASSERT_EQ(LoadPCX24((dir / name).string().c_str(), px.data(), uint32_t(px.size())), 1u);
            for (int i = 0; i < 250; ++i) {
                EXPECT_EQ(px[size_t(i)], 0u) << name;
                EXPECT_EQ(px[size_t(249 * 250 + i)], 0u) << name;
            }
            EXPECT_GT(px[size_t(125 * 250 + 125)] & 0xFF, 200u) << name;   // a white-hot middle
        }
    }

    {
        SCOPED_TRACE("TitleLogoStandsOnTheTransparentColour");
        std::vector<uint32_t> px(400 * 125);
        ASSERT_EQ(LoadPCX24((dir / "KestrunTitle.pcx").string().c_str(), px.data(), uint32_t(px.size())), 1u);
        size_t key = 0;
        for (uint32_t c : px)
            key += c == 0xFF00FF;
        EXPECT_EQ(px[0], 0xFF00FFu);
        EXPECT_EQ(px.back(), 0xFF00FFu);
        EXPECT_GT(key, px.size() / 3);       // letters and a margin around them
        EXPECT_LT(key, px.size() * 9 / 10);
    }
}
