// The headless backend as the program drives it: frames reach the frame hook
// composed on the virtual screen, the clock only moves when waited for, the
// message queue crosses threads, display modes are emulated, and the video
// sink produces a playable file.
#include "FrameCapture.h"
#include "PlatformInternal.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include <unistd.h>

namespace {

class Headless : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(PlatInit(PLAT_HEADLESS)); }
    void TearDown() override
    {
        PlatSetFrameHook(nullptr, nullptr);
        PlatShutdown();
    }
};

TEST_F(Headless, UnscaledFramesCopiedOnceShowAsTheGeneralComposition)
{
    // 32-bit frames at their own size skip the slot; every placement, also
    // partly or wholly off the screen, must show what the slot path shows,
    // stamped with the clock's time.
    CapturedScreen got;
    PlatSetFrameHook(CaptureScreen, &got);
    PlatEmulateDisplayMode(512, 384);
    std::vector<uint32_t> page(400 * 308);
    for (size_t i = 0; i < page.size(); i++)
        page[i] = static_cast<uint32_t>(i * 2654435761u) & 0xFFFFFFu;
    const int places[][6] = {{0, 0, 400, 300, 0, 0},      {0, 4, 400, 300, 56, 42},  {10, 0, 380, 308, -30, -9},
                             {0, 0, 400, 308, 300, 200}, {0, 0, 400, 300, 600, 0}, {0, 0, 400, 300, -400, 50},
                             {5, 7, 100, 50, 0, 334}};
    for (const auto &p : places) {
        const PlatPresentation f{page.data(), 400, 308, 32, p[0], p[1], p[2], p[3], p[4], p[5], p[2], p[3]};
        got.Screen.assign(512 * 384, 0xDEADBEEFu);
        PlatPresent(f);
        PlatPresentation clipped = f;
        ASSERT_TRUE(ClipPresentation(&clipped));
        FrameSlot slot;
        CopyToSlot(slot, clipped);
        std::vector<uint32_t> want(512 * 384, 0x12345678u);
        ComposeFrame(slot, want.data(), 512, 384);
        ASSERT_EQ(got.W, 512);
        EXPECT_EQ(got.Screen, want) << "at " << p[4] << ", " << p[5];
        EXPECT_EQ(got.Ms, timeGetTime());
    }
}

TEST_F(Headless, TheVirtualClockMovesOnlyWhenWaitedFor)
{
    const uint32_t start = timeGetTime();
    EXPECT_GT(start, 0u);
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_EQ(timeGetTime(), start);
    EXPECT_EQ(ClockMilliseconds(), static_cast<long>(start));
    WaitForClock(start + 34);
    EXPECT_EQ(timeGetTime(), start + 34);
    // A time already reached still moves the clock, so no loop can hang.
    WaitForClock(start);
    EXPECT_EQ(timeGetTime(), start + 35);
    EXPECT_EQ(timeBeginPeriod(10), 0u);
}

TEST_F(Headless, NoRealDisplayModesOnlyEmulatedOnes)
{
    PlatDisplayMode m;
    EXPECT_FALSE(PlatEnumDisplayMode(0, &m));
    EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), 400);
    EXPECT_EQ(GetSystemMetrics(SM_CYSCREEN), 300);
    PlatEmulateDisplayMode(0, 100); // nonsense sizes are ignored
    EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), 400);
    PlatEmulateDisplayMode(512, 384);
    RECT r;
    ASSERT_TRUE(GetClientRect(reinterpret_cast<HWND>(&m), &r));
    EXPECT_EQ(r.right, 512);
    EXPECT_EQ(r.bottom, 384);
}

LRESULT RecordingProc(HWND, unsigned msg, WPARAM wParam, LPARAM)
{
    if (msg == WM_DESTROY)
        PostQuitMessage(0);
    return static_cast<LRESULT>(wParam);
}

TEST_F(Headless, MessagesCrossThreadsAndQuitComesLast)
{
    HWND wnd = PlatCreateWindow("test", RecordingProc);
    ASSERT_NE(wnd, nullptr);
    std::thread poster([wnd] {
        for (int i = 0; i < 50; i++)
            PostMessageA(wnd, WM_KEYDOWN, 'A' + (i % 26), 0);
        PostMessageA(wnd, WM_CLOSE, 0, 0);
    });
    MSG msg;
    int keys = 0;
    while (GetMessageA(&msg)) {
        if (msg.message == WM_KEYDOWN) {
            EXPECT_EQ(DispatchMessageA(&msg), static_cast<LRESULT>('A' + (keys % 26)));
            keys++;
        }
        if (msg.message == WM_CLOSE) {
            EXPECT_EQ(DestroyWindow(msg.hwnd), 1);
            // Gone: a second close or destroy does nothing.
            EXPECT_EQ(DestroyWindow(msg.hwnd), 0);
            EXPECT_EQ(DispatchMessageA(&msg), 0);
        }
    }
    poster.join();
    EXPECT_EQ(keys, 50);
}

// Frames at uneven times come out with exactly those times (no frame
// repeated to fill a fixed rate), and the encoder's failure is its message.
TEST_F(Headless, VideoSinkKeepsEachFramesTime)
{
    if (!EncoderAvailable())
        GTEST_SKIP() << "ffmpeg is not installed";
    const std::string path = ::testing::TempDir() + std::to_string(getpid()) + "-sink.mkv";
    const char *const args[] = {"-c:v", "libx264", "-preset", "superfast", "-pix_fmt", "yuv420p", "-fps_mode",
                                "passthrough", "-enc_time_base", "1:1000", nullptr};
    char error[256] = "";
    VideoSink *sink = VideoSinkOpen(path.c_str(), 64, 48, args, error, sizeof(error));
    ASSERT_NE(sink, nullptr) << error;
    std::vector<uint32_t> px(64 * 48);
    const uint32_t times[] = {0, 34, 68, 102, 150, 184, 1000};
    for (int i = 0; i < 7; i++) {
        std::fill(px.begin(), px.end(), 0x000100u * (i * 30));
        ASSERT_TRUE(VideoSinkWrite(sink, px.data(), times[i]));
    }
    ASSERT_TRUE(VideoSinkClose(sink, error, sizeof(error))) << error;
    const std::string probe = "ffprobe -v error -select_streams v -show_entries packet=pts -of csv=p=0 " + path;
    std::FILE *p = popen(probe.c_str(), "r");
    ASSERT_NE(p, nullptr);
    std::vector<long> pts;
    long v;
    while (std::fscanf(p, "%ld", &v) == 1)
        pts.push_back(v);
    pclose(p);
    std::sort(pts.begin(), pts.end());
    EXPECT_EQ(pts, std::vector<long>(std::begin(times), std::end(times)));
    std::remove(path.c_str());

    // A file the encoder cannot write: the failure is reported, not hidden.
    sink = VideoSinkOpen("/nonexistent-folder/x.mkv", 64, 48, args, error, sizeof(error));
    ASSERT_NE(sink, nullptr);
    for (int i = 0; i < 5; i++)
        VideoSinkWrite(sink, px.data(), i * 34);
    EXPECT_FALSE(VideoSinkClose(sink, error, sizeof(error)));
    EXPECT_NE(std::string(error).find("ffmpeg failed: "), std::string::npos) << error;
    EXPECT_EQ(std::string(error).find('\n'), std::string::npos) << error;
}

} // namespace
