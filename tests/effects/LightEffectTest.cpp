// Light lines: where a shaft falls and how bright, lights anywhere, the
// lines file reader on good, bad and missing files.
#include "Gen32.h"
#include "LenzFlare.h"
#include "LightEffect.h"
#include "PageFixture.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

namespace {

TEST(LightLine, ShaftFallsAwayFromTheLightAtMostHalfTheColour)
{
    LibraryPage p;
    DrawLine(150, 150, 250, 150, 200, 90, 255, 128, 64, &p.page);
    EXPECT_EQ(p.At(200, 140), 0u);   // between light and segment: dark
    const uint32_t c = p.At(200, 155);
    EXPECT_NE(c, 0u);
    EXPECT_LE((c >> 16) & 0xFF, 255u * 31 / 63);
    EXPECT_LE((c >> 8) & 0xFF, 128u * 31 / 63);
    EXPECT_GT((c >> 16) & 0xFF, (c >> 8) & 0xFF);
    // It fades out with distance behind the segment.
    const uint32_t far = p.At(200, 175);
    EXPECT_LT((far >> 16) & 0xFF, (c >> 16) & 0xFF);
}

TEST(LightLine, LightAnywhereDrawsOnlyInsideThePage)
{
    LibraryPage p;
    const long far[] = {-2147483647L, -100000, -401, 0, 399, 5000, 2147483647L, 9000000000000000000L};
    for (long lx : far)
        for (long ly : far) {
            DrawLine(-300, -300, 700, 600, lx, ly, 255, 255, 255, &p.page);
            DrawLine(1, 1, 398, 306, lx, ly, 255, 255, 255, &p.page);
            DrawLine(-2000000000L, 5, 9000000000L, 5, lx, ly, 255, 255, 255, &p.page);
        }
    SUCCEED();   // the sanitizer builds check the writes
}

class LinesFile : public ::testing::Test {
protected:
    std::string dir;
    void SetUp() override
    {
        char tmpl[] = "/tmp/veltrane-lines-XXXXXX";
        ASSERT_NE(mkdtemp(tmpl), nullptr);
        dir = tmpl;
        FreeLightMemory();
    }
    void TearDown() override
    {
        std::remove((dir + "/lines.txt").c_str());
        rmdir(dir.c_str());
        FreeLightMemory();
    }
    void Write(const std::string &text)
    {
        std::FILE *f = std::fopen((dir + "/lines.txt").c_str(), "w");
        ASSERT_NE(f, nullptr);
        std::fputs(text.c_str(), f);
        std::fclose(f);
    }
    void Load() { LoadLines((dir + "/lines.txt").c_str()); }
};

// What a file leaves: the number of segments, the first one's x1 and blue
// byte, the second one's x1 (fractions of the page; colours' low bytes).
TEST_F(LinesFile, GoodBadAndOddFiles)
{
    const std::string good = "0.5\t0.5\t0.6\t0.6\t1\t1\t1\n";
    const struct {
        std::string text;
        int count;
        int x1, b, secondX1;
    } cases[] = {
        {"2\n0.5\t0.25\t1.0\t0.999\t255\t128\t300\n0.1 0.2 0.3 0.4 1 2 3\n", 2, 200, 300 & 0xFF, 40},
        // Bad counts cost nothing and keep what was read.
        {"-5\n" + good, 0, 0, 0, 0},
        {"2000000000\n" + good + "0.1\t0.1\t0.2\t0.2\t1\t1\t1\n", 2, 200, 1, 40},
        {"99999999999999999999999\n" + good, 1, 200, 1, 0},
        {"three\n" + good, 0, 0, 0, 0},
        // A short or malformed record ends the list, keeping earlier ones.
        {"4\n" + good + "0.1\t0.1\t0.2\n0.7\t0.7\t0.8\t0.8\t1\t1\t1\n", 1, 200, 1, 0},
        {"3\n" + good + "nan\t0.5\t0.6\t0.6\t1\t1\t1\n", 1, 200, 1, 0},
        {"3\n" + good + std::string(5000, 'x') + "\n" + good, 1, 200, 1, 0},
        // Any run of white space separates the fields, line ends included,
        // as the file's scanf patterns read it.
        {"2\n\n0.5\t0.5\t0.6\t0.6\t1\t2\t3\n0.1 0.1 0.2 0.2 4 5 6\n", 2, 200, 3, 40},
        {"2\n0.5\t0.5\t0.6\n0.6\t1\t2\t3\n0.1\t0.1\n0.2\t0.2\t4\n5\n6", 2, 200, 3, 40},
        {"2\r\n0.5 0.5 0.6 0.6 1 2 3\r\n\r\n  0.1\t 0.1  0.2 0.2 4 5 6\r\n", 2, 200, 3, 40},
        // Far coordinates are held near the page.
        {"2\n1e30\t-1e30\tinf\t-inf\t1\t1\t1\n-3.0\t4.0\t0\t0\t1\t1\t1\n", 2, LineCoordLimit, 1, -1200},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.text.substr(0, 80));
        FreeLightMemory();
        Write(c.text);
        Load();
        ASSERT_EQ(LineCount, c.count);
        if (c.count > 0) {
            EXPECT_EQ(Lines[0].x1, c.x1);
            EXPECT_EQ(Lines[0].b, c.b);
        }
        if (c.count > 1) {
            EXPECT_EQ(Lines[1].x1, c.secondX1);
        }
    }
    // The other fields of the first and last files.
    Write(cases[0].text);
    Load();
    EXPECT_EQ(Lines[0].y1, 77);
    EXPECT_EQ(Lines[0].x2, 400);
    EXPECT_EQ(Lines[0].y2, 307);
    EXPECT_EQ(Lines[1].y2, 123);
    Write(cases[11].text);
    Load();
    EXPECT_EQ(Lines[0].y1, -LineCoordLimit);
    EXPECT_EQ(Lines[0].x2, LineCoordLimit);
    EXPECT_EQ(Lines[1].y1, 1232);
}

