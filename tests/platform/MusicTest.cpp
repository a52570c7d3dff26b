// The music clock on the headless backend: the generated module loads, its
// position follows the virtual clock, jumps are safe, failures explain
// themselves, and a whole song renders to a WAV file.
#include "PlatformInternal.h"
#include "zentrix.h"

#include <gtest/gtest.h>
#include <libopenmpt/libopenmpt.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <vector>
#include <string>

#include <unistd.h>

namespace {

class MusicClock : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(PlatInit(PLAT_HEADLESS));
        ZentrixSetDataFolder(VELTRANE_DATA_DIR);
        ASSERT_NE(FSOUND_Init(44100, 64) & 0xFF, 0);
        song = FMUSIC_LoadSong("Data\\Kestrun.it");
        ASSERT_NE(song, nullptr) << FMUSIC_Error();
    }
    void TearDown() override
    {
        FMUSIC_FreeSong(song);
        FSOUND_Close();
        PlatShutdown();
    }
    // Moves the virtual clock on by `ms` in 34 ms frames, as the demo does.
    void Play(uint32_t ms)
    {
        const uint32_t end = timeGetTime() + ms;
        while (static_cast<int32_t>(end - timeGetTime()) > 0)
            WaitForClock(std::min(end, timeGetTime() + 34));
    }
    int Position()
    {
        const int order = FMUSIC_GetOrder(song);
        return order * 100 + FMUSIC_GetRow(song);
    }
    FMUSIC_MODULE *song = nullptr;
};

