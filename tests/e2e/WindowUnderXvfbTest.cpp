// The real program in a real X window (a private Xvfb server): the test card
// scaled to the full screen, S switching to the stretched picture and back,
// Escape closing within 5 s. The other placements and filters are checked
// by the placement unit test. Skipped when Xvfb, xdotool or xwd is missing
// (a failure under CI).
#include "RunProgram.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;
using e2e::ReadAll;
using e2e::RunCommand;
using e2e::Spawn;

const std::string kExe = VELTRANE_EXE;

bool Installed(const char *tool)
{
    return std::system((std::string("command -v ") + tool + " >/dev/null 2>&1").c_str()) == 0;
}

// A screenshot of the whole X screen (xwd's ZPixmap dump of a 24-bit
// screen), its pixels read as 0x00RRGGBB where asked for.
struct Shot {
    int W = 0, H = 0;
    std::string Data;
    size_t Offset = 0, Stride = 0;
    uint32_t Bytes = 4, ByteOrder = 0;
    uint32_t At(int x, int y) const
    {
        const uint8_t *p = reinterpret_cast<const uint8_t *>(Data.data()) + Offset + size_t(y) * Stride + size_t(x) * Bytes;
        const uint8_t *q = p + Bytes - 3; // most significant first: the three low bytes
        return ByteOrder == 0 ? uint32_t(p[0]) | p[1] << 8 | p[2] << 16 : uint32_t(q[2]) | q[1] << 8 | q[0] << 16;
    }
};

bool Screenshot(Shot *s)
{
    s->Data = RunCommand("xwd -root -silent").Output;
    const std::string &d = s->Data;
    auto be32 = [&](size_t i) {
        return uint32_t(uint8_t(d[i])) << 24 | uint32_t(uint8_t(d[i + 1])) << 16 | uint32_t(uint8_t(d[i + 2])) << 8 |
               uint32_t(uint8_t(d[i + 3]));
    };
    if (d.size() < 100)
        return false;
    const uint32_t headerSize = be32(0), format = be32(8), w = be32(16), h = be32(20), byteOrder = be32(28);
    const uint32_t bpp = be32(44), stride = be32(48), ncolors = be32(76);
    const size_t data = size_t(headerSize) + size_t(ncolors) * 12;
    // Three or four bytes a pixel (xwd packs three when the screen holds
    // windows of other visuals), rows of `stride` bytes.
    const uint32_t bytes = bpp / 8;
    if (format != 2 || (bpp != 24 && bpp != 32) || stride < w * bytes || d.size() < data + size_t(stride) * h)
        return false;
    s->W = int(w);
    s->H = int(h);
    s->Offset = data;
    s->Stride = stride;
    s->Bytes = bytes;
    s->ByteOrder = byteOrder;
    return true;
}

struct Box {
    int X = 0, Y = 0, W = 0, H = 0;
    bool operator==(const Box &o) const { return X == o.X && Y == o.Y && W == o.W && H == o.H; }
};

std::string Text(const Box &b)
{
    return std::to_string(b.W) + "x" + std::to_string(b.H) + "+" + std::to_string(b.X) + "+" + std::to_string(b.Y);
}

// The bounding box of everything not black.
Box Bounds(const Shot &s)
{
    int x0 = s.W, y0 = s.H, x1 = -1, y1 = -1;
    for (int y = 0; y < s.H; y++)
        for (int x = 0; x < s.W; x++)
            if (s.At(x, y) != 0) {
                x0 = std::min(x0, x), x1 = std::max(x1, x);
                y0 = std::min(y0, y), y1 = std::max(y1, y);
            }
    return x1 < 0 ? Box{} : Box{x0, y0, x1 - x0 + 1, y1 - y0 + 1};
}

// How many pixels across the middle of the card's 1-pixel grating (columns
// 75 to 136, rows 225 to 249) are neither white nor black, when the card
// fills `b`: linear filtering blends the lines, nearest does not.
int BlendedInGrating(const Shot &s, const Box &b)
{
    const double k = b.W / 400.0;
    const int y = b.Y + int(237.5 * b.H / 300.0);
    int blended = 0;
    for (int x = b.X + int(77 * k); x < b.X + int(134 * k); x++) {
        const int g = (s.At(x, y) >> 8) & 0xFF;
        blended += g > 40 && g < 215;
    }
    return blended;
}