// A missing file, or what is not a regular file (a FIFO would block the
// open; /dev/zero would never end), changes nothing.
TEST_F(LinesFile, MissingFilesFifosAndDevicesChangeNothing)
{
    Write("1\n0.5\t0.5\t0.6\t0.6\t1\t1\t1\n");
    Load();
    ASSERT_EQ(LineCount, 1);
    const std::string fifo = dir + "/fifo.txt", zero = dir + "/zero.txt";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    ASSERT_EQ(symlink("/dev/zero", zero.c_str()), 0);
    for (const std::string &name : {fifo, zero, dir, dir + "/absent.txt"}) {
        LoadLines(name.c_str());
        EXPECT_EQ(LineCount, 1) << name;
    }
    LoadLines(nullptr);
    EXPECT_EQ(LineCount, 1);
    std::remove(fifo.c_str());
    std::remove(zero.c_str());
}

TEST_F(LinesFile, LightOffThePageDrawsNoFlareButStillCastsShafts)
{
    AllocateLenzMemory();
    for (TLENZ &l : LenzPic) {
        l.Data.Width = l.Data.Height = 1;
        ASSERT_NE(AllocSprite32(&l.Data), 0u);
        *static_cast<uint32_t *>(l.Data.pSpriteData) = 0x00010101;
    }
    Write("1\n0.05\t0.4\t0.05\t0.6\t255\t255\t255\n");
    Load();
    LibraryPage p;
    Lightlx = -20, Lightly = 154;
    DoLightEffect(nullptr, nullptr, 1, &p.page);
    EXPECT_EQ(p.At(178, 154), 0u);   // where the Size -1 glow would be
    EXPECT_NE(p.At(30, 154), 0u);    // the shaft
    Lightlx = -10;
    DoLightEffect(nullptr, nullptr, 1, &p.page);
    EXPECT_EQ(p.At(179, 154), 0x00010101u);
    FreeLenzMemory();
}

} // namespace
