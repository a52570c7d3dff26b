// Headless runs: the frame sinks behind --record, --frames/--at and --bench:
// a video with the music as its sound track, PNG pictures at chosen music
// positions, the per-scene timing table; the guard that ends a run whose
// music has ended, and the stop at the next frame on SIGINT or SIGTERM.
//
// A recording is made in two passes: while the demo runs, every drawn frame
// goes to the encoder with the virtual time it was presented (so the video
// has the demo's own cadence, no frame shown twice) and the music rendered
// along the virtual clock goes to a temporary WAV from the same moment on;
// at the end the two are joined into the file asked for.
#include "Gen32.h"
#include "PngWrite.h"
#include "Runtime.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

#ifdef _WIN32
#include <io.h>
#include <process.h>
#else
#include <unistd.h>
#endif

namespace fs = std::filesystem;

namespace {

// ---- Containers ------------------------------------------------------------

// A file name extension, the container ffmpeg writes for it and the codecs
// that suit it.
struct TContainer {
    const char *Extension;
    const char *Format;
    bool Vp9Opus; // webm: VP9 and Opus; the others: H.264 and AAC
};

const TContainer kContainers[] = {
    {"mp4", "mp4", false}, {"mov", "mov", false}, {"mkv", "matroska", false}, {"webm", "webm", true}};

const TContainer *ContainerFor(const std::string &path)
{
    std::string ext = fs::path(path).extension().string();
    if (ext.size() > 1)
        ext = ext.substr(1);
    std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return char(std::tolower(c)); });
    for (const TContainer &c : kContainers)
        if (ext == c.Extension)
            return &c;
    return nullptr;
}

// ---- Run state -------------------------------------------------------------

struct THeadlessRun {
    TRunOptions Options;
    const TContainer *Container = nullptr;
    VideoSink *Video = nullptr;
    std::string TempVideo, TempAudio; // removed on every exit
    std::FILE *Audio = nullptr;
    uint64_t AudioFrames = 0;         // stereo frames in the temporary WAV
    bool AudioFailed = false;
    bool Recording = false, RecordDone = false;
    uint32_t FirstMs = 0, EndMs = 0;  // virtual times of the recorded part
    long VideoFrames = 0;
    double StartSeconds = 0, EndSeconds = 0; // music time of the part, for progress
    bool Started = false;             // the first clock step has been seen
    uint32_t OriginMs = 0;            // virtual time of the music's start
    uint32_t LastMs = 0;
    const uint32_t *Screen = nullptr;
    std::vector<uint32_t> Black;      // the screen before the first frame
    int ScreenW = 400, ScreenH = 300;
    bool Closing = false;
    bool Failed = false;
    bool LineOpen = false;            // the progress line waits for its end
    // Progress: (real s, music s) samples of the last seconds, for the rate.
    std::chrono::steady_clock::time_point RealStart, LastProgress;
    double RateReal[32] = {}, RateDone[32] = {};
    int RateCount = 0;
    uint64_t Digest = 0;              // --digest: of every frame shown so far
    long DigestFrames = 0;
};

THeadlessRun gRun;

constexpr int kRate = 44100;
// Written by the signal handler, read by the render and main threads (a
// lock-free atomic is safe in a handler).
std::atomic<int> gSignal{0};
static_assert(std::atomic<int>::is_always_lock_free, "the signal flag must be lock-free");

extern "C" void OnInterrupt(int sig)
{
    gSignal.store(sig);
}

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
        std::fprintf(stderr, "%sveltrane: %s\n", gRun.LineOpen ? "\n" : "", why);
    gRun.LineOpen = gRun.LineOpen && !why;
    PostMessageA(hMainAppWnd, WM_CLOSE, 0, 0);
}

// A signal stops the run at the frame in progress (checked on every frame
// and clock step, on the render thread).
void CheckInterrupt()
{
    if (gSignal && !gRun.Closing)
        CloseOnce(nullptr);
}

void RemoveTemporaryFiles()
{
    std::error_code ec;
    if (gRun.Audio) {
        std::fclose(gRun.Audio);
        gRun.Audio = nullptr;
    }
    for (std::string *p : {&gRun.TempVideo, &gRun.TempAudio}) {
        if (!p->empty())
            fs::remove(*p, ec);
        p->clear();
    }
}

