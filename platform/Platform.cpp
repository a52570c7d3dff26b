// The platform layer's front: the backend choice, the error text, the posted
// message queue and the window calls, each handed to the SDL or the headless
// backend.
#include "PlatformInternal.h"

#include <condition_variable>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <mutex>

struct PlatWindow {
    int Unused;
};
struct PlatDC {
    int Unused;
};

PlatBackend gPlatBackend = PLAT_HEADLESS;
WNDPROC gWndProc = nullptr;
PlatWindow *gMainWindow = nullptr;

namespace {

PlatWindow gWindow;
PlatDC gWindowDC;
bool gStarted = false;
bool gDestroyed = false; // window thread only

std::mutex gErrorLock;
char gError[512] = "";

// Posted messages: a fixed ring, so posting never allocates.
constexpr int kQueueSize = 256;
std::mutex gQueueLock;
std::condition_variable gQueueSignal;
MSG gQueue[kQueueSize];
int gQueueHead = 0, gQueueCount = 0;
bool gQuitPosted = false;

} // namespace

void PlatSetError(const char *format, ...)
{
    std::lock_guard<std::mutex> hold(gErrorLock);
    va_list args;
    va_start(args, format);
    std::vsnprintf(gError, sizeof(gError), format, args);
    va_end(args);
}

const char *PlatLastError()
{
    return gError;
}

bool PlatInit(PlatBackend backend)
{
    if (gStarted)
        return backend == gPlatBackend;
    gPlatBackend = backend;
    MessageQueueClear();
    gStarted = backend == PLAT_SDL ? SdlInit() : HeadlessInit();
    return gStarted;
}

PlatBackend PlatGetBackend()
{
    return gPlatBackend;
}

void PlatShutdown()
{
    if (!gStarted)
        return;
    if (gPlatBackend == PLAT_SDL)
        SdlShutdown();
    gMainWindow = nullptr;
    gWndProc = nullptr;
    gStarted = false;
}

// ---- Display modes ---------------------------------------------------------

bool PlatEnumDisplayMode(int index, PlatDisplayMode *mode)
{
    // The headless backend has no real modes: every mode is emulated.
    return gPlatBackend == PLAT_SDL && SdlEnumDisplayMode(index, mode);
}

bool PlatChangeDisplayMode(const PlatDisplayMode *mode, bool testOnly)
{
    if (gPlatBackend == PLAT_SDL)
        return SdlChangeDisplayMode(mode, testOnly);
    return mode == nullptr;
}

void PlatEmulateDisplayMode(long width, long height)
{
    if (width < 1 || height < 1 || width > 8192 || height > 8192)
        return;
    if (gPlatBackend == PLAT_SDL)
        SdlEmulateDisplayMode(width, height);
    else
        HeadlessEmulateDisplayMode(width, height);
}

int GetSystemMetrics(int index)
{
    return gPlatBackend == PLAT_SDL ? SdlScreenMetric(index) : HeadlessScreenMetric(index);
}

// ---- Posted messages ---------------------------------------------------------

bool MessageQueuePush(const MSG &msg)
{
    {
        std::lock_guard<std::mutex> hold(gQueueLock);
        if (msg.message == WM_QUIT) {
            gQuitPosted = true;
        } else {
            if (gQueueCount == kQueueSize)
                return false;
            gQueue[(gQueueHead + gQueueCount) % kQueueSize] = msg;
            gQueueCount++;
        }
    }
    gQueueSignal.notify_all();
    if (gPlatBackend == PLAT_SDL)
        SdlWakeWindowThread();
    return true;
}

static bool PopLocked(MSG *msg)
{
    if (gQueueCount > 0) {
        *msg = gQueue[gQueueHead];
        gQueueHead = (gQueueHead + 1) % kQueueSize;
        gQueueCount--;
        return true;
    }
    if (gQuitPosted) {
        // Like the original: the quit message comes once the queue is empty.
        gQuitPosted = false;
        *msg = MSG{gMainWindow, WM_QUIT, 0, 0};
        return true;
    }
    return false;
}

