// The shell's run-time on the headless backend: the window procedure's keys,
// commands and close, the render thread wait, display mode choice, and what
// EffectBlt puts on the screen (position, stretching, 16-bit reduction,
// counter, double size, screenshot).
#include "FrameCapture.h"
#include "Gen32.h"
#include "3DStuff.h"
#include "General.h"
#include "Modes.h"
#include "Runtime.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include <unistd.h>

namespace {

class ShellRuntime : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(PlatInit(PLAT_HEADLESS));
        ZentrixSetDataFolder(VELTRANE_DATA_DIR);
        hMainAppWnd = PlatCreateWindow(szAppName, WndProc);
        ASSERT_NE(hMainAppWnd, nullptr);
        hDrawWindowDC = GetDC(hMainAppWnd);
        EffectNo = 0;
        ApplicationFin = 0;
        ThreadRunning = 0;
        StretchToScreen = DecreaseBits = ShowFPS = DoubleSize = 0;
        bModeChange = 1;
        PlatSetFrameHook(CaptureScreen, &shot);
    }
    void TearDown() override
    {
        EffectNo = 0;
        StretchToScreen = 0;
        PlatSetFrameHook(nullptr, nullptr);
        DeleteGFXPage(&EffectGFXPage32);
        DeleteGFXPage(&EffectGFXPage16);
        PlatShutdown();
    }
    // A 400 x 308 page whose pixel tells its own row and column.
    void MakePages()
    {
        ASSERT_TRUE(CreateGFXPage(&EffectGFXPage32, 400, 308, 32));
        ASSERT_TRUE(CreateGFXPage(&EffectGFXPage16, 400, 308, 16));
        uint32_t *p = static_cast<uint32_t *>(EffectGFXPage32.pPageData);
        for (int y = 0; y < 308; y++)
            for (int x = 0; x < 400; x++)
                p[y * 400 + x] = static_cast<uint32_t>((y & 0xFF) << 16 | (x & 0xFF) << 8 | 0x47);
    }
    uint32_t PagePixel(int x, int y) const
    {
        return static_cast<const uint32_t *>(EffectGFXPage32.pPageData)[y * 400 + x];
    }
    void Screen(long w, long h)
    {
        PlatEmulateDisplayMode(w, h);
        ScreenWidth = GetSystemMetrics(SM_CXSCREEN);
        ScreenHeight = GetSystemMetrics(SM_CYSCREEN);
    }
    CapturedScreen shot;
};

// Other keys are swallowed; the mouse button and F6 reach the shell. (D, F,
// S and the menu's keys through the real message loop: WindowSdlTest.)
TEST_F(ShellRuntime, OtherKeysAreSwallowedMouseAndF6)
{
    EXPECT_EQ(WndProc(hMainAppWnd, WM_KEYDOWN, 'Q', 0), 0);
    EXPECT_EQ(ApplicationFin.load(), 0);
    WndProc(hMainAppWnd, WM_LBUTTONDOWN, 0, 0);
    EXPECT_EQ(_MouseDown.load(), 1);
    WndProc(hMainAppWnd, WM_LBUTTONUP, 0, 0);
    EXPECT_EQ(_MouseDown.load(), 0);
    // F6 with no song playing: counted, and nothing breaks.
    const long order = MusicOrder;
    WndProc(hMainAppWnd, WM_KEYDOWN, VK_F6, 0);
    EXPECT_EQ(MusicOrder, order + 1);
}

