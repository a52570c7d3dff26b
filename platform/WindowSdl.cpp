// The SDL2 backend's window side: display modes from SDL's mode list, one
// window (borderless over the whole display, or a resizable desktop window;
// Alt+Enter switches), SDL events turned into the program's window messages,
// and the window thread's half of presentation (mailbox -> streaming texture
// -> the screen placed in the window, nearest or linear filtered).
#include "PlatformInternal.h"

#include <SDL.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

SDL_Window *gWindow = nullptr;
SDL_Renderer *gRenderer = nullptr;
SDL_Texture *gTexture = nullptr;
int gTextureW = 0, gTextureH = 0;
Uint32 gWakeEvent = 0;
std::atomic<bool> gWakePending{false};

// The screen the program sees: the desktop (then it follows the window's
// size), a real mode or a virtual screen (an emulated mode).
std::atomic<long> gScreenW{0}, gScreenH{0};
bool gRealMode = false;
bool gEmulated = false;
SDL_DisplayMode gMode{};

PlatWindowOptions gOptions;
bool gWindowed = false;      // window thread
int gWindowW = 0, gWindowH = 0; // the desktop window's size, kept while full screen

FrameMailbox gBox;
const FrameSlot *gShown = nullptr;

// Presentation timings (window thread), for the statistics line.
double gUploadMs = 0;
long gUploads = 0;
std::atomic<long> gPostCount{0};
std::atomic<long long> gPostMicros{0};

// SDL key -> the program's virtual-key code; 0 for keys it does not know.
WPARAM VirtualKey(SDL_Keycode k)
{
    if (k >= SDLK_a && k <= SDLK_z)
        return 'A' + (k - SDLK_a);
    if (k >= SDLK_0 && k <= SDLK_9)
        return '0' + (k - SDLK_0);
    if (k >= SDLK_F1 && k <= SDLK_F12)
        return VK_F1 + (k - SDLK_F1);
    switch (k) {
    case SDLK_RETURN: return VK_RETURN;
    case SDLK_ESCAPE: return VK_ESCAPE;
    case SDLK_SPACE: return VK_SPACE;
    case SDLK_PAGEUP: return VK_PRIOR;
    case SDLK_PAGEDOWN: return VK_NEXT;
    case SDLK_END: return VK_END;
    case SDLK_HOME: return VK_HOME;
    case SDLK_LEFT: return VK_LEFT;
    case SDLK_UP: return VK_UP;
    case SDLK_RIGHT: return VK_RIGHT;
    case SDLK_DOWN: return VK_DOWN;
    case SDLK_INSERT: return VK_INSERT;
    case SDLK_DELETE: return VK_DELETE;
    case SDLK_KP_PLUS: return VK_ADD;
    case SDLK_KP_MINUS: return VK_SUBTRACT;
    case SDLK_KP_MULTIPLY: return VK_MULTIPLY;
    case SDLK_KP_DIVIDE: return VK_DIVIDE;
    case SDLK_KP_PERIOD: return VK_DECIMAL;
    case SDLK_KP_ENTER: return VK_RETURN;
    case SDLK_KP_0: return VK_NUMPAD0;
    default:
        // SDL numbers the keypad's digits 1 to 9 in order, then 0.
        if (k >= SDLK_KP_1 && k <= SDLK_KP_9)
            return VK_NUMPAD0 + 1 + (k - SDLK_KP_1);
        return 0;
    }
}

