// The music calls (FSOUND_/FMUSIC_) on libopenmpt. SDL backend: an SDL
// audio device pulls the samples (dummy driver when no device opens);
// headless: the song is rendered as the virtual clock moves. The position
// reported is the one being heard, kept as a queue of (position, time) marks.
#include "PlatformInternal.h"
#include "zentrix.h"

#include <SDL.h>
#ifndef _WIN32
#include <dlfcn.h>
#endif
#include <libopenmpt/libopenmpt.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <vector>

#include <sys/stat.h>

struct FMUSIC_MODULE {
    openmpt_module *Mod;
    int NumOrders;
    bool Quiet = false; // set up for samples nobody hears
};

namespace {

#ifndef _WIN32
// ALSA prints its own lines to stderr when no card is found, before the
// program's one line about playing silently; a handler that drops them is
// installed in the library SDL will load (it stays loaded).
void DropAlsaMessage(const char *, int, const char *, int, const char *, ...) {}

void QuietAlsa()
{
    static bool done = false;
    if (done)
        return;
    done = true;
    void *alsa = dlopen("libasound.so.2", RTLD_NOW | RTLD_LOCAL);
    if (!alsa)
        return;
    typedef void (*Handler)(const char *, int, const char *, int, const char *, ...);
    typedef int (*SetHandler)(Handler);
    if (auto set = reinterpret_cast<SetHandler>(dlsym(alsa, "snd_lib_error_set_handler")))
        set(DropAlsaMessage);
}
#else
void QuietAlsa() {}
#endif

// A position of the song and the clock time at which it is heard.
struct Mark {
    int Order, Row;
    double Seconds;
    double HeardAt; // ms: real clock (SDL) or virtual clock (headless)
};

constexpr int kMarks = 256;
constexpr int kPiece = 256; // frames rendered between two marks (5.8 ms)

// Guards the module (libopenmpt is not thread-safe) and all state below:
// the audio callback, the render thread and the window thread (F6) meet here.
std::mutex gLock;
FMUSIC_MODULE *gSong = nullptr;
bool gPlaying = false, gEnded = false;
int gRate = 44100;
Mark gMarks[kMarks];
int gMarkHead = 0, gMarkCount = 0;
Mark gHeard = {0, 0, 0.0, 0.0};
// Headless: virtual time the song started and frames rendered since.
uint32_t gPlayStartMs = 0;
int64_t gFramesRendered = 0;
// SDL: the device, and how long a rendered sample waits before it is heard.
SDL_AudioDeviceID gDevice = 0;
bool gDummyDriver = false;
double gLatencyMs = 0;

// Headless: receives what is rendered, for a recording's sound track.
PlatAudioHook gAudioHook = nullptr;
void *gAudioUser = nullptr;

char gSoundError[512] = "";
char gMusicError[512] = "";

// One snapshot per thread, so GetOrder and the GetRow after it describe the
// same moment (no 12:00 read as order 12 of the old row 63).
thread_local bool tSnapValid = false;
thread_local Mark tSnap;

void PushMarkLocked(const Mark &m)
{
    if (gMarkCount == kMarks) {
        gHeard = gMarks[gMarkHead];
        gMarkHead = (gMarkHead + 1) % kMarks;
        gMarkCount--;
    }
    gMarks[(gMarkHead + gMarkCount) % kMarks] = m;
    gMarkCount++;
}

Mark CurrentMarkLocked(FMUSIC_MODULE *mod)
{
    const double now = gPlatBackend == PLAT_HEADLESS ? PlatVirtualTime() : RealMilliseconds();
    while (gMarkCount > 0 && gMarks[gMarkHead].HeardAt <= now) {
        gHeard = gMarks[gMarkHead];
        gMarkHead = (gMarkHead + 1) % kMarks;
        gMarkCount--;
    }
    if (!mod || mod != gSong)
        return Mark{0, 0, 0.0, now};
    return gHeard;
}

// Renders `frames` frames at `startMs` (ms per frame = 1000 / rate) into
// `out` (may be null: samples discarded), marking each piece. Returns the
// frames rendered; fewer at the end of the song.
int RenderLocked(int16_t *out, int frames, double startMs)
{
    // Samples nobody hears (headless, not recording) are mixed as cheaply as
    // the library allows: one channel of floats (no dither), nearest-
    // neighbour resampling, no volume ramps. None of that moves the song's
    // position: every row still starts at the same sample. Samples that are
    // heard or recorded get the library's full quality back.
    static float quiet[kPiece];
    static int16_t scratch[kPiece * 2];
    const bool unheard = !out && !gAudioHook;
    if (unheard != gSong->Quiet) {
        openmpt_module_set_render_param(gSong->Mod, OPENMPT_MODULE_RENDER_INTERPOLATIONFILTER_LENGTH,
                                        unheard ? 1 : 0);
        openmpt_module_set_render_param(gSong->Mod, OPENMPT_MODULE_RENDER_VOLUMERAMPING_STRENGTH, unheard ? 0 : -1);
        gSong->Quiet = unheard;
    }
    int done = 0;
    while (done < frames && !gEnded) {
        const int n = std::min(kPiece, frames - done);
        Mark m;
        m.Order = openmpt_module_get_current_order(gSong->Mod);
        m.Row = openmpt_module_get_current_row(gSong->Mod);
        m.Seconds = openmpt_module_get_position_seconds(gSong->Mod);
        m.HeardAt = startMs + done * 1000.0 / gRate;
        int16_t *dest = out ? out + done * 2 : scratch;
        const size_t got = unheard ? openmpt_module_read_float_mono(gSong->Mod, gRate, n, quiet)
                                   : openmpt_module_read_interleaved_stereo(gSong->Mod, gRate, n, dest);
        if (got == 0) {
            gEnded = true; // the position stays at the last one heard
            break;
        }
        if (!out && gAudioHook)
            gAudioHook(dest, static_cast<int>(got), gAudioUser);
        PushMarkLocked(m);
        done += static_cast<int>(got);
    }
    return done;
}

void SDLCALL AudioCallback(void *, Uint8 *stream, int len)
{
    int16_t *out = reinterpret_cast<int16_t *>(stream);
    const int frames = len / 4;
    int done = 0;
    {
        std::lock_guard<std::mutex> hold(gLock);
        if (gSong && gPlaying)
            done = RenderLocked(out, frames, RealMilliseconds() + gLatencyMs);
    }
    std::memset(out + done * 2, 0, static_cast<size_t>(frames - done) * 4);
}

bool ReadWholeFile(const char *path, std::vector<char> *bytes, char *error, size_t errorSize)
{
    // A FIFO or a device would block or never end: only regular files.
    struct stat st;
    if (stat(path, &st) != 0) {
        std::snprintf(error, errorSize, "%s: %s", path, std::strerror(errno));
        return false;
    }
    if (!S_ISREG(st.st_mode)) {
        std::snprintf(error, errorSize, "%s: not a regular file", path);
        return false;
    }
    std::FILE *f = std::fopen(path, "rb");
    if (!f) {
        std::snprintf(error, errorSize, "%s: %s", path, std::strerror(errno));
        return false;
    }
    constexpr size_t kMax = 64u << 20;
    char chunk[65536];
    size_t got;
    while ((got = std::fread(chunk, 1, sizeof(chunk), f)) > 0) {
        if (bytes->size() + got > kMax) {
            std::snprintf(error, errorSize, "%s: larger than 64 MiB, not a music module", path);
            std::fclose(f);
            return false;
        }
        bytes->insert(bytes->end(), chunk, chunk + got);
    }
    const bool failed = std::ferror(f) != 0;
    std::fclose(f);
    if (failed)
        std::snprintf(error, errorSize, "%s: read error", path);
    return !failed;
}

// Loads a module from a file; null with `error` filled in.
openmpt_module *OpenModule(const char *path, char *error, size_t errorSize)
{
    std::vector<char> bytes;
    if (!ReadWholeFile(path, &bytes, error, errorSize))
        return nullptr;
    int code = 0;
    const char *message = nullptr;
    openmpt_module *m = openmpt_module_create_from_memory2(bytes.data(), bytes.size(), openmpt_log_func_silent, nullptr,
                                                           openmpt_error_func_ignore, nullptr, &code, &message, nullptr);
    if (!m) {
        std::snprintf(error, errorSize, "%s: %s", path,
                      message ? message : code ? openmpt_error_string(code) : "not a playable music module");
    } else {
        // Stop at the end instead of fading or looping, so the end is seen.
        openmpt_module_ctl_set_text(m, "play.at_end", "stop");
        openmpt_module_set_repeat_count(m, 0);
        // No dither: the same song gives the same samples on every run.
        openmpt_module_ctl_set_integer(m, "dither", 0);
    }
    if (message)
        openmpt_free_string(message);
    return m;
}

} // namespace

