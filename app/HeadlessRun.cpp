// Headless runs: the frame sinks behind --record, --frames/--at and --bench:
// a video with the music as its sound track, PNG pictures at chosen music
// positions, the per-scene timing table; and the guard that ends a run whose
// music has ended.
#include "Gen32.h"
#include "PngWrite.h"
#include "Runtime.h"

#include <cerrno>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>

// ---- Sinks -----------------------------------------------------------------

namespace {

struct THeadlessRun {
    TRunOptions Options;
    VideoSink *Video = nullptr;
    std::string WavPath;
    double EndSeconds = 0;        // length of the demo in the video
    bool Started = false;         // the first clock step has been seen
    uint32_t OriginMs = 0;        // virtual time of the music's start
    uint32_t LastMs = 0;
    long VideoFrames = 0;
    const uint32_t *Screen = nullptr;
    std::vector<uint32_t> Black;  // the screen before the first frame
    int ScreenW = 400, ScreenH = 300;
    bool Closing = false;
    bool Failed = false;
    std::chrono::steady_clock::time_point RealStart, LastProgress;
};

THeadlessRun gRun;

constexpr int kVideoFps = 30;

bool Reached(const TFrameTarget &t, int order, int row, double seconds)
{
    if (t.InSeconds)
        return seconds + 1e-9 >= t.Seconds;
    return order > t.Order || (order == t.Order && row >= t.Row);
}

void CloseOnce(const char *why)
{
    if (gRun.Closing)
        return;
    gRun.Closing = true;
    if (why)
        std::fprintf(stderr, "%sveltrane: %s\n", gRun.Video ? "\n" : "", why);
    PostMessageA(hMainAppWnd, WM_CLOSE, 0, 0);
}

void WriteTarget(TFrameTarget &t, const uint32_t *screen, int w, int h)
{
    t.Written = true;
    const std::string path = (std::filesystem::path(gRun.Options.FramesDir) / t.FileName).string();
    if (WritePngXrgb(path, screen, w, h, w)) {
        std::fprintf(stderr, "veltrane: wrote %s\n", path.c_str());
    } else {
        std::fprintf(stderr, "veltrane: could not write %s\n", path.c_str());
        gRun.Failed = true;
    }
}

void CheckTargets(bool fromClock)
{
    if (gRun.Options.At.empty())
        return;
    FMUSIC_MODULE *song = FMUSIC_CurrentSong();
    const int order = FMUSIC_GetOrder(song);
    const int row = FMUSIC_GetRow(song);
    const double seconds = FMUSIC_GetSeconds(song);
    const uint32_t *screen = gRun.Screen ? gRun.Screen : gRun.Black.data();
    bool all = true;
    for (TFrameTarget &t : gRun.Options.At) {
        if (t.Written)
            continue;
        if (fromClock && t.Armed) {
            // A whole frame period went by without a new frame: the screen
            // still shows the last one, and that is the picture there.
            WriteTarget(t, screen, gRun.ScreenW, gRun.ScreenH);
        } else if (Reached(t, order, row, seconds)) {
            if (fromClock)
                t.Armed = true; // the frame drawn at this position comes next
            else
                WriteTarget(t, screen, gRun.ScreenW, gRun.ScreenH);
        }
        all = all && t.Written;
    }
    if (all)
        CloseOnce(nullptr);
}

void EmitVideoUntil(uint32_t ms)
{
    const uint32_t *screen = gRun.Screen ? gRun.Screen : gRun.Black.data();
    while (gRun.Video && !gRun.Failed) {
        const double at = gRun.OriginMs + gRun.VideoFrames * 1000.0 / kVideoFps;
        if (at >= ms)
            break;
        if (!VideoSinkWrite(gRun.Video, screen)) {
            gRun.Failed = true;
            CloseOnce("the video encoder stopped (see its message above)");
            break;
        }
        gRun.VideoFrames++;
    }
}

void ShowProgress(uint32_t ms, bool last)
{
    const auto now = std::chrono::steady_clock::now();
    if (!last && now - gRun.LastProgress < std::chrono::milliseconds(250))
        return;
    gRun.LastProgress = now;
    const double done = (ms - gRun.OriginMs) / 1000.0, total = std::max(gRun.EndSeconds, 1.0);
    const double part = std::min(done / total, 1.0);
    const double real = std::chrono::duration<double>(now - gRun.RealStart).count();
    const double left = part > 0.01 ? real * (1.0 - part) / part : 0.0;
    char bar[31];
    const int fill = static_cast<int>(part * 30);
    for (int i = 0; i < 30; i++)
        bar[i] = i < fill ? '#' : '.';
    bar[30] = '\0';
    std::fprintf(stderr, "\rrecording [%s] %3d%%  %d:%02d of %d:%02d  about %d s left  ", bar,
                 static_cast<int>(part * 100), static_cast<int>(done) / 60, static_cast<int>(done) % 60,
                 static_cast<int>(total) / 60, static_cast<int>(total) % 60, static_cast<int>(left + 0.5));
    if (last)
        std::fputc('\n', stderr);
}

void OnFrame(const uint32_t *screen, int w, int h, uint32_t, void *)
{
    gRun.Screen = screen;
    gRun.ScreenW = w;
    gRun.ScreenH = h;
    CheckTargets(false);
}

void OnClock(uint32_t fromMs, uint32_t toMs, void *)
{
    if (!gRun.Started) {
        gRun.Started = true;
        gRun.OriginMs = fromMs;
    }
    gRun.LastMs = toMs;
    if (gRun.Video) {
        EmitVideoUntil(toMs);
        ShowProgress(toMs, false);
    }
    CheckTargets(true);
    if (FMUSIC_HasEnded(FMUSIC_CurrentSong()))
        CloseOnce(bTestOnly ? "the music has ended" : "the music ended before the timeline did");
}

std::string WavPathFor(const std::string &video)
{
    std::filesystem::path p(video);
    return p.replace_extension(".wav").string();
}

} // namespace