// Translates one SDL event; false when it means nothing to the program.
bool Translate(const SDL_Event &ev, MSG *msg)
{
    *msg = MSG{gMainWindow, 0, 0, 0};
    switch (ev.type) {
    case SDL_QUIT:
        msg->message = WM_CLOSE;
        return true;
    case SDL_WINDOWEVENT:
        if (ev.window.event == SDL_WINDOWEVENT_CLOSE) {
            msg->message = WM_CLOSE;
            return true;
        }
        if (ev.window.event == SDL_WINDOWEVENT_EXPOSED) {
            msg->message = WM_PAINT;
            return true;
        }
        return false;
    case SDL_KEYDOWN:
        // Keys the demo leaves free stand in for the menu the window lacks:
        // F12 the "&Save" command, Tab "&Effect" (the next module receives
        // the keys).
        if (ev.key.keysym.sym == SDLK_F12 || ev.key.keysym.sym == SDLK_TAB) {
            msg->message = WM_COMMAND;
            msg->wParam = ev.key.keysym.sym == SDLK_F12 ? 40011 : 204;
            return true;
        }
        msg->wParam = VirtualKey(ev.key.keysym.sym);
        msg->message = WM_KEYDOWN;
        msg->lParam = 1;
        return msg->wParam != 0;
    case SDL_MOUSEMOTION:
        PlatSetCursorPos(ev.motion.x, ev.motion.y);
        return false;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP:
        PlatSetCursorPos(ev.button.x, ev.button.y);
        if (ev.button.button != SDL_BUTTON_LEFT)
            return false;
    {
        msg->message = ev.type == SDL_MOUSEBUTTONDOWN ? WM_LBUTTONDOWN : WM_LBUTTONUP;
        // The position on the program's screen, wherever the window shows it.
        int x = ev.button.x, y = ev.button.y, ow = 0, oh = 0;
        const int sw = static_cast<int>(gScreenW.load()), sh = static_cast<int>(gScreenH.load());
        if (gRenderer && SDL_GetRendererOutputSize(gRenderer, &ow, &oh) == 0 && sw > 0 && sh > 0) {
            const PlaceRect area = PlaceScreen(sw, sh, ow, oh, gOptions.IntegerScale);
            if (area.W > 0 && area.H > 0) {
                x = static_cast<int>(int64_t(x - area.X) * sw / area.W);
                y = static_cast<int>(int64_t(y - area.Y) * sh / area.H);
            }
        }
        msg->lParam = static_cast<LPARAM>((static_cast<uint32_t>(y) & 0xFFFF) << 16 | (static_cast<uint32_t>(x) & 0xFFFF));
        return true;
    }
    default:
        return false;
    }
}

// The screen as large as the window allows: the picture keeps its aspect
// (or, stretched, fills the window), scaled by whole multiples when asked,
// black around; nearest-neighbour or linear filtering.
void Draw(const FrameSlot *slot)
{
    if (!gRenderer)
        return;
    SDL_RenderSetClipRect(gRenderer, nullptr);
    SDL_SetRenderDrawColor(gRenderer, 0, 0, 0, 255);
    SDL_RenderClear(gRenderer);
    int ow = 0, oh = 0;
    SDL_GetRendererOutputSize(gRenderer, &ow, &oh);
    if (slot && slot->W > 0 && slot->H > 0 && ow > 0 && oh > 0) {
        if (!gTexture || slot->W > gTextureW || slot->H > gTextureH) {
            if (gTexture)
                SDL_DestroyTexture(gTexture);
            gTexture = SDL_CreateTexture(gRenderer, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_STREAMING,
                                         slot->W, slot->H);
            gTextureW = gTexture ? slot->W : 0;
            gTextureH = gTexture ? slot->H : 0;
        }
        if (gTexture) {
            const int sw = static_cast<int>(gScreenW.load()), sh = static_cast<int>(gScreenH.load());
            PlaceRect area, dst;
            if (slot->WholeWindow) {
                area = dst = PlaceStretched(slot->W, slot->H, ow, oh, gOptions.IntegerScale);
            } else {
                area = PlaceScreen(sw, sh, ow, oh, gOptions.IntegerScale);
                dst = MapToPlacement(area, sw, sh, slot->DstX, slot->DstY, slot->DstW, slot->DstH);
            }
            const bool nearest = UseNearestFilter(gOptions.Filter, slot->W, slot->H, dst.W, dst.H);
            SDL_SetTextureScaleMode(gTexture, nearest ? SDL_ScaleModeNearest : SDL_ScaleModeLinear);
            const SDL_Rect src{0, 0, slot->W, slot->H};
            const SDL_Rect to{dst.X, dst.Y, dst.W, dst.H};
            const SDL_Rect clip{area.X, area.Y, area.W, area.H};
            SDL_UpdateTexture(gTexture, &src, slot->Pixels.data(), slot->W * 4);
            SDL_RenderSetClipRect(gRenderer, &clip); // a page hanging over the screen's edge is cut there
            SDL_RenderCopy(gRenderer, gTexture, &src, &to);
            SDL_RenderSetClipRect(gRenderer, nullptr);
        }
    }
    SDL_RenderPresent(gRenderer);
}

