// The 2D data files: each written at the exact size its reader takes, each
// PCX decoding through the library loader to its intended size, the warp
// table in range, and the same bytes on every run.
#include "Datagen.h"
#include "zentrix.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>

namespace {

namespace fs = std::filesystem;

struct RawFile {
    const char *name;
    size_t bytes;
};

// Sizes as the modules read them (width x height x bytes a pixel).
const RawFile kRawFiles[] = {
    {"Numbers.raw", 90 * 12 * 3},
};

struct PcxFile {
    const char *name;
    int width, height;
};

const PcxFile kPcxFiles[] = {
    {"Testing.pcx", 400, 308},
};

bool (*const kGenerators[])(const std::string &) = {GenerateTestCard, GenerateNumbers};

std::vector<uint8_t> ReadAll(const fs::path &path)
{
    std::ifstream f(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
}

// Generates every file once per test program into a fresh folder.
class ArtFiles : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        dir_ = fs::temp_directory_path() / ("datagen_art_" + std::to_string(::getpid()));
        fs::remove_all(dir_);
        fs::create_directories(dir_);
        ok_ = true;
        for (auto generate : kGenerators)
            ok_ = generate(dir_.string()) && ok_;
    }
    static void TearDownTestSuite() { fs::remove_all(dir_); }

    static fs::path dir_;
    static bool ok_;
};

fs::path ArtFiles::dir_;
bool ArtFiles::ok_ = false;

} // namespace

TEST_F(ArtFiles, EveryRawFileHasTheSizeItsReaderTakes)
{
    ASSERT_TRUE(ok_);
    for (const RawFile &f : kRawFiles) {
        std::error_code ec;
        EXPECT_EQ(fs::file_size(dir_ / f.name, ec), f.bytes) << f.name;
        EXPECT_FALSE(ec) << f.name;
    }
}

TEST_F(ArtFiles, EveryPcxDecodesThroughTheLoaderToItsSize)
{
    ASSERT_TRUE(ok_);
    for (const PcxFile &f : kPcxFiles) {
        const size_t n = size_t(f.width) * size_t(f.height);
        std::vector<uint32_t> pixels(n);
        const std::string path = (dir_ / f.name).string();
        // Exactly the intended size fits; one pixel less is refused.
        EXPECT_EQ(LoadPCX24(path.c_str(), pixels.data(), uint32_t(n)), 1u) << f.name;
        EXPECT_EQ(LoadPCX24(path.c_str(), pixels.data(), uint32_t(n - 1)), 0u) << f.name;
    }
}

TEST_F(ArtFiles, TestCardFramesExactlyTheVisibleRows)
{
    ASSERT_TRUE(ok_);
    std::vector<uint32_t> card(400 * 308);
    ASSERT_EQ(LoadPCX24((dir_ / "Testing.pcx").string().c_str(), card.data(), uint32_t(card.size())), 1u);
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

TEST_F(ArtFiles, DigitsSitOnTheTransparentColour)
{
    ASSERT_TRUE(ok_);
    const std::vector<uint8_t> raw = ReadAll(dir_ / "Numbers.raw");
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

TEST_F(ArtFiles, SameBytesOnEveryRun)
{
    ASSERT_TRUE(ok_);
    const fs::path again = dir_ / "again";
    fs::create_directories(again);
    for (auto generate : kGenerators)
        ASSERT_TRUE(generate(again.string()));
    int compared = 0;
    for (const auto &entry : fs::directory_iterator(again)) {
        EXPECT_EQ(ReadAll(entry.path()), ReadAll(dir_ / entry.path().filename())) << entry.path().filename();
        ++compared;
    }
    EXPECT_EQ(compared, int(std::size(kRawFiles) + std::size(kPcxFiles)));
}