// ---- Pictures at positions -------------------------------------------------

void WriteTarget(TFrameTarget &t, const uint32_t *screen, int w, int h)
{
    t.Written = true;
    // Separators as the system writes them (a folder given as a/b on Windows
    // would otherwise print as a/b\12-32.png).
    const std::string path = (fs::path(gRun.Options.FramesDir) / t.FileName).make_preferred().string();
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

// ---- Recording -------------------------------------------------------------

// A header for `frames` stereo frames, capped where a WAV's size field ends.
void WriteWavHeader(std::FILE *f, uint64_t frames)
{
    ::WriteWavHeader(f, kRate, static_cast<uint32_t>(std::min<uint64_t>(frames * 4, 0xFFFFFFFFu - 36)));
}

// The music as it is rendered along the virtual clock, kept while recording.
void OnAudio(const int16_t *samples, int frames, void *)
{
    if (!gRun.Recording || gRun.RecordDone || !gRun.Audio || gRun.AudioFailed)
        return;
    if (std::fwrite(samples, 4, static_cast<size_t>(frames), gRun.Audio) != static_cast<size_t>(frames))
        gRun.AudioFailed = true;
    gRun.AudioFrames += static_cast<uint64_t>(frames);
}

void EndRecording(uint32_t ms)
{
    if (gRun.RecordDone)
        return;
    gRun.RecordDone = true;
    gRun.EndMs = ms;
}

void RecordFrame(const uint32_t *screen, uint32_t ms)
{
    if (!gRun.Video || gRun.RecordDone || gSignal)
        return;
    FMUSIC_MODULE *song = FMUSIC_CurrentSong();
    const int order = FMUSIC_GetOrder(song);
    const int row = FMUSIC_GetRow(song);
    const double seconds = FMUSIC_GetSeconds(song);
    if (!gRun.Recording) {
        // Everything before --from is drawn, and nothing of it kept.
        if (gRun.Options.From.Armed && !Reached(gRun.Options.From, order, row, seconds))
            return;
        gRun.Recording = true;
        gRun.FirstMs = ms; // the music rendered from here on is the sound track
    }
    if (gRun.Options.To.Armed && Reached(gRun.Options.To, order, row, seconds)) {
        EndRecording(ms);
        CloseOnce(nullptr);
        return;
    }
    if (!VideoSinkWrite(gRun.Video, screen, ms - gRun.FirstMs)) {
        gRun.Failed = true;
        EndRecording(ms);
        CloseOnce(nullptr); // the encoder's own message comes when it is closed
        return;
    }
    gRun.VideoFrames++;
    gRun.LastMs = ms;
    if (gRun.AudioFailed) {
        gRun.Failed = true;
        EndRecording(ms);
        CloseOnce((gRun.TempAudio + ": write error (disk full?)").c_str());
    }
}

// "recording [####......]  45%  3:05 of 6:52  about 40 s left": the rate is
// that of the last few seconds of real time, so the estimate follows the
// scenes' cost; no estimate until there is a measured rate.
void ShowProgress(uint32_t ms, bool last)
{
    const auto now = std::chrono::steady_clock::now();
    if (!last && now - gRun.LastProgress < std::chrono::milliseconds(250))
        return;
    gRun.LastProgress = now;
    const double total = std::max(gRun.EndSeconds, 0.001);
    const double done = last ? total : std::min((ms - gRun.OriginMs) / 1000.0, total);
    const double real = std::chrono::duration<double>(now - gRun.RealStart).count();
    constexpr int kKeep = 32;
    if (gRun.RateCount == kKeep) {
        std::memmove(gRun.RateReal, gRun.RateReal + 1, sizeof(double) * (kKeep - 1));
        std::memmove(gRun.RateDone, gRun.RateDone + 1, sizeof(double) * (kKeep - 1));
        gRun.RateCount--;
    }
    gRun.RateReal[gRun.RateCount] = real;
    gRun.RateDone[gRun.RateCount++] = done;
    int first = 0;
    while (first < gRun.RateCount - 1 && real - gRun.RateReal[first] > 5.0)
        first++;
    const double spanReal = real - gRun.RateReal[first], spanDone = done - gRun.RateDone[first];
    char left[48] = "";
    if (last)
        std::snprintf(left, sizeof(left), "done in %d s", static_cast<int>(real + 0.5));
    else if (spanReal >= 1.0 && spanDone > 0)
        std::snprintf(left, sizeof(left), "about %d s left",
                      static_cast<int>((total - done) * spanReal / spanDone + 0.5));
    else
        std::snprintf(left, sizeof(left), "estimating");
    const double part = done / total;
    char bar[31];
    const int fill = static_cast<int>(part * 30);
    for (int i = 0; i < 30; i++)
        bar[i] = i < fill ? '#' : '.';
    bar[30] = '\0';
    std::fprintf(stderr, "\rrecording [%s] %3d%%  %d:%02d of %d:%02d  %-20s", bar, static_cast<int>(part * 100),
                 static_cast<int>(done) / 60, static_cast<int>(done) % 60, static_cast<int>(total) / 60,
                 static_cast<int>(total) % 60, left);
    if (last)
        std::fputc('\n', stderr);
    gRun.LineOpen = !last;
}

// Encoder options for the video pass: nearest-neighbour scaling, then the
// container's video codec, the frames' own time stamps kept.
std::vector<std::string> VideoArgs(const TContainer &c, int scale, const std::string &out)
{
    std::vector<std::string> a;
    if (scale > 1)
        a.insert(a.end(), {"-vf", "scale=iw*" + std::to_string(scale) + ":ih*" + std::to_string(scale) +
                                      ":flags=neighbor"});
    if (c.Vp9Opus)
        a.insert(a.end(), {"-c:v", "libvpx-vp9", "-deadline", "realtime", "-cpu-used", "8", "-row-mt", "1", "-crf",
                           "30", "-b:v", "0"});
    else
        a.insert(a.end(), {"-c:v", "libx264", "-preset", "superfast", "-crf", "18"});
    // Millisecond time base: the encoder keeps every frame's own time
    // instead of rounding it to a guessed frame rate.
    a.insert(a.end(), {"-pix_fmt", "yuv420p", "-fps_mode", "passthrough", "-enc_time_base", "1:1000", "-f",
                       "matroska", out});
    return a;
}

bool RunFfmpeg(const std::vector<std::string> &args, char *error, unsigned errorSize)
{
    std::vector<const char *> p;
    for (const std::string &s : args)
        p.push_back(s.c_str());
    p.push_back(nullptr);
    return RunEncoder(p.data(), error, errorSize);
}

// The video pass and the sound track joined into `out`: the video copied,
// the sound encoded; faded over the last second when the demo's end cuts it.
bool JoinRecording(const std::string &out, bool fade, char *error, unsigned errorSize)
{
    const TContainer &c = *gRun.Container;
    const double seconds = gRun.AudioFrames / double(kRate);
    std::vector<std::string> a = {"-i", gRun.TempVideo, "-i", gRun.TempAudio, "-map", "0:v", "-map", "1:a",
                                  "-c:v", "copy"};
    if (c.Vp9Opus)
        a.insert(a.end(), {"-c:a", "libopus", "-b:a", "160k", "-ar", "48000"});
    else
        a.insert(a.end(), {"-c:a", "aac", "-b:a", "192k"});
    if (fade && seconds > 2.0) {
        char f[64];
        std::snprintf(f, sizeof(f), "afade=t=out:st=%.3f:d=1", seconds - 1.0);
        a.insert(a.end(), {"-af", f});
    }
    if (!std::strcmp(c.Format, "mp4") || !std::strcmp(c.Format, "mov"))
        a.insert(a.end(), {"-movflags", "+faststart"});
    a.insert(a.end(), {"-f", c.Format, out});
    return RunFfmpeg(a, error, errorSize);
}

// Cuts the open file `f` to `bytes` long.
bool CutFile(std::FILE *f, uint64_t bytes)
{
#ifdef _WIN32
    return _chsize_s(_fileno(f), static_cast<long long>(bytes)) == 0;
#else
    return ftruncate(fileno(f), static_cast<off_t>(bytes)) == 0;
#endif
}

// We may make files in `folder`.
bool FolderWritable(const std::string &folder)
{
#ifdef _WIN32
    return _access(folder.c_str(), 2) == 0;
#else
    return access(folder.c_str(), W_OK | X_OK) == 0;
#endif
}

// The folder of `file` exists (made when missing) and we may write there,
// and `file` is not something other than a regular file.
bool CheckOutputFile(const std::string &file, const char *what, std::string *error)
{
    std::error_code ec;
    if (fs::is_directory(file, ec)) {
        *error = what + (": " + file) + " is a folder";
        return false;
    }
    if (fs::exists(file, ec) && !fs::is_regular_file(file, ec)) {
        *error = what + (": " + file) + " is not a regular file";
        return false;
    }
    fs::path folder = fs::path(file).parent_path();
    if (folder.empty())
        folder = ".";
    fs::create_directories(folder, ec);
    if (!fs::is_directory(folder, ec) || !FolderWritable(folder.string())) {
        *error = std::string(what) + ": cannot write into the folder " + folder.string() +
                 (errno ? std::string(" (") + std::strerror(errno) + ")" : std::string());
        return false;
    }
    return true;
}

// Music time of a position (ORDER:ROW or seconds); false when playing the
// song from its start never reaches it.
bool PositionSeconds(const char *module, const TFrameTarget &t, double song, double *seconds, std::string *error)
{
    char text[512] = "";
    bool reached = true;
    if (t.InSeconds) {
        *seconds = t.Seconds;
        reached = t.Seconds <= song;
    } else if (!MusicPositionSeconds(module, t.Order, t.Row, seconds, nullptr, &reached, nullptr, text,
                                     sizeof(text))) {
        reached = false;
    }
    if (!reached)
        *error = "position " + t.Label + " is beyond the end of the song";
    return reached;
}

// Everything a recording needs, checked before anything heavy starts.
bool PrepareRecording(const TRunOptions &o, std::string *error)
{
    gRun.Container = ContainerFor(o.Record);
    if (!gRun.Container) {
        *error = "--record " + o.Record + ": unknown video type (use .mp4, .mkv, .mov or .webm)";
        return false;
    }
    if (!CheckOutputFile(o.Record, "--record", error))
        return false;
    if (!o.Wav.empty() && !CheckOutputFile(o.Wav, "--wav", error))
        return false;
    const int w = gRun.ScreenW * o.Scale, h = gRun.ScreenH * o.Scale;
    if (w % 2 || h % 2) {
        *error = "--record: the video would be " + std::to_string(w) + " x " + std::to_string(h) +
                 ", and its encoder needs an even width and height";
        return false;
    }
    if (!EncoderAvailable()) {
#ifdef _WIN32
        *error = "--record needs ffmpeg.exe, which is not on the PATH (install ffmpeg and add its folder to the PATH)";
#else
        *error = "--record needs ffmpeg, which is not on the PATH (install the ffmpeg package)";
#endif
        return false;
    }
    // The part of the song shown, for the positions' check and the progress.
    char module[4096];
    ZentrixResolvePath("Data\\Kestrun.it", module, sizeof(module));
    char text[512] = "";
    double song = 0, end = 0;
    if (!MusicPositionSeconds(module, 0, 0, nullptr, &song, nullptr, nullptr, text, sizeof(text))) {
        *error = text;
        return false;
    }
    // The demo ends at 53:60; the test picture jumps to order 60 and stays
    // until the music ends, and --from/--to there are not music positions
    // the song reaches by itself.
    if (bTestOnly) {
        if (o.From.Armed || o.To.Armed) {
            *error = "--from and --to are for the demo, not the test picture (/TEST)";
            return false;
        }
        if (!MusicPositionSeconds(module, 60, 0, nullptr, nullptr, nullptr, &end, text, sizeof(text)))
            end = song;
    } else if (!MusicPositionSeconds(module, 53, 60, &end, nullptr, nullptr, nullptr, text, sizeof(text))) {
        end = song;
    }
    double from = 0, to = end;
    if (o.From.Armed && !PositionSeconds(module, o.From, song, &from, error))
        return false;
    if (o.To.Armed && !PositionSeconds(module, o.To, song, &to, error))
        return false;
    if (o.From.Armed && !bTestOnly && from >= end) {
        *error = "--from " + o.From.Label + " comes after the end of the demo (53:60)";
        return false;
    }
    if (o.From.Armed && o.To.Armed && to <= from) {
        *error = "--to " + o.To.Label + " does not come after --from " + o.From.Label;
        return false;
    }
    gRun.StartSeconds = from;
    gRun.EndSeconds = bTestOnly ? end : std::min(to, end);

    const std::string base = (fs::path(o.Record).parent_path() / ("." + fs::path(o.Record).filename().string() +
                                                                    ".veltrane-" + std::to_string(getpid())))
                                 .string();
    gRun.TempVideo = base + ".video.mkv";
    gRun.TempAudio = base + ".audio.wav";
    gRun.Audio = std::fopen(gRun.TempAudio.c_str(), "wb");
    if (!gRun.Audio) {
        *error = gRun.TempAudio + ": " + std::strerror(errno);
        return false;
    }
    WriteWavHeader(gRun.Audio, 0);
    const std::vector<std::string> args = VideoArgs(*gRun.Container, o.Scale, gRun.TempVideo);
    std::vector<const char *> p;
    for (size_t i = 0; i + 1 < args.size(); i++)
        p.push_back(args[i].c_str());
    p.push_back(nullptr);
    char why[512] = "";
    gRun.Video = VideoSinkOpen(gRun.TempVideo.c_str(), gRun.ScreenW, gRun.ScreenH, p.data(), why, sizeof(why));
    if (!gRun.Video) {
        *error = why;
        return false;
    }
    PlatSetAudioHook(OnAudio, nullptr);
    return true;
}

// Closes the encoder, completes the sound track and joins both into the
// video asked for, or into NAME.partial.EXT after an interruption. True
// when the file was written; `written` names it.
bool FinishRecording(std::string *written)
{
    char error[512] = "";
    bool ok = VideoSinkClose(gRun.Video, error, sizeof(error));
    gRun.Video = nullptr;
    if (gRun.VideoFrames == 0) {
        // An encoder given no frame fails too; the reason is ours.
        if (!gSignal && !gRun.Failed)
            std::fprintf(stderr, "veltrane: nothing was recorded (the music never reached %s)\n",
                         gRun.Options.From.Label.c_str());
        else if (!ok && gRun.Failed)
            std::fprintf(stderr, "veltrane: %s\n", error);
        return false;
    }
    if (!ok) {
        std::fprintf(stderr, "veltrane: %s\n", error);
        return false;
    }
    if (gRun.Failed)
        return false;
    // The last frame stays for one frame period when nothing followed it;
    // the sound track ends with the video.
    if (!gRun.RecordDone)
        EndRecording(gRun.LastMs + 34);
    const uint64_t want = static_cast<uint64_t>(gRun.EndMs - gRun.FirstMs) * kRate / 1000;
    static const int16_t quiet[512] = {};
    while (gRun.AudioFrames < want && !gRun.AudioFailed) {
        const size_t n = static_cast<size_t>(std::min<uint64_t>(256, want - gRun.AudioFrames));
        gRun.AudioFailed = std::fwrite(quiet, 4, n, gRun.Audio) != n;
        gRun.AudioFrames += n;
    }
    // Rendering runs a clock step ahead of the last frame: cut what lies past
    // the end of the video.
    std::fflush(gRun.Audio);
    const bool audioOk = !gRun.AudioFailed && std::fseek(gRun.Audio, 0, SEEK_SET) == 0 &&
                         (WriteWavHeader(gRun.Audio, std::min(gRun.AudioFrames, want)), true) &&
                         std::fflush(gRun.Audio) == 0 &&
                         CutFile(gRun.Audio, 44 + std::min(gRun.AudioFrames, want) * 4);
    if (std::fclose(gRun.Audio) != 0 || !audioOk) {
        gRun.Audio = nullptr;
        std::fprintf(stderr, "veltrane: %s: write error (disk full?)\n", gRun.TempAudio.c_str());
        return false;
    }
    gRun.Audio = nullptr;
    gRun.AudioFrames = std::min(gRun.AudioFrames, want);

    std::string out = gRun.Options.Record;
    if (gSignal) {
        const fs::path p(out);
        out = (p.parent_path() / (p.stem().string() + ".partial" + p.extension().string())).string();
    }
    if (!JoinRecording(out, !gSignal && !gRun.Options.To.Armed, error, sizeof(error))) {
        std::error_code ec;
        fs::remove(out, ec);
        std::fprintf(stderr, "veltrane: %s\n", error);
        return false;
    }
    if (!gRun.Options.Wav.empty() && !gSignal) {
        std::error_code ec;
        fs::rename(gRun.TempAudio, gRun.Options.Wav, ec);
        if (ec) {
            fs::copy_file(gRun.TempAudio, gRun.Options.Wav, fs::copy_options::overwrite_existing, ec);
            if (ec) {
                std::fprintf(stderr, "veltrane: --wav %s: %s\n", gRun.Options.Wav.c_str(), ec.message().c_str());
                return false;
            }
        }
    }
    *written = out;
    return true;
}

// ---- Digest ------------------------------------------------------------------

// Folds one screen into the run's digest: four independent multiply-xor
// lanes over its pixels (so the multiplies overlap), then the size. Not a
// cryptographic hash: it tells two builds' pictures apart.
void FoldFrame(const uint32_t *screen, int w, int h)
{
    constexpr uint64_t kMul = 0x9E3779B97F4A7C15ull;
    uint64_t lane[4] = {gRun.Digest, gRun.Digest ^ 1, gRun.Digest ^ 2, gRun.Digest ^ 3};
    const size_t n = size_t(w) * size_t(h);
    size_t i = 0;
    for (; i + 8 <= n; i += 8)
        for (int k = 0; k < 4; k++) {
            const uint64_t v = uint64_t(screen[i + 2 * k]) | uint64_t(screen[i + 2 * k + 1]) << 32;
            lane[k] = (lane[k] ^ v) * kMul;
            lane[k] ^= lane[k] >> 29;
        }
    for (; i < n; i++)
        lane[0] = ((lane[0] ^ screen[i]) * kMul) ^ (lane[0] >> 31);
    uint64_t d = uint64_t(w) << 32 | uint32_t(h);
    for (uint64_t v : lane)
        d = ((d ^ v) * kMul) ^ (d >> 27);
    gRun.Digest = d;
    gRun.DigestFrames++;
}

// ---- Hooks -------------------------------------------------------------------

void OnFrame(const uint32_t *screen, int w, int h, uint32_t ms, void *)
{
    gRun.Screen = screen;
    gRun.ScreenW = w;
    gRun.ScreenH = h;
    CheckInterrupt();
    if (gRun.Video)
        RecordFrame(screen, ms);
    if (gRun.Options.Digest)
        FoldFrame(screen, w, h);
    CheckTargets(false);
}

void OnClock(uint32_t fromMs, uint32_t toMs, void *)
{
    if (!gRun.Started) {
        gRun.Started = true;
        gRun.OriginMs = fromMs;
    }
    CheckInterrupt();
    if (gRun.Video)
        ShowProgress(toMs, false);
    CheckTargets(true);
    if (FMUSIC_HasEnded(FMUSIC_CurrentSong()))
        CloseOnce(bTestOnly ? nullptr : "the music ended before the timeline did");
}

const char *SignalName(int sig)
{
    return sig == SIGINT ? "SIGINT" : sig == SIGTERM ? "SIGTERM" : "a signal";
}

} // namespace