// ---- Sound output --------------------------------------------------------

int FSOUND_Init(int mixrate, int)
{
    if (mixrate < 8000 || mixrate > 192000) {
        std::snprintf(gSoundError, sizeof(gSoundError), "Unsupported mixing rate %d", mixrate);
        return 0;
    }
    {
        std::lock_guard<std::mutex> hold(gLock);
        gRate = mixrate;
    }
    if (gPlatBackend == PLAT_HEADLESS || gDevice)
        return 1;
    SDL_AudioSpec want{};
    want.freq = mixrate;
    want.format = AUDIO_S16SYS;
    want.channels = 2;
    want.samples = 1024;
    want.callback = AudioCallback;
    SDL_AudioSpec have{};
    QuietAlsa();
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) == 0)
        gDevice = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
    if (!gDevice) {
        // No sound card: the dummy driver consumes samples at real-time
        // pace, so the music (the demo's clock) still runs, silently.
        std::fprintf(stderr, "veltrane: no sound device (%s); the music plays silently\n", SDL_GetError());
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        if (SDL_AudioInit("dummy") == 0) {
            gDummyDriver = true;
            gDevice = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
        }
    }
    if (!gDevice) {
        std::snprintf(gSoundError, sizeof(gSoundError), "Unable to open the sound output: %s", SDL_GetError());
        if (gDummyDriver)
            SDL_AudioQuit();
        gDummyDriver = false;
        return 0;
    }
    std::lock_guard<std::mutex> hold(gLock);
    gLatencyMs = have.samples * 1000.0 / have.freq;
    return 1;
}

