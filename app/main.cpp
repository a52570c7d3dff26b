// The program's entry point: reads the options, finds the data folder,
// switches the display mode, creates the window, starts the render thread
// and pumps window messages until the window is gone.
#include "Gen32.h"
#include "Modes.h"
#include "HostSystem.h"
#include "Runtime.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <system_error>
#include <thread>

namespace {

// The folder of the running program, for the Data folder beside it.
std::filesystem::path ProgramFolder(const char *argv0)
{
    std::error_code ec;
    const char *self = PlatProgramPath();
    if (*self)
        return std::filesystem::path(self).parent_path();
    return std::filesystem::absolute(argv0, ec).parent_path();
}

int Fail(const char *text)
{
    MessageBoxA(nullptr, text, szAppTitle, MB_ICONSTOP);
    return 1;
}

} // namespace

int main(int argc, char **argv)
{
    TRunOptions options;
    std::string error;
    if (!ParseRunOptions(argc, argv, &options, &error)) {
        // The usage line alone; --help has the rest.
        const char *nl = std::strchr(kUsage, '\n');
        std::fprintf(stderr, "veltrane: %s\n%.*s (--help lists every option and key)\n", error.c_str(),
                     static_cast<int>(nl ? nl - kUsage : std::strlen(kUsage)), kUsage);
        return 2;
    }
    if (options.Help) {
        std::fputs(kUsage, stdout);
        return 0;
    }
    if (options.Version) {
        std::printf("%s\n", kVersion);
        return 0;
    }

    const std::filesystem::path data =
        options.DataDir.empty() ? ProgramFolder(argv[0]) / "Data" : std::filesystem::path(options.DataDir);
    std::error_code ec;
    if (!std::filesystem::is_directory(data, ec)) {
        std::fprintf(stderr, "veltrane: the data folder is missing: looked for %s (build it with the `data` target, "
                             "or give another with --data DIR)\n", std::filesystem::absolute(data, ec).string().c_str());
        return 1;
    }
    ZentrixSetDataFolder(data.string().c_str());
    if (options.Loops >= 0)
        ZentrixUseSimd(options.Loops);

#ifdef _WIN32
    const bool hasDisplay = true; // the desktop is always there
#else
    const bool hasDisplay = std::getenv("DISPLAY") || std::getenv("WAYLAND_DISPLAY");
#endif
    if (!options.Headless && !hasDisplay) {
        std::fputs("veltrane: no display (DISPLAY and WAYLAND_DISPLAY are unset); to make a video of the demo "
                   "instead, run: veltrane --record demo.mp4\n", stderr);
        return 1;
    }
    if (!PlatInit(options.Headless ? PLAT_HEADLESS : PLAT_SDL)) {
        std::fprintf(stderr, "veltrane: %s\n", PlatLastError());
        return 1;
    }
    if (!options.Headless)
        PlatLeaveOwnConsole();

    ProcessCommandLine(options.CommandLine.c_str());
    bTraceSteps = options.Trace ? 1 : 0;
    // Only one instance runs per process here, so the original's check for
    // a previous instance has nothing to find.
    if (bModeChange != 0)
        ChooseDisplayMode(UserWidth, UserHeight, UserBPP);
    ScreenWidth = GetSystemMetrics(SM_CXSCREEN);
    ScreenHeight = GetSystemMetrics(SM_CYSCREEN);

    if (options.Headless)
        InstallInterruptHandlers();
    if (options.Headless && !StartHeadlessRun(options)) {
        PlatShutdown();
        return 1;
    }
    PlatSetWindowOptions(options.Window);
    hMainAppWnd = PlatCreateWindow(szAppName, WndProc);
    if (!hMainAppWnd)
        return Fail("Unable to initialize the window!");
    hDrawWindowDC = GetDC(hMainAppWnd);
    if (!hDrawWindowDC)
        return Fail("Unable to get Device Context of window!");
    PlatClearScreen();

    // Set before the thread starts, so that a close that comes first still
    // waits for the thread instead of freeing what it is about to use.
    ThreadRunning = 1;
    std::thread render;
    try {
        render = std::thread(ThreadProc, 0L);
    } catch (const std::system_error &) {
        ThreadRunning = 0;
        return Fail("Unable to create a new thread!");
    }

    MSG msg;
    while (GetMessageA(&msg))
        DispatchMessageA(&msg);

    // WM_DESTROY has waited for the render thread (or ended the process).
    render.join();
    ReleaseDC(hMainAppWnd, hDrawWindowDC);
    bool ok = true;
    if (options.Headless)
        ok = FinishHeadlessRun();
    PlatShutdown();
    if (!ok && AppExitStatus.load() == 0)
        AppExitStatus = 1;
    return AppExitStatus.load();
}
