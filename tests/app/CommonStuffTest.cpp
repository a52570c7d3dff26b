// File helpers (raw loaders, palette flips, text helpers) and the screenshot
// writer.
#include "CommonStuff.h"

#include "TestFiles.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

struct DataFolder : ::testing::Test {
    TempFolder Dir;
    void SetUp() override
    {
        ASSERT_FALSE(Dir.Path.empty());
        ZentrixSetDataFolder(Dir.Path.c_str());
    }
    void TearDown() override { ZentrixSetDataFolder(nullptr); }
};

TEST(TextHelpers, AddStrCutsWhatDoesNotFit)
{
    EXPECT_EQ(AddStr("Data\\", "Water.raw"), szBuffer);
    EXPECT_STREQ(szBuffer, "Data\\Water.raw");
    // Results longer than the buffer are cut, never overflow it.
    const std::string a(200, 'a'), b(200, 'b');
    AddStr(a.c_str(), b.c_str());
    EXPECT_EQ(std::strlen(szBuffer), sizeof(szBuffer) - 1);
    EXPECT_EQ(szBuffer[199], 'a');
    EXPECT_EQ(szBuffer[200], 'b');
}

TEST_F(DataFolder, LoadFileRawReadsUpToTheAreaAndKeepsTheRest)
{
    std::vector<uint8_t> file(14000);
    for (size_t i = 0; i < file.size(); i++)
        file[i] = uint8_t(i * 7);
    WriteBytes(Dir.File("Water.raw"), file);

    std::vector<uint8_t> target(15000, 0xEE);
    LoadFileRaw("Water.raw", 100, 150, target.data());
    EXPECT_TRUE(std::equal(file.begin(), file.end(), target.begin()));
    for (size_t i = 14000; i < target.size(); i++)
        ASSERT_EQ(target[i], 0xEE) << i;

    // A longer file fills exactly W x H bytes.
    WriteBytes(Dir.File("Long.raw"), std::vector<uint8_t>(20000, 0x11));
    std::vector<uint8_t> small(101, 0x22);
    LoadFileRaw("Long.raw", 10, 10, small.data());
    EXPECT_EQ(small[99], 0x11);
    EXPECT_EQ(small[100], 0x22);

    // A missing file leaves the target as it was.
    std::vector<uint8_t> untouched(16, 0x33);
    LoadFileRaw("Missing.raw", 4, 4, untouched.data());
    EXPECT_EQ(untouched, std::vector<uint8_t>(16, 0x33));
}

TEST_F(DataFolder, LoadFileRaw24ConvertsWithTheDivisionBySeven)
{
    WriteBytes(Dir.File("Pic.raw"), {255, 255, 255, 255, 0, 0, 0, 14, 8, 0, 6, 7});
    std::vector<uint16_t> target(4, 0x1234);
    LoadFileRaw24("Pic.raw", 2, 2, target.data());
    EXPECT_EQ(target[0], 0xFC9F);   // green field 255 / 7 = 36
    EXPECT_EQ(target[1], 0xF800);
    EXPECT_EQ(target[2], (2 << 5) | 1);
    EXPECT_EQ(target[3], 0);        // 6 / 7 = 0, 7 >> 3 = 0

    // A short file converts the whole area; missing bytes count as 0.
    WriteBytes(Dir.File("Short.raw"), {255, 255, 255});
    std::vector<uint16_t> shortTarget(3, 0x1234);
    LoadFileRaw24("Short.raw", 3, 1, shortTarget.data());
    EXPECT_EQ(shortTarget, (std::vector<uint16_t>{0xFC9F, 0, 0}));

    std::vector<uint16_t> untouched(2, 0x5555);
    LoadFileRaw24("Missing.raw", 2, 1, untouched.data());
    EXPECT_EQ(untouched, std::vector<uint16_t>(2, 0x5555));
}

TEST(Flip, EveryPagePixelThroughThePalette)
{
    defZENTRIXPAGE page{};
    ASSERT_TRUE(CreateGFXPage(&page, 400, 308, 32));
    auto *pixels = static_cast<uint32_t *>(page.pPageData);
    // One guard pixel past the page shows FlipD writes exactly 123200.
    std::vector<int16_t> indices(123200 + 1);
    for (size_t i = 0; i < indices.size(); i++)
        indices[i] = int16_t(i % 3 == 0 ? -1 : int(i % 3));   // -1 is index 65535
    std::vector<uint32_t> palette(65536, 0);
    palette[1] = 0x010203;
    palette[2] = 0x040506;
    palette[65535] = 0xABCDEF;
    FlipD(indices.data(), palette.data(), &page);
    size_t matching = 0;
    for (size_t i = 0; i < 123200; i++)
        matching += pixels[i] == palette[uint16_t(indices[i])];
    EXPECT_EQ(matching, 123200u);
    DeleteGFXPage(&page);

    // A 16-bit page has no room for 32-bit pixels: FlipD leaves it alone.
    defZENTRIXPAGE page16{};
    ASSERT_TRUE(CreateGFXPage(&page16, 4, 2, 16));
    std::memset(page16.pPageData, 0x5A, 16);
    FlipD(indices.data(), palette.data(), &page16);
    EXPECT_EQ(static_cast<uint8_t *>(page16.pPageData)[15], 0x5A);
    DeleteGFXPage(&page16);
}