class WindowUnderXvfb : public ::testing::Test {
protected:
    void SetUp() override
    {
        for (const char *tool : {"Xvfb", "xdotool", "xwd"})
            if (!Installed(tool)) {
                if (std::getenv("CI"))
                    FAIL() << tool << " is not installed (CI)";
                GTEST_SKIP() << tool << " is not installed";
            }
        dir = ::testing::TempDir() + "/xvfb-" + std::to_string(getpid());
        std::filesystem::create_directories(dir);
        // Sanitizer builds: no leak scan at exit (the GL driver's blocks; it
        // takes seconds), and the software GL driver's own races suppressed.
        setenv("ASAN_OPTIONS", "detect_leaks=0", 1);
        setenv("TSAN_OPTIONS", "suppressions=" VELTRANE_E2E_DIR "/tsan.supp", 1);
        unsetenv("WAYLAND_DISPLAY");
    }
    void TearDown() override
    {
        Stop(program);
        Stop(xvfb);
        std::error_code ec;
        std::filesystem::remove_all(dir, ec);
    }
    static void Stop(pid_t &pid)
    {
        if (pid > 0) {
            kill(pid, SIGKILL);
            waitpid(pid, nullptr, 0);
        }
        pid = -1;
    }
    void StartXvfb(int w, int h)
    {
        Stop(xvfb);
        int fds[2];
        ASSERT_EQ(pipe(fds), 0);
        const std::string screen = std::to_string(w) + "x" + std::to_string(h) + "x24";
        std::vector<std::string> args = {"Xvfb", "-displayfd", std::to_string(fds[1]), "-screen", "0", screen,
                                         "-nolisten", "tcp"};
        std::vector<char *> argv;
        for (std::string &a : args)
            argv.push_back(a.data());
        argv.push_back(nullptr);
        posix_spawn_file_actions_t files;
        posix_spawn_file_actions_init(&files);
        posix_spawn_file_actions_addclose(&files, fds[0]);
        posix_spawn_file_actions_addopen(&files, 2, (dir + "/xvfb.log").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        ASSERT_EQ(posix_spawnp(&xvfb, "Xvfb", &files, nullptr, argv.data(), environ), 0);
        posix_spawn_file_actions_destroy(&files);
        close(fds[1]);
        std::string number;
        char c;
        while (read(fds[0], &c, 1) == 1 && c != '\n')
            number += c;
        close(fds[0]);
        ASSERT_FALSE(number.empty()) << "Xvfb did not start: " << ReadAll(dir + "/xvfb.log");
        setenv("DISPLAY", (":" + number).c_str(), 1);
    }
    // Starts the program on the test card and waits for its window.
    void Start()
    {
        log = dir + "/veltrane.log";
        program = Spawn({kExe, "/TEST"}, log);
        ASSERT_GT(program, 0);
        wid = RunCommand("timeout 30 xdotool search --sync --name '^Veltrane$' | head -n1").Output;
        while (!wid.empty() && wid.back() == '\n')
            wid.pop_back();
        ASSERT_FALSE(wid.empty()) << "no window appeared: " << ReadAll(log);
    }
    void Keys(const std::string &keys)
    {
        RunCommand("timeout 10 xdotool windowfocus --sync " + wid + " key --delay 50 " + keys);
    }
    // Screenshots until the picture's bounding box is `want` (the program
    // may still be starting, or switching); false after `seconds` (the
    // first picture of a sanitizer build under load takes a while).
    bool WaitForBox(const Box &want, Shot *s, int seconds = 20)
    {
        const auto end = Clock::now() + std::chrono::seconds(seconds);
        Box last;
        do {
            if (Screenshot(s) && (last = Bounds(*s)) == want)
                return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        } while (Clock::now() < end);
        ADD_FAILURE() << "the picture is at " << Text(last) << ", not " << Text(want) << "\n" << ReadAll(log);
        return false;
    }
    // Escape, then the program must end by itself within 5 s, status 0.
    void EscapeCloses()
    {
        Keys("Escape");
        const auto start = Clock::now();
        int status = -1;
        while (waitpid(program, &status, WNOHANG) == 0) {
            if (Clock::now() - start > std::chrono::seconds(5)) {
                ADD_FAILURE() << "still running 5 s after Escape\n" << ReadAll(log);
                return;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        program = -1;
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << ReadAll(log);
    }

    std::string dir, log, wid;
    pid_t xvfb = -1, program = -1;
};

TEST_F(WindowUnderXvfb, FullScreenScalingStretchAndEscapeOn1920x1080)
{
    StartXvfb(1920, 1080);
    Shot s;
    // Full screen: 400 x 300 at 3.6x, aspect kept, linear (not a whole scale).
    Start();
    const Box fit{240, 0, 1440, 1080};
    ASSERT_TRUE(WaitForBox(fit, &s, 90));
    EXPECT_GT(BlendedInGrating(s, fit), 20) << "linear filtering blends the 1-pixel lines";
    // S: rows 4 to 307 over the whole screen, and back.
    Keys("s");
    EXPECT_TRUE(WaitForBox(Box{0, 0, 1920, 1080}, &s));
    Keys("s");
    EXPECT_TRUE(WaitForBox(fit, &s));
    EscapeCloses();
}

} // namespace