// On the desktop (no mode chosen) the program's screen is the window itself.
void FollowWindowSize()
{
    if (gRealMode || gEmulated || !gRenderer)
        return;
    int ow = 0, oh = 0;
    if (SDL_GetRendererOutputSize(gRenderer, &ow, &oh) == 0 && ow > 0 && oh > 0) {
        gScreenW = ow;
        gScreenH = oh;
    }
}

// Full screen (borderless over the desktop, or the real mode) or the
// resizable desktop window.
void SetWindowed(bool windowed)
{
    if (!gWindow)
        return;
    if (windowed) {
        SDL_SetWindowFullscreen(gWindow, 0);
        SDL_SetWindowBordered(gWindow, SDL_TRUE);
        SDL_SetWindowResizable(gWindow, SDL_TRUE);
        SDL_SetWindowSize(gWindow, gWindowW, gWindowH);
        SDL_SetWindowPosition(gWindow, SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED);
        SDL_ShowCursor(SDL_ENABLE);
    } else {
        SDL_GetWindowSize(gWindow, &gWindowW, &gWindowH);
        SDL_SetWindowResizable(gWindow, SDL_FALSE);
        SDL_SetWindowBordered(gWindow, SDL_FALSE);
        // Cover the display first: without a window manager (Xvfb, a bare X
        // server) nobody else moves the window when it goes full screen.
        SDL_Rect display{0, 0, 0, 0};
        if (SDL_GetDisplayBounds(std::max(0, SDL_GetWindowDisplayIndex(gWindow)), &display) == 0) {
            SDL_SetWindowPosition(gWindow, display.x, display.y);
            SDL_SetWindowSize(gWindow, gRealMode ? gMode.w : display.w, gRealMode ? gMode.h : display.h);
        }
        if (gRealMode)
            SDL_SetWindowDisplayMode(gWindow, &gMode);
        SDL_SetWindowFullscreen(gWindow, gRealMode ? SDL_WINDOW_FULLSCREEN : SDL_WINDOW_FULLSCREEN_DESKTOP);
        SDL_ShowCursor(SDL_DISABLE);
    }
    gWindowed = windowed;
    FollowWindowSize();
    Draw(gShown);
}

bool IsAltEnter(const SDL_Event &ev)
{
    return ev.type == SDL_KEYDOWN && (ev.key.keysym.mod & KMOD_ALT) &&
           (ev.key.keysym.sym == SDLK_RETURN || ev.key.keysym.sym == SDLK_KP_ENTER);
}

void PresentPending()
{
    const FrameSlot *slot = MailboxTake(gBox);
    if (!slot)
        return;
    const double start = RealMilliseconds();
    Draw(slot);
    gShown = slot;
    gUploadMs += RealMilliseconds() - start;
    gUploads++;
}

} // namespace

bool SdlInit()
{
    SDL_SetHint(SDL_HINT_VIDEO_MINIMIZE_ON_FOCUS_LOSS, "0");
    // With a display named, only its own drivers: SDL would otherwise fall
    // back to its offscreen driver and play the demo where nobody sees it.
    // An SDL_VIDEODRIVER set by the user is taken as it stands. (Windows has
    // one driver; DISPLAY there only means that wine draws through X.)
    std::string drivers, display;
#ifndef _WIN32
    const char *forced = std::getenv("SDL_VIDEODRIVER");
    const char *x11 = std::getenv("DISPLAY"), *wayland = std::getenv("WAYLAND_DISPLAY");
    if (!(forced && *forced)) {
        if (wayland && *wayland) {
            drivers = "wayland";
            display = wayland;
        }
        if (x11 && *x11) {
            drivers += drivers.empty() ? "x11" : ",x11";
            display += display.empty() ? x11 : std::string(" or ") + x11;
        }
        if (!drivers.empty())
            SDL_SetHint(SDL_HINT_VIDEODRIVER, drivers.c_str());
    }
#endif
    if (SDL_Init(SDL_INIT_VIDEO | SDL_INIT_EVENTS) != 0) {
        if (!display.empty())
            PlatSetError("cannot open the display %s (SDL: %s)", display.c_str(), SDL_GetError());
        else
            PlatSetError("Unable to start the window system: %s", SDL_GetError());
        SDL_Quit();
        return false;
    }
    SDL_DisplayMode desktop{};
    if (SDL_GetDesktopDisplayMode(0, &desktop) != 0) {
        PlatSetError("Unable to read the display mode: %s", SDL_GetError());
        SDL_Quit();
        return false;
    }
    gScreenW = desktop.w;
    gScreenH = desktop.h;
    gRealMode = gEmulated = false;
    gWindowed = false;
    gWakeEvent = SDL_RegisterEvents(1);
    return true;
}

