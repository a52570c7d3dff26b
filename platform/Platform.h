// The platform layer: what the program needs of the window system, the
// millisecond timer and the music library, behind one narrow interface with
// two backends (SDL2 for a real window and sound; headless with a virtual
// clock and frame sinks for tests, benchmarks and video export).
//
// The shell and sequencer include only this header and WinTypes.h.
#pragma once

#include "WinTypes.h"

#include <cstdint>

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

// ---- Window --------------------------------------------------------------

// Shows a message box (stderr as well; headless: stderr only). Returns 1.
int MessageBoxA(HWND owner, const char *text, const char *caption, unsigned type);
// Queues a message for the window procedure; callable from any thread.
int PostMessageA(HWND hWnd, unsigned message, WPARAM wParam, LPARAM lParam);