bool StartHeadlessRun(const TRunOptions &options)
{
    gRun = THeadlessRun{};
    gRun.Options = options;
    gRun.ScreenW = GetSystemMetrics(SM_CXSCREEN);
    gRun.ScreenH = GetSystemMetrics(SM_CYSCREEN);
    gRun.Black.assign(static_cast<size_t>(gRun.ScreenW) * gRun.ScreenH, 0u);
    gRun.RealStart = gRun.LastProgress = std::chrono::steady_clock::now();
    bBenchScenes = options.Bench ? 1 : 0;

    if (!options.FramesDir.empty()) {
        std::error_code ec;
        std::filesystem::create_directories(options.FramesDir, ec);
        if (!std::filesystem::is_directory(options.FramesDir)) {
            std::fprintf(stderr, "veltrane: cannot create the folder %s%s%s\n", options.FramesDir.c_str(),
                         ec ? ": " : "", ec ? ec.message().c_str() : "");
            return false;
        }
    }
    if (!options.Record.empty()) {
        const std::filesystem::path folder = std::filesystem::path(options.Record).parent_path();
        std::error_code ec;
        if (!folder.empty())
            std::filesystem::create_directories(folder, ec);
        // The sound track first: the whole song as it will play, to a WAV
        // beside the video, which the encoder then takes as its second input.
        char module[4096], error[512];
        ZentrixResolvePath("Data\\Kestrun.it", module, sizeof(module));
        gRun.WavPath = WavPathFor(options.Record);
        double song = 0;
        std::fprintf(stderr, "veltrane: rendering the music to %s\n", gRun.WavPath.c_str());
        // The demo ends at 53:60; the test picture jumps to order 60 and
        // stays until the music ends.
        if (!MusicRenderWav(module, gRun.WavPath.c_str(), 44100, bTestOnly ? 60 : 0, bTestOnly ? -1 : 53, 60, &song,
                            &gRun.EndSeconds, error, sizeof(error))) {
            std::fprintf(stderr, "veltrane: %s\n", error);
            return false;
        }
        gRun.EndSeconds += 0.5; // the last frames after the final position
        gRun.Video = VideoSinkOpen(options.Record.c_str(), gRun.WavPath.c_str(), gRun.ScreenW, gRun.ScreenH,
                                   kVideoFps, gRun.EndSeconds, error, sizeof(error));
        if (!gRun.Video) {
            std::fprintf(stderr, "veltrane: %s\n", error);
            return false;
        }
    }
    PlatSetFrameHook(OnFrame, nullptr);
    PlatSetClockHook(OnClock, nullptr);
    return true;
}

bool FinishHeadlessRun()
{
    PlatSetFrameHook(nullptr, nullptr);
    PlatSetClockHook(nullptr, nullptr);
    bool ok = !gRun.Failed;
    if (gRun.Video) {
        // The last frame stays on screen for the rest of its frame period.
        EmitVideoUntil(gRun.LastMs + 34);
        ShowProgress(gRun.LastMs, true);
        char error[512] = "";
        if (!VideoSinkClose(gRun.Video, error, sizeof(error))) {
            std::fprintf(stderr, "veltrane: %s\n", error);
            ok = false;
        } else if (ok) {
            std::fprintf(stderr, "veltrane: wrote %s (%ld frames, %.1f s; music also in %s)\n",
                         gRun.Options.Record.c_str(), gRun.VideoFrames, gRun.VideoFrames / double(kVideoFps),
                         gRun.WavPath.c_str());
        }
        gRun.Video = nullptr;
    }
    for (const TFrameTarget &t : gRun.Options.At) {
        if (!t.Written) {
            std::fprintf(stderr, "veltrane: the music never reached %s, so %s was not written\n", t.Label.c_str(),
                         t.FileName.c_str());
            ok = false;
        }
    }
    if (gRun.Options.Bench)
        PrintSceneBench(stdout);
    return ok;
}