void InstallInterruptHandlers()
{
#ifdef _WIN32
    // Ctrl-C and Ctrl-Break; the handler is reset before it runs, so a second
    // one ends us at once.
    std::signal(SIGINT, OnInterrupt);
    std::signal(SIGBREAK, OnInterrupt);
    std::signal(SIGTERM, OnInterrupt);
#else
    struct sigaction sa {};
    sa.sa_handler = OnInterrupt;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = SA_RESTART | SA_RESETHAND; // a second one ends us at once
    sigaction(SIGINT, &sa, nullptr);
    sigaction(SIGTERM, &sa, nullptr);
#endif
}

int InterruptSignal()
{
    return gSignal;
}

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
        fs::create_directories(options.FramesDir, ec);
        if (!fs::is_directory(options.FramesDir)) {
            std::fprintf(stderr, "veltrane: cannot create the folder %s%s%s\n", options.FramesDir.c_str(),
                         ec ? ": " : "", ec ? ec.message().c_str() : "");
            return false;
        }
    }
    if (!options.Record.empty()) {
        std::string error;
        if (!PrepareRecording(options, &error)) {
            std::fprintf(stderr, "veltrane: %s\n", error.c_str());
            if (gRun.Video) {
                char ignored[256];
                VideoSinkClose(gRun.Video, ignored, sizeof(ignored));
                gRun.Video = nullptr;
            }
            PlatSetAudioHook(nullptr, nullptr);
            RemoveTemporaryFiles();
            return false;
        }
    }
    // The screen is composed only for what looks at it: a video, pictures or
    // the digest. A bench or plain headless run draws every frame, and the
    // clock hook alone sees to signals.
    const bool looked = gRun.Video || !options.At.empty() || options.Digest;
    PlatSetFrameHook(looked ? OnFrame : nullptr, nullptr);
    PlatSetClockHook(OnClock, nullptr);
    return true;
}

