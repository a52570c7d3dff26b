// The window procedure: every message first goes to the current effect
// module's handler, then the shell's keys, mouse button, menu commands,
// closing and destruction (which waits for the render thread).
#include "Gen32.h"
#include "3DStuff.h"
#include "BumpyEffect.h"
#include "FireEffect.h"
#include "LandEffect.h"
#include "LightEffect.h"
#include "Modes.h"
#include "RandomFire.h"
#include "Runtime.h"
#include "Spin.h"
#include "WaterEffect.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>

// Set by the "&Save" command; the render thread writes the screenshot after
// its next finished frame, so the window thread never reads a page while it
// is being drawn.
std::atomic<int> SaveRequested{0};

namespace {

typedef void (*EffectMessageHandler)(HWND, unsigned, WPARAM, LPARAM);

// Message handlers by EffectNo. Each effect module fills in its own slot:
// 0 Light, 1 Spin, 2 Bumpy, 3 RndFire, 6 Water, 7 Land, 9 Fire, 12 3D;
// 4, 5, 8, 10 and 11 have none.
EffectMessageHandler const kEffectHandlers[13] = {
    HandleLightMessage,   // 0
    HandleSpinMessage,    // 1
    HandleBumpyMessage,   // 2
    HandleRndFireMessage, // 3
    nullptr,              // 4
    nullptr,              // 5
    HandleWaterMessage,   // 6
    HandleLandMessage,    // 7
    nullptr,              // 8
    HandleFireMessage,    // 9
    nullptr,              // 10
    nullptr,              // 11
    Handle3DMessage,      // 12
};

constexpr WPARAM kCmdSave = 40011, kCmdFullScreen = 40013, kCmdDoubleSize = 40028, kCmdEffect = 204;

} // namespace

bool WaitForRenderThread(long timeoutMs)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (ThreadRunning.load() == 1) {
        if (std::chrono::steady_clock::now() >= deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

LRESULT WndProc(HWND hWnd, unsigned uMessage, WPARAM wParam, LPARAM lParam)
{
    const long effect = EffectNo.load();
    if (effect >= 0 && effect < 13 && kEffectHandlers[effect])
        kEffectHandlers[effect](hWnd, uMessage, wParam, lParam);

    switch (uMessage) {
    case WM_KEYDOWN:
        switch (wParam) {
        case VK_ESCAPE:
        case VK_END:
            WndProc(hWnd, WM_CLOSE, wParam, lParam);
            break;
        case 'D':
            DecreaseBits = 1 - DecreaseBits.load();
            break;
        case 'F':
            ShowFPS = 1 - ShowFPS.load();
            break;
        case 'S':
            StretchToScreen = 1 - StretchToScreen.load();
            break;
        case VK_F6:
            MusicOrder++;
            // The song the music layer is playing, not `mod`, which the
            // render thread sets and frees.
            FMUSIC_SetOrder(FMUSIC_CurrentSong(), static_cast<int>(MusicOrder));
            break;
        default:
            break;
        }
        return 0;
    case WM_LBUTTONDOWN:
        _MouseDown = 1;
        return 0;
    case WM_LBUTTONUP:
        _MouseDown = 0;
        return 0;
    case WM_PAINT:
        return 0; // the platform shows the last frame again by itself
    case WM_CLOSE:
        EffectNo = 14;
        ApplicationFin = 1;
        SetDefaultMode();
        DestroyWindow(hWnd);
        return 0;
    case WM_DESTROY:
        if (!WaitForRenderThread(5000)) {
            // A thread can't be killed safely: end the whole process, without
            // freeing what the render thread may still be using.
            std::fputs("veltrane: the render thread did not stop within 5 seconds; ending the program\n", stderr);
            std::fflush(stderr);
            std::_Exit(1);
        }
        QuitAppMemory();
        PostQuitMessage(0);
        return 0;
    case WM_COMMAND:
        switch (wParam) {
        case kCmdSave:
            SaveRequested = 1;
            break;
        case kCmdFullScreen:
            StretchToScreen = 1 - StretchToScreen.load(); // no menu to check
            break;
        case kCmdDoubleSize:
            DoubleSize = 1 - DoubleSize.load();
            break;
        case kCmdEffect:
            EffectNo = (EffectNo.load() + 1) % 13;
            break;
        default:
            break;
        }
        return 0;
    default:
        return DefWindowProcA(hWnd, uMessage, wParam, lParam);
    }
}