const char *FSOUND_Error()
{
    return gSoundError[0] ? gSoundError : "No error";
}

void FSOUND_Close()
{
    if (gDevice) {
        SDL_CloseAudioDevice(gDevice);
        gDevice = 0;
        if (gDummyDriver)
            SDL_AudioQuit();
        else
            SDL_QuitSubSystem(SDL_INIT_AUDIO);
        gDummyDriver = false;
    }
}

// ---- Songs -----------------------------------------------------------------

FMUSIC_MODULE *FMUSIC_LoadSong(const char *name)
{
    if (!name) {
        std::snprintf(gMusicError, sizeof(gMusicError), "No file name given");
        return nullptr;
    }
    char path[4096];
    if (!ZentrixResolvePath(name, path, sizeof(path))) {
        std::snprintf(gMusicError, sizeof(gMusicError), "%s: file name too long", name);
        return nullptr;
    }
    char error[512];
    openmpt_module *m = OpenModule(path, error, sizeof(error));
    if (!m) {
        std::snprintf(gMusicError, sizeof(gMusicError), "%s", error);
        return nullptr;
    }
    std::lock_guard<std::mutex> hold(gLock);
    if (gSong) {
        openmpt_module_destroy(m);
        std::snprintf(gMusicError, sizeof(gMusicError), "%.400s: another song is still loaded", path);
        return nullptr;
    }
    gSong = new FMUSIC_MODULE{m, openmpt_module_get_num_orders(m)};
    gPlaying = gEnded = false;
    gMarkHead = gMarkCount = 0;
    gHeard = Mark{0, 0, 0.0, 0.0};
    return gSong;
}

const char *FMUSIC_Error()
{
    return gMusicError[0] ? gMusicError : "No error";
}

int FMUSIC_PlaySong(FMUSIC_MODULE *mod)
{
    {
        std::lock_guard<std::mutex> hold(gLock);
        if (!mod || mod != gSong)
            return 0;
        gPlaying = true;
        gPlayStartMs = PlatVirtualTime();
        gFramesRendered = 0;
    }
    if (gPlatBackend == PLAT_SDL && gDevice)
        SDL_PauseAudioDevice(gDevice, 0);
    return 1;
}

int FMUSIC_GetOrder(FMUSIC_MODULE *mod)
{
    std::lock_guard<std::mutex> hold(gLock);
    tSnap = CurrentMarkLocked(mod);
    tSnapValid = true;
    return tSnap.Order;
}

int FMUSIC_GetRow(FMUSIC_MODULE *mod)
{
    if (tSnapValid) {
        tSnapValid = false;
        return tSnap.Row;
    }
    std::lock_guard<std::mutex> hold(gLock);
    return CurrentMarkLocked(mod).Row;
}