bool FinishHeadlessRun()
{
    PlatSetFrameHook(nullptr, nullptr);
    PlatSetClockHook(nullptr, nullptr);
    PlatSetAudioHook(nullptr, nullptr);
    // A failure that ended the program has said so already, once.
    const bool failedBefore = AppExitStatus.load() != 0;
    bool ok = !gRun.Failed && !failedBefore;
    const int sig = gSignal;
    if (gRun.Video) {
        std::string written;
        // The progress line ends at 100% only when the whole part was made.
        if (!sig && ok && gRun.VideoFrames > 0)
            ShowProgress(gRun.LastMs, true);
        else if (gRun.LineOpen)
            std::fputc('\n', stderr);
        gRun.LineOpen = false;
        const bool recorded = FinishRecording(&written);
        if (recorded && sig) {
            std::fprintf(stderr, "veltrane: interrupted by %s; the part recorded (%.1f s) is in %s\n",
                         SignalName(sig), gRun.VideoFrames ? (gRun.EndMs - gRun.FirstMs) / 1000.0 : 0.0,
                         written.c_str());
        } else if (recorded && ok) {
            std::fprintf(stderr, "veltrane: wrote %s (%ld frames, %.1f s, %d x %d)\n", written.c_str(),
                         gRun.VideoFrames, (gRun.EndMs - gRun.FirstMs) / 1000.0, gRun.ScreenW * gRun.Options.Scale,
                         gRun.ScreenH * gRun.Options.Scale);
        } else if (sig) {
            std::fprintf(stderr, "veltrane: interrupted by %s; nothing was recorded\n", SignalName(sig));
        }
        ok = ok && recorded;
    } else if (sig) {
        std::fprintf(stderr, "veltrane: interrupted by %s\n", SignalName(sig));
    }
    RemoveTemporaryFiles();
    if (!failedBefore && !sig) {
        std::string never, names;
        for (const TFrameTarget &t : gRun.Options.At) {
            if (!t.Written) {
                never += (never.empty() ? "" : ", ") + t.Label;
                names += (names.empty() ? "" : ", ") + t.FileName;
            }
        }
        if (!never.empty()) {
            std::fprintf(stderr, "veltrane: the music never reached %s, so %s was not written\n", never.c_str(),
                         names.c_str());
            ok = false;
        }
    }
    if (gRun.Options.Bench && !sig)
        PrintSceneBench(stdout);
    if (gRun.Options.Digest && !sig)
        std::printf("frames digest %016llx over %ld frames\n", static_cast<unsigned long long>(gRun.Digest),
                    gRun.DigestFrames);
    if (sig)
        AppExitStatus = 128 + sig;
    return ok;
}