// "&Effect" steps the module that gets the keys round its 13; the "&3D
// Stuff" commands, its keys and the mouse button reach the 3D object effect
// only at 12. Stretching and double size are switched.
TEST_F(ShellRuntime, MenuCommandsAndTheObjectEffectControlsAtEffectTwelve)
{
    Ripple = 0;
    ObjectType = 0;
    Changing = 0;
    WndProc(hMainAppWnd, WM_KEYDOWN, VK_F4, 0);
    WndProc(hMainAppWnd, WM_COMMAND, IDM_3D_METAL, 0);
    EXPECT_EQ(Ripple.load(), 0);
    EXPECT_EQ(ObjectType, 0);
    for (int i = 0; i < 12; i++)
        WndProc(hMainAppWnd, WM_COMMAND, 204, 0);
    ASSERT_EQ(EffectNo.load(), 12);
    WndProc(hMainAppWnd, WM_KEYDOWN, VK_F4, 0);
    EXPECT_EQ(Ripple.load(), 1);
    WndProc(hMainAppWnd, WM_COMMAND, IDM_3D_METAL, 0);
    EXPECT_EQ(ObjectType, 2);
    EXPECT_EQ(Changing.load(), 1);
    EXPECT_EQ(TargetType.load(), Lighted ? 11 : 10);
    PlatSetCursorPos(30, 40);
    WndProc(hMainAppWnd, WM_LBUTTONDOWN, 0, 0);
    EXPECT_EQ(CurrentX.load(), 30);
    EXPECT_EQ(CurrentY.load(), 40);
    EXPECT_EQ(_MouseDown.load(), 1);
    WndProc(hMainAppWnd, WM_LBUTTONUP, 0, 0);
    Ripple = 0;
    ObjectType = 0;
    Changing = 0;
    TargetType = 0;

    WndProc(hMainAppWnd, WM_COMMAND, 204, 0);
    EXPECT_EQ(EffectNo.load(), 0);
    WndProc(hMainAppWnd, WM_COMMAND, 204, 0);
    EXPECT_EQ(EffectNo.load(), 1);
    WndProc(hMainAppWnd, WM_COMMAND, 40013, 0);
    EXPECT_EQ(StretchToScreen.load(), 1);
    WndProc(hMainAppWnd, WM_COMMAND, 40028, 0);
    EXPECT_EQ(DoubleSize.load(), 1);
    WndProc(hMainAppWnd, WM_COMMAND, 40028, 0);
    EXPECT_EQ(DoubleSize.load(), 0);
}

TEST_F(ShellRuntime, EscapeClosesAndTheLoopEnds)
{
    WndProc(hMainAppWnd, WM_KEYDOWN, VK_ESCAPE, 0);
    EXPECT_EQ(ApplicationFin.load(), 1);
    EXPECT_EQ(EffectNo.load(), 14);
    MSG msg;
    EXPECT_EQ(GetMessageA(&msg), 0); // the quit message
    // Later close requests reach nothing.
    EXPECT_EQ(PostMessageA(hMainAppWnd, WM_CLOSE, 0, 0), 1);
    ASSERT_EQ(GetMessageA(&msg), 1);
    EXPECT_EQ(DispatchMessageA(&msg), 0);
}

TEST_F(ShellRuntime, TheWaitForTheRenderThreadEnds)
{
    ThreadRunning = 1;
    EXPECT_FALSE(WaitForRenderThread(30));
    ThreadRunning = 0;
    EXPECT_TRUE(WaitForRenderThread(5000));
}

TEST_F(ShellRuntime, DisplayModesFallBackToAVirtualScreen)
{
    EXPECT_EQ(SetMCGA(640, 480, 0), 0);
    EXPECT_EQ(GetDevMode(400, 300, 32), -1);
    ChooseDisplayMode(0, 0, 0);
    EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), 400);
    EXPECT_EQ(GetSystemMetrics(SM_CYSCREEN), 300);
    ChooseDisplayMode(512, 384, 16);
    EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), 512);
    EXPECT_EQ(GetSystemMetrics(SM_CYSCREEN), 384);
    SetDefaultMode();
}

TEST_F(ShellRuntime, ThePageIsCentredWithThreeHundredRows)
{
    MakePages();
    Screen(640, 480);
    EffectBlt(hMainAppWnd, hDrawWindowDC, &EffectGFXPage32);
    ASSERT_EQ(shot.Count, 1);
    ASSERT_EQ(shot.W, 640);
    EXPECT_EQ(shot.Screen[86 * 640 + 120], PagePixel(0, 0));
    EXPECT_EQ(shot.Screen[(86 + 299) * 640 + 519], PagePixel(399, 299));
    EXPECT_EQ(shot.Screen[(86 + 300) * 640 + 519], 0u); // row 300 is not shown
    EXPECT_EQ(shot.Screen[86 * 640 + 119], 0u);

    // On a 400-wide screen, or without a mode change: the top-left corner.
    Screen(400, 300);
    EffectBlt(hMainAppWnd, hDrawWindowDC, &EffectGFXPage32);
    EXPECT_EQ(shot.Screen[0], PagePixel(0, 0));
    EXPECT_EQ(shot.Screen[299 * 400 + 399], PagePixel(399, 299));
    Screen(640, 480);
    bModeChange = 0;
    EffectBlt(hMainAppWnd, hDrawWindowDC, &EffectGFXPage32);
    EXPECT_EQ(shot.Screen[0], PagePixel(0, 0));
    EXPECT_EQ(shot.Screen[299 * 640 + 399], PagePixel(399, 299));
}

