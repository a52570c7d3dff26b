// The SDL2 backend's window side: display modes from SDL's mode list, one
// borderless window covering the screen, SDL events turned into the
// program's window messages, and the window thread's half of presentation
// (mailbox -> streaming texture -> screen, scaled to the virtual screen).
#include "PlatformInternal.h"

#include <SDL.h>

#include <atomic>
#include <cstdio>

namespace {

SDL_Window *gWindow = nullptr;
SDL_Renderer *gRenderer = nullptr;
SDL_Texture *gTexture = nullptr;
int gTextureW = 0, gTextureH = 0;
Uint32 gWakeEvent = 0;
std::atomic<bool> gWakePending{false};

// The screen the program sees: the desktop, a real mode or a virtual screen.
std::atomic<long> gScreenW{0}, gScreenH{0};
bool gRealMode = false;
SDL_DisplayMode gMode{};

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
    default: return 0;
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
        if (ev.key.keysym.sym == SDLK_F12) {
            // A key the demo leaves free: the menu's "&Save" command.
            msg->message = WM_COMMAND;
            msg->wParam = 40011;
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
        msg->message = ev.type == SDL_MOUSEBUTTONDOWN ? WM_LBUTTONDOWN : WM_LBUTTONUP;
        msg->lParam = static_cast<LPARAM>((static_cast<uint32_t>(ev.button.y) & 0xFFFF) << 16 |
                                          (static_cast<uint32_t>(ev.button.x) & 0xFFFF));
        return true;
    default:
        return false;
    }
}

void Draw(const FrameSlot *slot)
{
    if (!gRenderer)
        return;
    SDL_SetRenderDrawColor(gRenderer, 0, 0, 0, 255);
    SDL_RenderClear(gRenderer);
    if (slot && slot->W > 0 && slot->H > 0) {
        if (!gTexture || slot->W > gTextureW || slot->H > gTextureH) {
            if (gTexture)
                SDL_DestroyTexture(gTexture);
            gTexture = SDL_CreateTexture(gRenderer, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_STREAMING,
                                         slot->W, slot->H);
            gTextureW = gTexture ? slot->W : 0;
            gTextureH = gTexture ? slot->H : 0;
        }
        if (gTexture) {
            const SDL_Rect src{0, 0, slot->W, slot->H};
            const SDL_Rect dst{slot->DstX, slot->DstY, slot->DstW, slot->DstH};
            SDL_UpdateTexture(gTexture, &src, slot->Pixels.data(), slot->W * 4);
            SDL_RenderCopy(gRenderer, gTexture, &src, &dst);
        }
    }
    SDL_RenderPresent(gRenderer);
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
    SDL_SetHint(SDL_HINT_RENDER_SCALE_QUALITY, "linear");
    if (SDL_Init(SDL_INIT_VIDEO | SDL_INIT_EVENTS) != 0) {
        PlatSetError("Unable to start the window system: %s", SDL_GetError());
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
    gRealMode = false;
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
        if (gWindow && gRealMode)
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
        gScreenW = m.w;
        gScreenH = m.h;
        if (gWindow) {
            SDL_SetWindowDisplayMode(gWindow, &gMode);
            SDL_SetWindowFullscreen(gWindow, SDL_WINDOW_FULLSCREEN);
            if (gRenderer)
                SDL_RenderSetLogicalSize(gRenderer, m.w, m.h);
        }
        return true;
    }
    return false;
}

void SdlEmulateDisplayMode(long width, long height)
{
    gRealMode = false;
    gScreenW = width;
    gScreenH = height;
    if (gRenderer)
        SDL_RenderSetLogicalSize(gRenderer, static_cast<int>(width), static_cast<int>(height));
}

int SdlScreenMetric(int index)
{
    return static_cast<int>(index == SM_CXSCREEN ? gScreenW.load() : index == SM_CYSCREEN ? gScreenH.load() : 0);
}

bool SdlCreateWindow(const char *title)
{
    SDL_DisplayMode desktop{};
    SDL_GetDesktopDisplayMode(0, &desktop);
    const Uint32 flags = SDL_WINDOW_BORDERLESS | (gRealMode ? SDL_WINDOW_FULLSCREEN : SDL_WINDOW_FULLSCREEN_DESKTOP);
    gWindow = SDL_CreateWindow(title, 0, 0, gRealMode ? gMode.w : desktop.w, gRealMode ? gMode.h : desktop.h,
                               flags | SDL_WINDOW_HIDDEN);
    if (!gWindow) {
        PlatSetError("Unable to initialize the window! (%s)", SDL_GetError());
        return false;
    }
    if (gRealMode)
        SDL_SetWindowDisplayMode(gWindow, &gMode);
    gRenderer = SDL_CreateRenderer(gWindow, -1, SDL_RENDERER_ACCELERATED | SDL_RENDERER_PRESENTVSYNC);
    if (!gRenderer)
        gRenderer = SDL_CreateRenderer(gWindow, -1, SDL_RENDERER_ACCELERATED);
    if (!gRenderer)
        gRenderer = SDL_CreateRenderer(gWindow, -1, SDL_RENDERER_SOFTWARE);
    if (!gRenderer) {
        PlatSetError("Unable to get Device Context of window! (%s)", SDL_GetError());
        SDL_DestroyWindow(gWindow);
        gWindow = nullptr;
        return false;
    }
    SDL_RenderSetLogicalSize(gRenderer, static_cast<int>(gScreenW.load()), static_cast<int>(gScreenH.load()));
    SDL_ShowWindow(gWindow);
    SDL_RaiseWindow(gWindow);
    SDL_ShowCursor(SDL_DISABLE);
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