double FMUSIC_GetSeconds(FMUSIC_MODULE *mod)
{
    std::lock_guard<std::mutex> hold(gLock);
    return CurrentMarkLocked(mod).Seconds;
}

bool FMUSIC_HasEnded(FMUSIC_MODULE *mod)
{
    std::lock_guard<std::mutex> hold(gLock);
    return mod && mod == gSong && gEnded;
}

int FMUSIC_SetOrder(FMUSIC_MODULE *mod, int order)
{
    std::lock_guard<std::mutex> hold(gLock);
    if (!mod || mod != gSong || order < 0 || order >= gSong->NumOrders)
        return 0;
    openmpt_module_set_position_order_row(gSong->Mod, order, 0);
    gEnded = false;
    if (gPlatBackend == PLAT_HEADLESS) {
        // Nothing waits in a device: the jump is heard at once.
        gMarkHead = gMarkCount = 0;
        gHeard = Mark{openmpt_module_get_current_order(gSong->Mod), openmpt_module_get_current_row(gSong->Mod),
                      openmpt_module_get_position_seconds(gSong->Mod), static_cast<double>(PlatVirtualTime())};
    }
    return 1;
}

int FMUSIC_FreeSong(FMUSIC_MODULE *mod)
{
    if (gPlatBackend == PLAT_SDL && gDevice)
        SDL_PauseAudioDevice(gDevice, 1);
    std::lock_guard<std::mutex> hold(gLock);
    if (!mod || mod != gSong)
        return 0;
    openmpt_module_destroy(gSong->Mod);
    delete gSong;
    gSong = nullptr;
    gPlaying = gEnded = false;
    gMarkHead = gMarkCount = 0;
    gHeard = Mark{0, 0, 0.0, 0.0};
    return 1;
}

FMUSIC_MODULE *FMUSIC_CurrentSong()
{
    std::lock_guard<std::mutex> hold(gLock);
    return gSong;
}

void MusicAdvanceTo(uint32_t ms)
{
    std::lock_guard<std::mutex> hold(gLock);
    if (!gSong || !gPlaying)
        return;
    // Frames due by `ms`, counted from the start, so no rounding adds up.
    const int64_t due = static_cast<int64_t>(static_cast<uint32_t>(ms - gPlayStartMs)) * gRate / 1000;
    if (gEnded) {
        // Silence; a later jump plays on from now.
        static const int16_t quiet[kPiece * 2] = {};
        for (; gAudioHook && gFramesRendered < due; gFramesRendered += kPiece)
            gAudioHook(quiet, static_cast<int>(std::min<int64_t>(kPiece, due - gFramesRendered)), gAudioUser);
        gFramesRendered = due;
        return;
    }
    while (gFramesRendered < due && !gEnded) {
        const int n = static_cast<int>(std::min<int64_t>(due - gFramesRendered, 1 << 20));
        const double start = gPlayStartMs + gFramesRendered * 1000.0 / gRate;
        gFramesRendered += RenderLocked(nullptr, n, start);
    }
    if (!gEnded) {
        PushMarkLocked(Mark{openmpt_module_get_current_order(gSong->Mod), openmpt_module_get_current_row(gSong->Mod),
                            openmpt_module_get_position_seconds(gSong->Mod), static_cast<double>(ms)});
    }
}

void PlatSetAudioHook(PlatAudioHook hook, void *user)
{
    std::lock_guard<std::mutex> hold(gLock);
    gAudioHook = hook;
    gAudioUser = user;
}