TEST_F(ShellRuntime, StretchedReducedDoubledAndCounted)
{
    MakePages();
    Screen(800, 608);
    StretchToScreen = 1;
    EffectBlt(hMainAppWnd, hDrawWindowDC, &EffectGFXPage32);
    // Twice the size from row 4 on: the screen is full, no black border.
    EXPECT_EQ(shot.Screen[0], PagePixel(0, 4));
    EXPECT_EQ(shot.Screen[607 * 800 + 799], PagePixel(395, 307));
    StretchToScreen = 0;

    Screen(400, 300);
    DecreaseBits = 1;
    EffectBlt(hMainAppWnd, hDrawWindowDC, &EffectGFXPage32);
    for (int i : {0, 1234, 299 * 400 + 399}) {
        const uint32_t p = shot.Screen[i], q = PagePixel(i % 400, i / 400);
        EXPECT_EQ(p >> 16 & 0xF8, q >> 16 & 0xF8) << i;
        EXPECT_EQ(p >> 8 & 0xFC, q >> 8 & 0xFC) << i;
        EXPECT_EQ(p & 0xF8, q & 0xF8) << i;
        EXPECT_EQ(p & 0x07, (p & 0xFF) >> 5) << i; // low bits repeat the high ones
    }
    EXPECT_NE(shot.Screen[0], PagePixel(0, 0)); // 0x47 loses its low bits
    DecreaseBits = 0;

    DoubleSize = 1;
    const int before = shot.Count;
    EffectBlt(hMainAppWnd, hDrawWindowDC, &EffectGFXPage32);
    EXPECT_EQ(shot.Count, before); // nothing is presented
    DoubleSize = 0;

    Numbers.BPP = 32;
    LoadSprite32("Data\\Numbers.raw", 90, 12, &Numbers);
    ASSERT_NE(Numbers.pSpriteData, nullptr);
    ShowFPS = 1;
    CurrentFPS = 1020123;
    EffectBlt(hMainAppWnd, hDrawWindowDC, &EffectGFXPage32);
    ShowFPS = 0;
    // "  1020123" right-aligned in nine places: digits from x = 18 on.
    bool drawn = false;
    for (int y = 0; y < 12; y++)
        for (int x = 18; x < 81; x++)
            drawn = drawn || shot.Screen[y * 400 + x] != static_cast<uint32_t>((y & 0xFF) << 16 | (x & 0xFF) << 8 | 0x47);
    EXPECT_TRUE(drawn);
    FreeSprite32(&Numbers);
}

TEST_F(ShellRuntime, TheSaveCommandWritesAfterTheNextFrame)
{
    MakePages();
    Screen(400, 300);
    const std::filesystem::path old = std::filesystem::current_path();
    const std::filesystem::path dir = std::filesystem::path(::testing::TempDir()) / ("save-test-" + std::to_string(getpid()));
    std::filesystem::create_directories(dir);
    std::filesystem::current_path(dir);
    std::filesystem::remove("Saved.bmp");
    WndProc(hMainAppWnd, WM_COMMAND, 40011, 0);
    EXPECT_FALSE(std::filesystem::exists("Saved.bmp")); // not from the window thread
    EffectBlt(hMainAppWnd, hDrawWindowDC, &EffectGFXPage32);
    EXPECT_TRUE(std::filesystem::exists("Saved.bmp"));
    EXPECT_GT(std::filesystem::file_size("Saved.bmp"), 400u * 308u * 3u);
    std::filesystem::current_path(old);
    std::filesystem::remove_all(dir);
}

} // namespace