TEST_F(MusicClock, CheapHeadlessMixingKeepsEveryRowOnItsSample)
{
    // The position follows the virtual clock. The headless clock mixes
    // samples nobody hears at the lowest quality; the song's position after
    // each frame must be where full-quality stereo mixing of the same
    // number of samples puts it.
    char path[4096];
    ASSERT_TRUE(ZentrixResolvePath("Data\\Kestrun.it", path, sizeof(path)));
    std::ifstream in(path, std::ios::binary);
    const std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    openmpt_module *full = openmpt_module_create_from_memory2(bytes.data(), bytes.size(), nullptr, nullptr, nullptr,
                                                              nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(full, nullptr);
    std::vector<int16_t> sink(2 * 44100);
    ASSERT_EQ(FMUSIC_PlaySong(song), 1);
    EXPECT_EQ(Position(), 0);
    const uint32_t start = timeGetTime();
    int64_t mixed = 0, rows = 0, lastRow = -1;
    for (uint32_t ms = 34; ms <= 100000; ms += 34) {
        WaitForClock(start + ms);
        const int64_t due = int64_t(timeGetTime() - start) * 44100 / 1000;
        while (mixed < due)
            mixed += int64_t(openmpt_module_read_interleaved_stereo(
                full, 44100, size_t(std::min<int64_t>(due - mixed, 44100)), sink.data()));
        const int order = FMUSIC_GetOrder(song), row = FMUSIC_GetRow(song);
        ASSERT_EQ(order, openmpt_module_get_current_order(full)) << "at " << ms << " ms";
        ASSERT_EQ(row, openmpt_module_get_current_row(full)) << "at " << ms << " ms";
        rows += order * 100 + row != lastRow;
        lastRow = order * 100 + row;
    }
    openmpt_module_destroy(full);
    EXPECT_GT(rows, 700); // the rows went by, 0.12 s each
    EXPECT_NEAR(FMUSIC_GetSeconds(song), (timeGetTime() - start) / 1000.0, 0.01);
    // Without the clock moving, the position stays where it is.
    const int here = Position();
    EXPECT_EQ(Position(), here);
    EXPECT_FALSE(FMUSIC_HasEnded(song));
}

TEST_F(MusicClock, JumpsAreHeardAtOnceAndPastTheEndAreIgnored)
{
    FMUSIC_PlaySong(song);
    Play(500);
    ASSERT_EQ(FMUSIC_SetOrder(song, 60), 1);
    EXPECT_EQ(Position(), 6000);
    Play(250);
    EXPECT_EQ(Position(), 6002);
    // Orders that do not exist: nothing changes, nothing breaks.
    EXPECT_EQ(FMUSIC_SetOrder(song, 255), 0);
    EXPECT_EQ(FMUSIC_SetOrder(song, 100000), 0);
    EXPECT_EQ(FMUSIC_SetOrder(song, -1), 0);
    EXPECT_EQ(Position(), 6002);
}

TEST_F(MusicClock, TheEndKeepsTheLastPosition)
{
    FMUSIC_PlaySong(song);
    int last = 0;
    for (int order = 255; order >= 0 && !last; order--)
        if (FMUSIC_SetOrder(song, order))
            last = order;
    ASSERT_GE(last, 61) << "the demo needs at least 62 orders";
    Play(8000);
    Play(20000);
    EXPECT_TRUE(FMUSIC_HasEnded(song));
    // The library itself goes back to 0:00 at the end; the timeline must
    // not see the music jump back to the start.
    EXPECT_EQ(FMUSIC_GetOrder(song), last);
    EXPECT_GT(FMUSIC_GetRow(song), 50);
    // A jump brings it back to life.
    EXPECT_EQ(FMUSIC_SetOrder(song, 2), 1);
    EXPECT_FALSE(FMUSIC_HasEnded(song));
    Play(100);
    EXPECT_EQ(FMUSIC_GetOrder(song), 2);
}

TEST_F(MusicClock, AFreedSongIsNoLongerPlayed)
{
    FMUSIC_PlaySong(song);
    Play(300);
    EXPECT_EQ(FMUSIC_CurrentSong(), song);
    ASSERT_EQ(FMUSIC_FreeSong(song), 1);
    EXPECT_EQ(FMUSIC_CurrentSong(), nullptr);
    // The window thread may still hold the old handle (key F6).
    EXPECT_EQ(FMUSIC_SetOrder(song, 3), 0);
    EXPECT_EQ(FMUSIC_GetOrder(song), 0);
    Play(100);
    song = FMUSIC_LoadSong("Data\\Kestrun.it");
    ASSERT_NE(song, nullptr);
    EXPECT_EQ(Position(), 0);
}

TEST(MusicErrors, MissingAndBrokenFilesGiveReadableTexts)
{
    ASSERT_TRUE(PlatInit(PLAT_HEADLESS));
    ZentrixSetDataFolder(VELTRANE_DATA_DIR);
    EXPECT_EQ(FMUSIC_LoadSong("Data\\NoSuchSong.it"), nullptr);
    EXPECT_NE(std::string(FMUSIC_Error()).find("NoSuchSong.it"), std::string::npos) << FMUSIC_Error();
    EXPECT_NE(std::string(FMUSIC_Error()).find("No such file"), std::string::npos) << FMUSIC_Error();

    const std::string junk = ::testing::TempDir() + std::to_string(getpid()) + "-junk.it";
    std::ofstream(junk) << "this is not a tracker module at all";
    EXPECT_EQ(FMUSIC_LoadSong(junk.c_str()), nullptr);
    EXPECT_NE(std::string(FMUSIC_Error()).find("junk.it"), std::string::npos) << FMUSIC_Error();
    std::remove(junk.c_str());

    EXPECT_EQ(FSOUND_Init(0, 64) & 0xFF, 0);
    EXPECT_STRNE(FSOUND_Error(), "");
    PlatShutdown();
}

TEST(MusicWav, TheWholeSongRendersToAValidWav)
{
    const std::string wav = ::testing::TempDir() + std::to_string(getpid()) + "-song.wav";
    const std::string module = std::string(VELTRANE_DATA_DIR) + "/Kestrun.it";
    double song = 0, end = 0;
    char error[512] = "";
    ASSERT_TRUE(MusicRenderWav(module.c_str(), wav.c_str(), 22050, 0, 53, 60, &song, &end, error, sizeof(error))) << error;
    // 53:60 at 7.68 s an order.
    EXPECT_NEAR(end, 53 * 7.68 + 60 * 0.12, 1.0);
    EXPECT_GT(song, end);
    std::ifstream in(wav, std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    ASSERT_GT(bytes.size(), 44u);
    EXPECT_EQ(bytes.compare(0, 4, "RIFF"), 0);
    uint32_t dataBytes;
    std::memcpy(&dataBytes, bytes.data() + 40, 4);
    EXPECT_EQ(dataBytes, bytes.size() - 44);
    EXPECT_NEAR(dataBytes / (22050.0 * 4), song, 0.5);
    // Something is audible: the loudest sample is well above silence.
    int peak = 0;
    for (size_t i = 44; i + 1 < bytes.size(); i += 2)
        peak = std::max(peak, std::abs(static_cast<int>(static_cast<int16_t>(
                                  static_cast<uint8_t>(bytes[i]) | static_cast<uint8_t>(bytes[i + 1]) << 8))));
    EXPECT_GT(peak, 3000);
    std::remove(wav.c_str());

    // From a later order: lengths count from there. Rendered twice, the
    // same bytes (no dither).
    double rest = 0, restEnd = 0;
    std::string twice[2];
    for (std::string &b : twice) {
        ASSERT_TRUE(
            MusicRenderWav(module.c_str(), wav.c_str(), 8000, 50, 53, 0, &rest, &restEnd, error, sizeof(error)));
        std::ifstream again(wav, std::ios::binary);
        b.assign((std::istreambuf_iterator<char>(again)), std::istreambuf_iterator<char>());
    }
    EXPECT_NEAR(restEnd, 3 * 7.68, 0.05);
    EXPECT_NEAR(rest, song - 50 * 7.68, 0.5);
    ASSERT_GT(twice[0].size(), 8000u * 4);
    EXPECT_TRUE(twice[0] == twice[1]) << "two renders of the same song differ";
    std::remove(wav.c_str());

    // Positions: seconds from the start; what is not in the song is refused.
    double at = 0, length = 0;
    bool reached = false;
    ASSERT_TRUE(MusicPositionSeconds(module.c_str(), 2, 0, &at, &length, &reached, nullptr, error, sizeof(error)))
        << error;
    EXPECT_NEAR(at, 2 * 7.68, 1e-6);
    EXPECT_NEAR(length, song, 0.5);
    EXPECT_TRUE(reached);
    // Order 60 is only reached by a jump (the test picture's); four orders
    // play from there.
    ASSERT_TRUE(MusicPositionSeconds(module.c_str(), 60, 0, nullptr, nullptr, &reached, &rest, error, sizeof(error)));
    EXPECT_FALSE(reached);
    EXPECT_NEAR(rest, 4 * 7.68, 0.5);
    EXPECT_FALSE(MusicPositionSeconds(module.c_str(), 2, 64, &at, nullptr, nullptr, nullptr, error, sizeof(error)));
    EXPECT_FALSE(MusicPositionSeconds(module.c_str(), 200, 0, &at, nullptr, nullptr, nullptr, error, sizeof(error)));
    EXPECT_NE(std::string(error).find("not in the song"), std::string::npos) << error;

    EXPECT_FALSE(MusicRenderWav("/nonexistent/song.it", wav.c_str(), 44100, 0, 0, 0, nullptr, nullptr, error,
                                sizeof(error)));
    EXPECT_NE(std::string(error).find("/nonexistent/song.it"), std::string::npos);
}

} // namespace