void SdlShutdown()
{
    SdlDestroyWindow();
    SDL_Quit();
    if (gUploads > 0 && std::getenv("VELTRANE_PRESENT_STATS")) {
        std::fprintf(stderr, "veltrane: %ld frames presented: %.3f ms to hand over, %.3f ms to upload and show\n",
                     gUploads, gPostMicros.load() / 1000.0 / std::max(1L, gPostCount.load()), gUploadMs / gUploads);
    }
}

bool SdlEnumDisplayMode(int index, PlatDisplayMode *mode)
{
    SDL_DisplayMode m{};
    if (index < 0 || index >= SDL_GetNumDisplayModes(0) || SDL_GetDisplayMode(0, index, &m) != 0)
        return false;
    *mode = PlatDisplayMode{m.w, m.h, static_cast<long>(SDL_BITSPERPIXEL(m.format))};
    return true;
}

bool SdlChangeDisplayMode(const PlatDisplayMode *mode, bool testOnly)
{
    if (!mode) {
        if (gWindow && gRealMode && !gWindowed)
            SDL_SetWindowFullscreen(gWindow, SDL_WINDOW_FULLSCREEN_DESKTOP);
        gRealMode = false;
        return true;
    }
    for (int i = 0, n = SDL_GetNumDisplayModes(0); i < n; i++) {
        SDL_DisplayMode m{};
        if (SDL_GetDisplayMode(0, i, &m) != 0 || m.w != mode->Width || m.h != mode->Height ||
            static_cast<long>(SDL_BITSPERPIXEL(m.format)) != mode->BPP)
            continue;
        if (testOnly)
            return true;
        gMode = m;
        gRealMode = true;
        gEmulated = false;
        gScreenW = m.w;
        gScreenH = m.h;
        if (gWindow && !gWindowed) {
            SDL_SetWindowDisplayMode(gWindow, &gMode);
            SDL_SetWindowFullscreen(gWindow, SDL_WINDOW_FULLSCREEN);
        }
        return true;
    }
    return false;
}

void SdlEmulateDisplayMode(long width, long height)
{
    gRealMode = false;
    gEmulated = true;
    gScreenW = width;
    gScreenH = height;
}

int SdlScreenMetric(int index)
{
    return static_cast<int>(index == SM_CXSCREEN ? gScreenW.load() : index == SM_CYSCREEN ? gScreenH.load() : 0);
}

void SdlSetWindowOptions(const PlatWindowOptions &options)
{
    gOptions = options;
}

