// The render thread: builds the drawing state, starts the music, runs the
// demo timeline until the music has passed its last step or the program is
// closing, then releases the music and asks the window to close.
#include "Gen32.h"
#include "Runtime.h"

std::atomic<int> AppExitStatus{0};

namespace {

// Shows a failure that ends the program and asks the window to close.
void FailAndClose(HWND owner, const char *text, const char *caption)
{
    MessageBoxA(owner, text, caption, MB_ICONSTOP);
    AppExitStatus = 1;
    PostMessageA(hMainAppWnd, WM_CLOSE, 0, 0);
}

} // namespace

void ThreadProc(long)
{
    // WinMain has set ThreadRunning to 1 already, before starting this
    // thread, so a close that comes first still waits for it.
    ThreadRunning = 1;
    GetBackgroundPic();
    if (!InitAppMemory()) {
        FailAndClose(nullptr, "Unable to allocate enough memory for this program!", szAppTitle);
    } else if (ApplicationFin.load()) {
        // Closed while the drawing state was being built: no music to start.
    } else if (!(FSOUND_Init(44100, 64) & 0xFF)) {
        FailAndClose(hMainAppWnd, FSOUND_Error(), "Error!");
    } else if (!(mod = FMUSIC_LoadSong("Data\\Kestrun.it"))) {
        FailAndClose(hMainAppWnd, FMUSIC_Error(), "Error!");
        FSOUND_Close(); // the sound device is not left running
    } else {
        FMUSIC_PlaySong(mod);
        UseHiResTimer = timeBeginPeriod(10) == 0 ? 1 : 0;
        HandleDemo();
        if (UseHiResTimer == 1)
            timeEndPeriod(10);
        FMUSIC_FreeSong(mod);
        mod = nullptr;
        FSOUND_Close();
    }
    if (ApplicationFin.load() == 0)
        PostMessageA(hMainAppWnd, WM_CLOSE, 0, 0);
    ThreadRunning = 0;
}
