// The platform layer: what the program needs of the window system, the
// millisecond timer and the music library, behind one narrow interface with
// two backends (SDL2 for a real window and sound; headless with a virtual
// clock and frame sinks for tests, benchmarks and video export).
//
// The shell and sequencer include only this header and WinTypes.h.
#pragma once

#include "WinTypes.h"

#include <cstdint>
#include <cstdio>

// ---- Clock ---------------------------------------------------------------

// Milliseconds since start-up. Headless: the virtual clock.
uint32_t timeGetTime();
// Asks for a 10 ms timer resolution; 0 (no error) when granted.
unsigned timeBeginPeriod(unsigned ms);
unsigned timeEndPeriod(unsigned ms);
// Milliseconds of the C library clock (the fallback clock). Headless: the
// virtual clock as well.
long ClockMilliseconds();
// Gives the processor back until the clock reads `due` (the real backend
// wakes shortly before and lets the caller poll the rest; the headless one
// moves the virtual clock to `due`, rendering the music up to it).
void WaitForClock(uint32_t due);

// ---- Music (a tracker module, played in the background) ----------------

struct FMUSIC_MODULE;

// Nonzero low byte on success.
int FSOUND_Init(int mixrate, int maxchannels);
const char *FSOUND_Error();
FMUSIC_MODULE *FMUSIC_LoadSong(const char *name);
const char *FMUSIC_Error();
int FMUSIC_PlaySong(FMUSIC_MODULE *mod);
// Order and row being heard now (the output latency is compensated).
int FMUSIC_GetOrder(FMUSIC_MODULE *mod);
int FMUSIC_GetRow(FMUSIC_MODULE *mod);
// Jumps to the start of an order; an order past the end is ignored.
int FMUSIC_SetOrder(FMUSIC_MODULE *mod, int order);
int FMUSIC_FreeSong(FMUSIC_MODULE *mod);
void FSOUND_Close();

// Music of the song being played (null when none): what the window thread
// uses for key F6, so it never reads a handle the render thread is freeing.
FMUSIC_MODULE *FMUSIC_CurrentSong();
// Playing position in seconds of what is heard now (0 when no song).
double FMUSIC_GetSeconds(FMUSIC_MODULE *mod);
// True once the song has played to its end.
bool FMUSIC_HasEnded(FMUSIC_MODULE *mod);
// Renders a module file from the start of order `startOrder` to its end into
// a 16-bit stereo WAV file at `rate`. Also gives the length of what was
// rendered and the time, from the same start, at which order `endOrder`, row
// `endRow` begins (that length when the position does not exist). False with
// `error` filled in.
bool MusicRenderWav(const char *moduleFile, const char *wavPath, int rate, int startOrder, int endOrder, int endRow,
                    double *songSeconds, double *endSeconds, char *error, unsigned errorSize);

// ---- Backends --------------------------------------------------------------

enum PlatBackend { PLAT_SDL, PLAT_HEADLESS };

// Starts a backend (SDL: the video subsystem; headless: the virtual clock and
// a 400 x 300 virtual display). False with PlatLastError() set.
bool PlatInit(PlatBackend backend);
PlatBackend PlatGetBackend();
// Ends the backend (closes the window system); idempotent.
void PlatShutdown();
const char *PlatLastError();
// Headless: milliseconds of virtual time since start-up (timeGetTime).
uint32_t PlatVirtualTime();

// ---- Display modes ---------------------------------------------------------

struct PlatDisplayMode {
    long Width, Height, BPP;
};
// Mode `index` of the primary display, counted from 0; false past the last.
bool PlatEnumDisplayMode(int index, PlatDisplayMode *mode);
// Switches to a listed mode (testOnly: only says whether it would succeed).
// Null: back to the desktop's own mode. True on success.
bool PlatChangeDisplayMode(const PlatDisplayMode *mode, bool testOnly);
// Where no real mode of that size exists: a virtual screen of width x height,
// scaled to the whole display with its aspect kept.
void PlatEmulateDisplayMode(long width, long height);

constexpr int SM_CXSCREEN = 0;
constexpr int SM_CYSCREEN = 1;
// The screen size (the virtual screen's when one is emulated).
int GetSystemMetrics(int index);

// ---- Window --------------------------------------------------------------

typedef LRESULT (*WNDPROC)(HWND, unsigned, WPARAM, LPARAM);
struct MSG {
    HWND hwnd;
    unsigned message;
    WPARAM wParam;
    LPARAM lParam;
};
struct RECT {
    long left, top, right, bottom;
};

// How the SDL backend shows the screen in its window (set before the window
// is made; the headless backend has no window and ignores it).
enum PlatScaleFilter { PLAT_FILTER_AUTO, PLAT_FILTER_NEAREST, PLAT_FILTER_LINEAR };
struct PlatWindowOptions {
    bool Windowed = false;          // a resizable desktop window, not full screen
    int WindowW = 0, WindowH = 0;   // its size; 0: a whole multiple of 400 x 300 that fits
    PlatScaleFilter Filter = PLAT_FILTER_AUTO; // auto: nearest at whole scales, else linear
    bool IntegerScale = false;      // only whole multiples of the screen, black around
    bool VSync = true;              // wait for the display's refresh where offered
};
void PlatSetWindowOptions(const PlatWindowOptions &options);