bool MusicPositionSeconds(const char *moduleFile, int order, int row, double *seconds, double *songSeconds,
                          bool *fromStart, double *restSeconds, char *error, unsigned errorSize)
{
    openmpt_module *m = OpenModule(moduleFile, error, errorSize);
    if (!m)
        return false;
    const int orders = openmpt_module_get_num_orders(m);
    const int pattern = order >= 0 && order < orders ? openmpt_module_get_order_pattern(m, order) : -1;
    const int rows = pattern >= 0 && pattern < openmpt_module_get_num_patterns(m)
                         ? openmpt_module_get_pattern_num_rows(m, pattern) : 0;
    if (songSeconds)
        *songSeconds = openmpt_module_get_duration_seconds(m);
    const bool ok = row >= 0 && row < rows;
    if (!ok) {
        std::snprintf(error, errorSize, "%d:%02d is not in the song (%d orders)", order, row, orders);
    } else {
        if (fromStart) {
            // Reached when playing from the start: every order up to it starts
            // later than the one before (orders only reached by a jump are
            // timed from somewhere else).
            double last = 0;
            bool reached = true;
            for (int k = 1; k <= order && reached; k++) {
                const double t = openmpt_module_set_position_order_row(m, k, 0);
                reached = t > last;
                last = t;
            }
            *fromStart = reached;
        }
        const double at = openmpt_module_set_position_order_row(m, order, row);
        if (seconds)
            *seconds = at;
        if (restSeconds) {
            // What plays from there to the end, rendered quickly and counted.
            float scratch[4096];
            uint64_t frames = 0;
            size_t got;
            while ((got = openmpt_module_read_float_mono(m, 8000, 4096, scratch)) > 0 && frames < 8000ull * 3600)
                frames += got;
            *restSeconds = frames / 8000.0;
        }
    }
    openmpt_module_destroy(m);
    return ok;
}

// ---- Rendering a whole song ------------------------------------------------

namespace {

void PutLE(std::FILE *f, uint32_t v, int bytes)
{
    for (int i = 0; i < bytes; i++)
        std::fputc(static_cast<int>((v >> (8 * i)) & 0xFF), f);
}


} // namespace

bool MusicRenderWav(const char *moduleFile, const char *wavPath, int rate, int startOrder, int endOrder, int endRow,
                    double *songSeconds, double *endSeconds, char *error, unsigned errorSize)
{
    openmpt_module *probe = OpenModule(moduleFile, error, errorSize);
    if (!probe)
        return false;
    const int orders = openmpt_module_get_num_orders(probe);
    if (startOrder < 0 || startOrder >= orders)
        startOrder = 0;
    const double start = startOrder ? openmpt_module_set_position_order_row(probe, startOrder, 0) : 0.0;
    double end = -1;
    if (endOrder >= 0 && endOrder < orders) {
        const double at = openmpt_module_set_position_order_row(probe, endOrder, endRow);
        if (at > start)
            end = at - start;
    }
    openmpt_module_destroy(probe);

    openmpt_module *m = OpenModule(moduleFile, error, errorSize);
    if (!m)
        return false;
    std::FILE *f = std::fopen(wavPath, "wb");
    if (!f) {
        std::snprintf(error, errorSize, "%s: %s", wavPath, std::strerror(errno));
        openmpt_module_destroy(m);
        return false;
    }
    if (startOrder)
        openmpt_module_set_position_order_row(m, startOrder, 0);
    WriteWavHeader(f, rate, 0);
    std::vector<int16_t> buffer(4096 * 2);
    uint64_t bytes = 0;
    const uint64_t limit = static_cast<uint64_t>(rate) * 4 * 3600; // an hour at most
    size_t got;
    bool ok = true;
    while (bytes < limit && (got = openmpt_module_read_interleaved_stereo(m, rate, 4096, buffer.data())) > 0) {
        if (std::fwrite(buffer.data(), 4, got, f) != got) {
            ok = false;
            break;
        }
        bytes += got * 4;
    }
    openmpt_module_destroy(m);
    const double length = bytes / (rate * 4.0);
    if (songSeconds)
        *songSeconds = length;
    if (endSeconds)
        *endSeconds = end >= 0 ? end : length;
    if (ok) {
        std::fseek(f, 0, SEEK_SET);
        WriteWavHeader(f, rate, static_cast<uint32_t>(bytes));
    }
    if (std::fclose(f) != 0 || !ok) {
        std::snprintf(error, errorSize, "%s: write error (disk full?)", wavPath);
        std::remove(wavPath);
        return false;
    }
    return true;
}

void WriteWavHeader(std::FILE *f, int rate, uint32_t dataBytes)
{
    std::fwrite("RIFF", 1, 4, f);
    PutLE(f, 36 + dataBytes, 4);
    std::fwrite("WAVEfmt ", 1, 8, f);
    PutLE(f, 16, 4);
    PutLE(f, 1, 2);             // PCM
    PutLE(f, 2, 2);             // stereo
    PutLE(f, rate, 4);
    PutLE(f, rate * 4, 4);      // bytes a second
    PutLE(f, 4, 2);             // bytes a frame
    PutLE(f, 16, 2);            // bits a sample
    std::fwrite("data", 1, 4, f);
    PutLE(f, dataBytes, 4);
}