// Runs in a temporary working directory, since the name is always Saved.bmp.
struct SaveBitmapTest : ::testing::Test {
    TempFolder Dir;
    std::string OldDir;
    defZENTRIXPAGE Page{};
    void SetUp() override
    {
        OldDir = std::filesystem::current_path().string();
        std::filesystem::current_path(Dir.Path);
        ASSERT_TRUE(CreateGFXPage(&Page, 400, 308, 32));
    }
    void TearDown() override
    {
        DeleteGFXPage(&Page);
        std::filesystem::current_path(OldDir);
    }
};

TEST_F(SaveBitmapTest, WritesATopDown24BitBitmap)
{
    auto *pixels = static_cast<uint32_t *>(Page.pPageData);
    for (int i = 0; i < 400 * 308; i++)
        pixels[i] = 0x00010203u * uint32_t(i % 50);
    pixels[0] = 0x00123456;
    pixels[400 * 307 + 399] = 0x00ABCDEF;

    EXPECT_EQ(SaveBitmap(&Page, ""), 1);
    const std::vector<uint8_t> f = ReadBytes("Saved.bmp");
    ASSERT_EQ(f.size(), 369654u);
    auto u32 = [&](size_t o) { return uint32_t(f[o] | f[o + 1] << 8 | f[o + 2] << 16 | uint32_t(f[o + 3]) << 24); };
    auto u16 = [&](size_t o) { return uint16_t(f[o] | f[o + 1] << 8); };
    // Header fields: offset, size in bytes, value.
    const struct {
        size_t At, Size;
        uint32_t Value;
    } header[] = {
        {0, 2, 0x4D42}, {2, 4, 369654}, {6, 4, 0},  {10, 4, 54}, {14, 4, 40},   {18, 4, 400},  {22, 4, uint32_t(-308)},
        {26, 2, 1},     {28, 2, 24},    {30, 4, 0}, {34, 4, 0},  {38, 4, 1024}, {42, 4, 1024}, {46, 4, 0}, {50, 4, 0},
    };
    for (const auto &h : header)
        EXPECT_EQ(h.Size == 2 ? u16(h.At) : u32(h.At), h.Value) << "offset " << h.At;
    // Top row first, blue-green-red.
    EXPECT_EQ(f[54], 0x56);
    EXPECT_EQ(f[55], 0x34);
    EXPECT_EQ(f[56], 0x12);
    EXPECT_EQ(f[369651], 0xEF);
    EXPECT_EQ(f[369653], 0xAB);
    const size_t p = 54 + (1 * 400 + 7) * 3;   // pixel (7, 1) = index 407
    EXPECT_EQ(f[p], 7 * 3);
    EXPECT_EQ(f[p + 2], 7 * 1);
    EXPECT_FALSE(std::filesystem::exists("Saved.bmp.part"));

    // An existing longer file is replaced by the new picture.
    WriteBytes("Saved.bmp", std::vector<uint8_t>(500000, 1));
    EXPECT_EQ(SaveBitmap(&Page, nullptr), 1);
    EXPECT_EQ(std::filesystem::file_size("Saved.bmp"), 369654u);
}

TEST_F(SaveBitmapTest, FailuresReturnZeroAndKeepTheOldFile)
{
    WriteBytes("Saved.bmp", {1, 2, 3});
    // Writes that fail (a full disk) are failures, not success.
    std::filesystem::create_symlink("/dev/full", "Saved.bmp.part");
    EXPECT_EQ(SaveBitmap(&Page, ""), 0);
    EXPECT_EQ(ReadBytes("Saved.bmp"), (std::vector<uint8_t>{1, 2, 3}));
    std::filesystem::remove("Saved.bmp.part");

    // A file that can't be opened.
    std::filesystem::create_directory("Saved.bmp.part");
    std::filesystem::create_directory("Saved.bmp.part/keep");
    EXPECT_EQ(SaveBitmap(&Page, ""), 0);
    EXPECT_EQ(ReadBytes("Saved.bmp"), (std::vector<uint8_t>{1, 2, 3}));
    EXPECT_TRUE(std::filesystem::exists("Saved.bmp.part/keep"));

    // Only 32-bit pages are saved.
    defZENTRIXPAGE page16{};
    ASSERT_TRUE(CreateGFXPage(&page16, 8, 8, 16));
    EXPECT_EQ(SaveBitmap(&page16, ""), 0);
    DeleteGFXPage(&page16);
    EXPECT_EQ(SaveBitmap(nullptr, ""), 0);
}

} // namespace