// Creates the one window: borderless over the whole screen (or a desktop
// window, see PlatWindowOptions), cursor hidden, its messages going to
// `proc`. Alt+Enter switches between the two. Null on failure (PlatLastError
// says why).
HWND PlatCreateWindow(const char *title, WNDPROC proc);
// The window's drawing target (kept until the end).
HDC GetDC(HWND hWnd);
int ReleaseDC(HWND hWnd, HDC hdc);
// Paints the whole screen black.
void PlatClearScreen();
// Waits for the next message; 0 when the quit message arrives. The SDL
// backend presents frames handed over by PlatPresent while it waits.
int GetMessageA(MSG *msg);
LRESULT DispatchMessageA(const MSG *msg);
// Sends WM_DESTROY to the window procedure, then removes the window.
int DestroyWindow(HWND hWnd);
void PostQuitMessage(int exitCode);
LRESULT DefWindowProcA(HWND hWnd, unsigned message, WPARAM wParam, LPARAM lParam);
// The client area: the (virtual) screen.
int GetClientRect(HWND hWnd, RECT *rect);
// A short note on stderr (there is no beep).
int MessageBeep(unsigned type);

// The cursor's position on the screen; 1. The window thread keeps it from
// the mouse events it translates, so any thread may ask. Headless: where
// PlatSetCursorPos put it (0, 0 at start).
int GetCursorPos(POINT *point);
void PlatSetCursorPos(long x, long y);

// Shows a message box (stderr as well; headless: stderr only). Returns 1.
int MessageBoxA(HWND owner, const char *text, const char *caption, unsigned type);
// Queues a message for the window procedure; callable from any thread.
int PostMessageA(HWND hWnd, unsigned message, WPARAM wParam, LPARAM lParam);

// ---- Presentation ----------------------------------------------------------

// One frame to show: the rectangle (SrcX, SrcY, SrcW, SrcH) of a page's
// pixels (16-bit 5-6-5 or 32-bit 0x00RRGGBB, `Width` pixels a row) drawn into
// (DstX, DstY, DstW, DstH) of the screen, scaled when the sizes differ, the
// rest of the screen black. The rectangle is clipped to the pixels.
// WholeWindow: the destination is the whole screen and the window shows it
// over its whole area, aspect not kept (the stretched picture).
struct PlatPresentation {
    const void *Pixels;
    int Width, Height, BPP;
    int SrcX, SrcY, SrcW, SrcH;
    int DstX, DstY, DstW, DstH;
    bool WholeWindow = false;
};
// Called on the render thread. SDL: copies the pixels into the latest-wins
// mailbox for the window thread. Headless: composes the screen and hands it
// to the frame hook at once.
void PlatPresent(const PlatPresentation &frame);

// Headless: called for every presented frame with the composed screen
// (ScreenWidth x ScreenHeight pixels, 0x00RRGGBB) and the virtual time.
typedef void (*PlatFrameHook)(const uint32_t *screen, int width, int height, uint32_t virtualMs, void *user);
void PlatSetFrameHook(PlatFrameHook hook, void *user);
// Headless: called on the render thread each time WaitForClock has moved the
// virtual clock from `fromMs` to `toMs` (and the music along with it).
typedef void (*PlatClockHook)(uint32_t fromMs, uint32_t toMs, void *user);
void PlatSetClockHook(PlatClockHook hook, void *user);

// ---- Video files -------------------------------------------------------------

// An encoder process (ffmpeg, in a process group of its own, killed if we
// die) fed raw frames through a pipe as a Matroska stream of BGRA frames with
// millisecond time stamps. `encoderArgs` (null-terminated) are the output
// options placed before `path`.
struct VideoSink;
VideoSink *VideoSinkOpen(const char *path, int width, int height, const char *const *encoderArgs, char *error,
                         unsigned errorSize);
// One frame of 0x00RRGGBB pixels shown from `ms` on. False when the encoder
// has gone away.
bool VideoSinkWrite(VideoSink *sink, const uint32_t *pixels, uint32_t ms);
// Ends the stream and waits for the encoder. False when it failed, with the
// encoder's last message in `error`.
bool VideoSinkClose(VideoSink *sink, char *error, unsigned errorSize);
// Runs ffmpeg with `args` (null-terminated, after the program name) to its
// end. False with its last message in `error`.
bool RunEncoder(const char *const *args, char *error, unsigned errorSize);
// True when an executable ffmpeg is on the PATH.
bool EncoderAvailable();

// ---- Music for a recording ---------------------------------------------------

// Headless: called on the render thread with every piece of the song rendered
// as the virtual clock moves (16-bit stereo at the mixing rate; silence once
// the song has ended), so a recording gets exactly the sound that was played.
typedef void (*PlatAudioHook)(const int16_t *samples, int frames, void *user);
void PlatSetAudioHook(PlatAudioHook hook, void *user);
// The 44-byte header of a 16-bit stereo PCM WAV file with dataBytes of
// samples at rate frames a second.
void WriteWavHeader(std::FILE *f, int rate, uint32_t dataBytes);
// Seconds from the start of the module file to order `order`, row `row`, the
// song's length, whether playing from the start reaches the position (an
// order reached only by a jump is not), and how much music plays from there
// to the end (each output may be null). False with `error` filled in when the
// file does not load or the position does not exist.
bool MusicPositionSeconds(const char *moduleFile, int order, int row, double *seconds, double *songSeconds,
                          bool *fromStart, double *restSeconds, char *error, unsigned errorSize);
