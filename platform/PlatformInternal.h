// What the platform's modules share behind Platform.h: the chosen backend,
// the posted-message queue, the headless music clock and the frame mailbox.
// Nothing outside platform/ (and its tests) includes this header.
#pragma once

#include "Platform.h"

#include <cstdint>
#include <mutex>
#include <vector>

// ---- Backend -------------------------------------------------------------
extern PlatBackend gPlatBackend;
void PlatSetError(const char *format, ...);

// ---- Posted messages (any thread -> window thread) -------------------------
// Queues a message; false when the queue is full (it holds 256).
bool MessageQueuePush(const MSG &msg);
bool MessageQueuePop(MSG *msg);
void MessageQueueClear();

// ---- Clock ----------------------------------------------------------------
// Real time in milliseconds (steady clock since start-up), as a double.
double RealMilliseconds();
// Headless: sets the virtual clock (tests); start-up value is 1000.
void VirtualClockSet(uint32_t ms);

// ---- Music ------------------------------------------------------------------
// Headless: renders the playing song up to virtual time `ms` (samples are
// discarded; the song's position follows the virtual clock exactly).
void MusicAdvanceTo(uint32_t ms);

// ---- Frame mailbox (render thread -> window thread, latest wins) -----------
struct FrameSlot {
    std::vector<uint32_t> Pixels;   // W x H, 0x00RRGGBB
    int W = 0, H = 0;
    int DstX = 0, DstY = 0, DstW = 0, DstH = 0;
    bool WholeWindow = false;
    uint64_t Serial = 0;
};
// Three slots: the writer fills its own, publishing swaps it with the ready
// one; the reader swaps the ready one with its own. Neither ever waits for
// the other's copy, and a reader that is late simply gets the newest frame.
struct FrameMailbox {
    std::mutex Lock;
    FrameSlot Slots[3];
    int Back = 0, Ready = 1, Front = 2;
    bool Fresh = false;
    uint64_t Published = 0;
};
// Copies the frame's source rectangle (clipped, converted to 0x00RRGGBB)
// into the writer's slot and publishes it. Allocates only when a frame is
// larger than any before.
void MailboxPost(FrameMailbox &box, const PlatPresentation &frame);
// The newest frame not yet taken, or null.
const FrameSlot *MailboxTake(FrameMailbox &box);

// Copies a clipped frame's source rectangle into a slot as 0x00RRGGBB.
void CopyToSlot(FrameSlot &slot, const PlatPresentation &clipped);
// Clips a presentation's source rectangle to its pixels (and moves the
// destination with it when the sizes are equal). False when nothing is left.
bool ClipPresentation(PlatPresentation *frame);
// Draws a slot into a screen of sw x sh pixels: black, then the slot's
// pixels scaled (nearest) into its destination rectangle, clipped.
void ComposeFrame(const FrameSlot &slot, uint32_t *screen, int sw, int sh);

// ---- Placing the screen in a window (SDL backend; pure, no SDL) ------------
struct PlaceRect {
    int X, Y, W, H;
};
// The screen (sw x sh) in an output of ow x oh pixels, centred: the largest
// size with the screen's aspect that fits; with `integer`, the largest whole
// multiple that fits (the aspect fit when not even 1x fits).
PlaceRect PlaceScreen(int sw, int sh, int ow, int oh, bool integer);
// The stretched picture (pw x ph pixels): the whole output; with `integer`,
// the largest whole multiple in each direction on its own, centred.
PlaceRect PlaceStretched(int pw, int ph, int ow, int oh, bool integer);
// A rectangle of the screen (sw x sh) mapped into where the screen is placed.
PlaceRect MapToPlacement(const PlaceRect &screen, int sw, int sh, int x, int y, int w, int h);
// Nearest-neighbour filtering for pixels of srcW x srcH drawn at dstW x dstH:
// as asked, or (auto) when both directions scale by a whole number.
bool UseNearestFilter(PlatScaleFilter filter, int srcW, int srcH, int dstW, int dstH);
// The desktop window's default size: the largest whole multiple of 400 x 300
// that fits a desktop area of uw x uh with room for a title bar (at least 1x).
void DefaultWindowSize(int uw, int uh, int *w, int *h);

// ---- Backend entry points (Platform.cpp dispatches to these) ---------------
// Waits up to `timeoutMs` for a posted message (headless message loop).
bool MessageQueueWait(MSG *msg, int timeoutMs);
extern WNDPROC gWndProc;
extern PlatWindow *gMainWindow;

bool SdlInit();
void SdlShutdown();
bool SdlEnumDisplayMode(int index, PlatDisplayMode *mode);
bool SdlChangeDisplayMode(const PlatDisplayMode *mode, bool testOnly);
void SdlEmulateDisplayMode(long width, long height);
int SdlScreenMetric(int index);
bool SdlCreateWindow(const char *title);
void SdlSetWindowOptions(const PlatWindowOptions &options);
void SdlDestroyWindow();
void SdlClearScreen();
int SdlGetMessage(MSG *msg);
void SdlPresent(const PlatPresentation &frame);
void SdlMessageBox(const char *text, const char *caption);
void SdlWakeWindowThread();

bool HeadlessInit();
void HeadlessEmulateDisplayMode(long width, long height);
int HeadlessScreenMetric(int index);
void HeadlessPresent(const PlatPresentation &frame);
