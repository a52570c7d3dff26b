// Keys pressed in the SDL window (SDL's dummy video driver, no display
// needed) reach the shell and the effect module chosen by EffectNo through
// the real message loop: SDL event -> GetMessageA -> DispatchMessageA ->
// WndProc -> Handle<X>Message; and the mouse read on the program's screen.
#include "BumpyEffect.h"
#include "Gen32.h"
#include "LandEffect.h"
#include "RandomFire.h"
#include "Spin.h"
#include "WaterEffect.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>

extern std::atomic<int> SaveRequested;

namespace {

class WindowSdl : public ::testing::Test {
protected:
    void SetUp() override
    {
        setenv("SDL_VIDEODRIVER", "dummy", 1);
        ASSERT_TRUE(PlatInit(PLAT_SDL)) << PlatLastError();
        hMainAppWnd = PlatCreateWindow(szAppName, WndProc);
        ASSERT_NE(hMainAppWnd, nullptr) << PlatLastError();
        EffectNo = 0;
        ApplicationFin = 0;
        ThreadRunning = 0;
    }
    void TearDown() override
    {
        EffectNo = 0;
        StretchToScreen = DecreaseBits = ShowFPS = 0;
        PlatShutdown();
        unsetenv("SDL_VIDEODRIVER");
    }
    // Presses a key in the window and runs the message loop until a mouse
    // release queued behind it arrives, so every message the key made has
    // been dispatched. False when the loop ended (the window closed).
    static bool Press(SDL_Keycode key, Uint16 mod = KMOD_NONE)
    {
        SDL_Event ev{};
        ev.type = SDL_KEYDOWN;
        ev.key.state = SDL_PRESSED;
        ev.key.keysym.sym = key;
        ev.key.keysym.mod = mod;
        SDL_PushEvent(&ev);
        SDL_Event after{};
        after.type = SDL_MOUSEBUTTONUP;
        after.button.button = SDL_BUTTON_LEFT;
        SDL_PushEvent(&after);
        MSG msg;
        while (GetMessageA(&msg)) {
            DispatchMessageA(&msg);
            if (msg.message == WM_LBUTTONUP)
                return true;
        }
        return false;
    }
};

struct KeyCase {
    const char *Name;
    long Effect;               // EffectNo while the key is pressed
    SDL_Keycode Key;
    std::function<void()> Before;
    std::function<bool()> Reached;
};

TEST_F(WindowSdl, EveryKeyAModuleHandlesReachesIt)
{
    auto spin = [](auto check) {
        return [check] {
            ApplySpinMessages();
            return check();
        };
    };
    auto land = [](auto check) {
        return [check] {
            ApplyLandMessages();
            return check();
        };
    };
    const KeyCase cases[] = {
        {"spiral keypad *", 1, SDLK_KP_MULTIPLY, [] { Radius = 1.0f; }, spin([] { return Radius > 1.005f; })},
        {"spiral keypad /", 1, SDLK_KP_DIVIDE, [] { Radius = 1.0f; }, spin([] { return Radius < 0.995f; })},
        {"spiral keypad +", 1, SDLK_KP_PLUS, [] { FeedBackAngle = 10; }, spin([] { return FeedBackAngle == 11; })},
        {"spiral keypad -", 1, SDLK_KP_MINUS, [] { FeedBackAngle = 10; }, spin([] { return FeedBackAngle == 9; })},
        {"spiral 9", 1, SDLK_9, [] { FeedBackAngle = 10; }, spin([] { return FeedBackAngle == 5750; })},
        {"spiral F1", 1, SDLK_F1, [] { SetSpinSize(0); }, spin([] { return Spirals[0].Shrink == 10; })},
        {"spiral F2", 1, SDLK_F2, [] { SetSpinSize(20); }, spin([] { return Spirals[0].Shrink == 10; })},
        {"spiral F3", 1, SDLK_F3, [] { DoSpinRandom = 0; }, spin([] { return DoSpinRandom == 1; })},
        {"spiral F4", 1, SDLK_F4, [] { bPlainColor = 0; }, spin([] { return bPlainColor == 1; })},
        {"bump F1", 2, SDLK_F1, [] { LenzFlare = 0; }, [] { return LenzFlare == 1; }},
        {"bump F2", 2, SDLK_F2, [] { FinishBumpy = 0; }, [] { return FinishBumpy == 1; }},
        {"swirl F2", 3, SDLK_F2, [] { DrawRandom = 0; }, [] { return DrawRandom == 1; }},
        {"swirl F3", 3, SDLK_F3, [] { DrawPicture = 0; }, [] { return DrawPicture == 1; }},
        {"water 1", 6, SDLK_1, [] { DrawPic = 0; }, [] { return DrawPic == 1; }},
        {"water 4", 6, SDLK_4, [] { RotateEffect = 0; }, [] { return RotateEffect == 1; }},
        {"water 6", 6, SDLK_6, [] { bWaterFireEffect = 0; }, [] { return bWaterFireEffect == 1; }},
        {"water 7", 6, SDLK_7, [] { DrawSymbol = 0; }, [] { return DrawSymbol == 1; }},
        {"land 1", 7, SDLK_1, [] { a = 0; }, land([] { return a > 0.005f; })},
        {"land 2", 7, SDLK_2, [] { a = 0; }, land([] { return a < -0.005f; })},
        {"land 3", 7, SDLK_3, [] { ss = 0; LandSpeed = 500; }, land([] { return ss == 500; })},
        {"land 4", 7, SDLK_4, [] { ss = 0; LandSpeed = 500; }, land([] { return ss == -500; })},
        {"land 5", 7, SDLK_5, [] { ss = 7; }, land([] { return ss == 0; })},
    };
    for (const KeyCase &c : cases) {
        c.Before();
        // Pressed while another module receives the keys, it changes nothing.
        EffectNo = c.Effect == 1 ? 2 : 1;
        ASSERT_TRUE(Press(c.Key)) << c.Name;
        ApplySpinMessages();
        ApplyLandMessages();
        c.Before();
        EffectNo = c.Effect;
        ASSERT_TRUE(Press(c.Key)) << c.Name;
        EXPECT_TRUE(c.Reached()) << c.Name;
    }
    bPlainColor = DoSpinRandom = 0;
}

TEST_F(WindowSdl, ShellKeysAndTheKeysStandingInForTheMenu)
{
    StretchToScreen = DecreaseBits = ShowFPS = 0;
    ASSERT_TRUE(Press(SDLK_d));
    ASSERT_TRUE(Press(SDLK_f));
    ASSERT_TRUE(Press(SDLK_s));
    EXPECT_EQ(DecreaseBits.load(), 1);
    EXPECT_EQ(ShowFPS.load(), 1);
    EXPECT_EQ(StretchToScreen.load(), 1);
    // Tab: the "&Effect" command, the next module gets the keys.
    ASSERT_TRUE(Press(SDLK_TAB));
    EXPECT_EQ(EffectNo.load(), 1);
    // F12: the "&Save" command, written by the render thread after a frame.
    SaveRequested = 0;
    ASSERT_TRUE(Press(SDLK_F12));
    EXPECT_EQ(SaveRequested.exchange(0), 1);
    // Alt+Enter is the window's own: no message, the flags stay.
    ASSERT_TRUE(Press(SDLK_RETURN, KMOD_LALT));
    ASSERT_TRUE(Press(SDLK_RETURN, KMOD_LALT));
    EXPECT_EQ(StretchToScreen.load(), 1);
    // End closes: the loop ends with the quit message.
    EXPECT_FALSE(Press(SDLK_END));
    EXPECT_EQ(ApplicationFin.load(), 1);
}

TEST_F(WindowSdl, TheMouseIsReadOnTheProgramsScreen)
{
    // A 400 x 300 screen shown over the whole dummy display: its centre is
    // the screen's centre.
    PlatEmulateDisplayMode(400, 300);
    SDL_DisplayMode desktop{};
    ASSERT_EQ(SDL_GetDesktopDisplayMode(0, &desktop), 0);
    SDL_Event ev{};
    ev.type = SDL_MOUSEBUTTONDOWN;
    ev.button.button = SDL_BUTTON_LEFT;
    ev.button.x = desktop.w / 2;
    ev.button.y = desktop.h / 2;
    SDL_PushEvent(&ev);
    MSG msg{};
    while (GetMessageA(&msg) && msg.message != WM_LBUTTONDOWN) {
    }
    ASSERT_EQ(msg.message, WM_LBUTTONDOWN);
    EXPECT_NEAR(double(msg.lParam & 0xFFFF), 200, 1);
    EXPECT_NEAR(double(msg.lParam >> 16 & 0xFFFF), 150, 1);
    DispatchMessageA(&msg);
    EXPECT_EQ(_MouseDown.load(), 1);
    _MouseDown = 0;
}

} // namespace