bool SdlCreateWindow(const char *title)
{
    SDL_DisplayMode desktop{};
    SDL_GetDesktopDisplayMode(0, &desktop);
    SDL_Rect usable{0, 0, desktop.w, desktop.h};
    SDL_GetDisplayUsableBounds(0, &usable);
    gWindowW = gOptions.WindowW;
    gWindowH = gOptions.WindowH;
    if (gWindowW <= 0 || gWindowH <= 0)
        DefaultWindowSize(usable.w, usable.h, &gWindowW, &gWindowH);
    gWindowed = gOptions.Windowed;
    if (gWindowed) {
        gWindow = SDL_CreateWindow(title, SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, gWindowW, gWindowH,
                                   SDL_WINDOW_RESIZABLE | SDL_WINDOW_HIDDEN);
    } else {
        const Uint32 flags =
            SDL_WINDOW_BORDERLESS | (gRealMode ? SDL_WINDOW_FULLSCREEN : SDL_WINDOW_FULLSCREEN_DESKTOP);
        gWindow = SDL_CreateWindow(title, 0, 0, gRealMode ? gMode.w : desktop.w, gRealMode ? gMode.h : desktop.h,
                                   flags | SDL_WINDOW_HIDDEN);
    }
    if (!gWindow) {
        PlatSetError("Unable to initialize the window! (%s)", SDL_GetError());
        return false;
    }
    if (gRealMode && !gWindowed)
        SDL_SetWindowDisplayMode(gWindow, &gMode);
    // Vsync where the renderer offers it (the dummy driver's does not).
    const Uint32 vsync = gOptions.VSync ? SDL_RENDERER_PRESENTVSYNC : 0;
    gRenderer = SDL_CreateRenderer(gWindow, -1, SDL_RENDERER_ACCELERATED | vsync);
    if (!gRenderer && vsync)
        gRenderer = SDL_CreateRenderer(gWindow, -1, SDL_RENDERER_ACCELERATED);
    if (!gRenderer)
        gRenderer = SDL_CreateRenderer(gWindow, -1, SDL_RENDERER_SOFTWARE | vsync);
    if (!gRenderer && vsync)
        gRenderer = SDL_CreateRenderer(gWindow, -1, SDL_RENDERER_SOFTWARE);
    if (!gRenderer) {
        PlatSetError("Unable to get Device Context of window! (%s)", SDL_GetError());
        SDL_DestroyWindow(gWindow);
        gWindow = nullptr;
        return false;
    }
    SDL_ShowWindow(gWindow);
    SDL_RaiseWindow(gWindow);
    SDL_ShowCursor(gWindowed ? SDL_ENABLE : SDL_DISABLE);
    FollowWindowSize();
    return true;
}

void SdlDestroyWindow()
{
    if (gTexture)
        SDL_DestroyTexture(gTexture);
    if (gRenderer)
        SDL_DestroyRenderer(gRenderer);
    if (gWindow)
        SDL_DestroyWindow(gWindow);
    gTexture = nullptr;
    gRenderer = nullptr;
    gWindow = nullptr;
    gTextureW = gTextureH = 0;
    gShown = nullptr;
    SDL_ShowCursor(SDL_ENABLE);
}

void SdlClearScreen()
{
    Draw(nullptr);
}

int SdlGetMessage(MSG *msg)
{
    for (;;) {
        if (MessageQueuePop(msg))
            return 1;
        PresentPending();
        SDL_Event ev;
        if (SDL_WaitEventTimeout(&ev, 50)) {
            if (ev.type == gWakeEvent) {
                gWakePending = false;
                continue;
            }
            if (IsAltEnter(ev)) {
                if (!ev.key.repeat)
                    SetWindowed(!gWindowed);
                continue;
            }
            if (ev.type == SDL_WINDOWEVENT && ev.window.event == SDL_WINDOWEVENT_SIZE_CHANGED) {
                FollowWindowSize();
                Draw(gShown);
                continue;
            }
            if (Translate(ev, msg)) {
                if (msg->message == WM_PAINT)
                    Draw(gShown); // the window was uncovered: show the last frame again
                return 1;
            }
        }
    }
}

void SdlPresent(const PlatPresentation &frame)
{
    const double start = RealMilliseconds();
    MailboxPost(gBox, frame);
    gPostMicros += static_cast<long long>((RealMilliseconds() - start) * 1000.0);
    gPostCount++;
    SdlWakeWindowThread();
}

void SdlWakeWindowThread()
{
    if (gWakeEvent == static_cast<Uint32>(-1) || gWakePending.exchange(true))
        return;
    SDL_Event ev{};
    ev.type = gWakeEvent;
    if (SDL_PushEvent(&ev) != 1)
        gWakePending = false;
}

void SdlMessageBox(const char *text, const char *caption)
{
    SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_ERROR, caption, text, nullptr);
}