bool MessageQueuePop(MSG *msg)
{
    std::lock_guard<std::mutex> hold(gQueueLock);
    return PopLocked(msg);
}

bool MessageQueueWait(MSG *msg, int timeoutMs)
{
    std::unique_lock<std::mutex> hold(gQueueLock);
    gQueueSignal.wait_for(hold, std::chrono::milliseconds(timeoutMs),
                          [] { return gQueueCount > 0 || gQuitPosted; });
    return PopLocked(msg);
}

void MessageQueueClear()
{
    std::lock_guard<std::mutex> hold(gQueueLock);
    gQueueHead = gQueueCount = 0;
    gQuitPosted = false;
}

int PostMessageA(HWND hWnd, unsigned message, WPARAM wParam, LPARAM lParam)
{
    return MessageQueuePush(MSG{hWnd, message, wParam, lParam}) ? 1 : 0;
}

void PostQuitMessage(int)
{
    MessageQueuePush(MSG{gMainWindow, WM_QUIT, 0, 0});
}

// ---- Window ----------------------------------------------------------------

void PlatSetWindowOptions(const PlatWindowOptions &options)
{
    SdlSetWindowOptions(options);
}

HWND PlatCreateWindow(const char *title, WNDPROC proc)
{
    if (!gStarted || !proc) {
        PlatSetError("the platform layer is not started");
        return nullptr;
    }
    if (gPlatBackend == PLAT_SDL && !SdlCreateWindow(title))
        return nullptr;
    gWndProc = proc;
    gMainWindow = &gWindow;
    gDestroyed = false;
    return gMainWindow;
}

HDC GetDC(HWND hWnd)
{
    return hWnd && hWnd == gMainWindow ? &gWindowDC : nullptr;
}

int ReleaseDC(HWND hWnd, HDC hdc)
{
    return hWnd == gMainWindow && hdc == &gWindowDC ? 1 : 0;
}

void PlatClearScreen()
{
    if (gPlatBackend == PLAT_SDL)
        SdlClearScreen();
}

int GetMessageA(MSG *msg)
{
    if (gPlatBackend == PLAT_SDL) {
        if (!SdlGetMessage(msg))
            return 0;
    } else {
        while (!MessageQueueWait(msg, 1000)) {
        }
    }
    return msg->message == WM_QUIT ? 0 : 1;
}

LRESULT DispatchMessageA(const MSG *msg)
{
    // After WM_DESTROY the window is gone: a second close request posted
    // meanwhile must not tear everything down twice.
    if (!gWndProc || gDestroyed || !msg->hwnd || msg->hwnd != gMainWindow)
        return 0;
    return gWndProc(msg->hwnd, msg->message, msg->wParam, msg->lParam);
}

int DestroyWindow(HWND hWnd)
{
    if (!hWnd || hWnd != gMainWindow || !gWndProc || gDestroyed)
        return 0;
    gDestroyed = true;
    gWndProc(hWnd, WM_DESTROY, 0, 0);
    if (gPlatBackend == PLAT_SDL)
        SdlDestroyWindow();
    return 1;
}

LRESULT DefWindowProcA(HWND, unsigned, WPARAM, LPARAM)
{
    return 0;
}

int GetClientRect(HWND hWnd, RECT *rect)
{
    if (!rect || !hWnd)
        return 0;
    *rect = RECT{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    return 1;
}

int MessageBeep(unsigned)
{
    std::fputs("veltrane: *beep*\n", stderr);
    return 1;
}

int MessageBoxA(HWND, const char *text, const char *caption, unsigned)
{
    // On the terminal, the program's name leads like every other message;
    // the caption is the window's.
    std::fprintf(stderr, "veltrane: %s\n", text ? text : "");
    std::fflush(stderr);
    if (gPlatBackend == PLAT_SDL)
        SdlMessageBox(text ? text : "", caption ? caption : "");
    return 1;
}

void PlatPresent(const PlatPresentation &frame)
{
    if (gPlatBackend == PLAT_SDL)
        SdlPresent(frame);
    else
        HeadlessPresent(frame);
}
