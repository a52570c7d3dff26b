// The encoder behind the headless backend's video export: ffmpeg processes
// started in their own process group (so a Ctrl-C in the terminal reaches only
// us) and killed with us if we die. A video sink feeds one of them a
// Matroska stream of raw 0x00RRGGBB frames (BGRA) through a pipe, each frame
// with its own millisecond time stamp, so the encoder sees the demo's own
// cadence instead of a fixed rate.
#include "Platform.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#ifdef __linux__
#include <sys/prctl.h>
#endif

struct VideoSink {
    pid_t Pid;
    int Fd;
    std::FILE *Log;
    size_t FrameBytes;
    bool Broken;
    std::vector<uint8_t> Head; // the element headers of one frame's cluster
};

namespace {

// ---- Processes -------------------------------------------------------------

// The last non-empty line of the encoder's messages, for a one-line report.
std::string LastLine(std::FILE *log)
{
    std::string text, last;
    if (!log)
        return last;
    std::fflush(log);
    std::rewind(log);
    char chunk[4096];
    size_t n;
    while ((n = std::fread(chunk, 1, sizeof(chunk), log)) > 0 && text.size() < (1u << 20))
        text.append(chunk, n);
    size_t end = text.size();
    while (end > 0) {
        while (end > 0 && (text[end - 1] == '\n' || text[end - 1] == '\r' || text[end - 1] == ' '))
            end--;
        const size_t start = text.rfind('\n', end ? end - 1 : 0);
        const size_t from = start == std::string::npos ? 0 : start + 1;
        if (end > from) {
            last = text.substr(from, end - from);
            break;
        }
        end = from;
    }
    return last.size() > 300 ? last.substr(0, 300) : last;
}

// Starts ffmpeg with `args` (after the program name). Its standard input is
// `in` (-1: nothing), its messages go to `log`. -1 when fork fails.
pid_t Spawn(const std::vector<const char *> &args, int in, std::FILE *log)
{
    std::vector<const char *> argv = {"ffmpeg", "-nostdin", "-hide_banner", "-loglevel", "error", "-y"};
    if (in >= 0)
        argv.erase(argv.begin() + 1); // it reads its frames from stdin
    argv.insert(argv.end(), args.begin(), args.end());
    argv.push_back(nullptr);
    const pid_t parent = getpid();
    const pid_t pid = fork();
    if (pid != 0)
        return pid;
    // The child: a process group of its own, and gone when we are.
    setpgid(0, 0);
#ifdef __linux__
    prctl(PR_SET_PDEATHSIG, SIGKILL);
#endif
    if (getppid() != parent)
        _exit(127);
    std::signal(SIGPIPE, SIG_DFL);
    std::signal(SIGINT, SIG_DFL);
    std::signal(SIGTERM, SIG_DFL);
    const int null = open("/dev/null", O_RDWR);
    dup2(in >= 0 ? in : null, STDIN_FILENO);
    dup2(log ? fileno(log) : null, STDERR_FILENO);
    dup2(null, STDOUT_FILENO);
    execvp("ffmpeg", const_cast<char *const *>(argv.data()));
    _exit(127);
}

// Waits for the process; true when it exited with status 0.
bool Reap(pid_t pid, std::FILE *log, char *error, unsigned errorSize)
{
    int status = 0;
    while (waitpid(pid, &status, 0) < 0) {
        if (errno != EINTR) {
            std::snprintf(error, errorSize, "ffmpeg: %s", std::strerror(errno));
            return false;
        }
    }
    if (WIFEXITED(status) && WEXITSTATUS(status) == 0)
        return true;
    const std::string last = LastLine(log);
    if (WIFEXITED(status) && WEXITSTATUS(status) == 127 && last.empty())
        std::snprintf(error, errorSize, "ffmpeg was not found (install the ffmpeg package)");
    else if (WIFSIGNALED(status))
        std::snprintf(error, errorSize, "ffmpeg was ended by signal %d", WTERMSIG(status));
    else
        std::snprintf(error, errorSize, "ffmpeg failed: %s", last.empty() ? "no message" : last.c_str());
    return false;
}

// ---- A Matroska stream of raw frames ------------------------------------------

void PutId(std::vector<uint8_t> &out, uint32_t id)
{
    for (int shift = 24; shift >= 0; shift -= 8)
        if ((id >> shift) != 0)
            out.push_back(static_cast<uint8_t>(id >> shift));
}

// An eight-byte size (0x01 marker then seven bytes), or "unknown".
void PutSize(std::vector<uint8_t> &out, uint64_t size, bool unknown = false)
{
    out.push_back(0x01);
    for (int shift = 48; shift >= 0; shift -= 8)
        out.push_back(unknown ? 0xFF : static_cast<uint8_t>(size >> shift));
}

void PutUint(std::vector<uint8_t> &out, uint32_t id, uint64_t v)
{
    PutId(out, id);
    PutSize(out, 8);
    for (int shift = 56; shift >= 0; shift -= 8)
        out.push_back(static_cast<uint8_t>(v >> shift));
}

void PutBytes(std::vector<uint8_t> &out, uint32_t id, const void *data, size_t n)
{
    PutId(out, id);
    PutSize(out, n);
    const uint8_t *p = static_cast<const uint8_t *>(data);
    out.insert(out.end(), p, p + n);
}

void PutMaster(std::vector<uint8_t> &out, uint32_t id, const std::vector<uint8_t> &body)
{
    PutBytes(out, id, body.data(), body.size());
}

// EBML header, then a segment of unknown length with the stream's info and
// its one video track (uncompressed, BGRA, times in milliseconds).
std::vector<uint8_t> StreamHeader(int width, int height)
{
    std::vector<uint8_t> ebml, info, video, track, tracks, out;
    PutUint(ebml, 0x4286, 1);
    PutUint(ebml, 0x42F7, 1);
    PutUint(ebml, 0x42F2, 4);
    PutUint(ebml, 0x42F3, 8);
    PutBytes(ebml, 0x4282, "matroska", 8);
    PutUint(ebml, 0x4287, 4);
    PutUint(ebml, 0x4285, 2);
    PutMaster(out, 0x1A45DFA3, ebml);
    PutId(out, 0x18538067);
    PutSize(out, 0, true);
    PutUint(info, 0x2AD7B1, 1000000); // one tick a millisecond
    PutBytes(info, 0x4D80, "veltrane", 8);
    PutBytes(info, 0x5741, "veltrane", 8);
    PutMaster(out, 0x1549A966, info);
    PutUint(video, 0xB0, static_cast<uint64_t>(width));
    PutUint(video, 0xBA, static_cast<uint64_t>(height));
    PutBytes(video, 0x2EB524, "BGRA", 4);
    PutUint(track, 0xD7, 1);
    PutUint(track, 0x73C5, 1);
    PutUint(track, 0x83, 1);
    PutUint(track, 0x9C, 0); // no lacing
    PutBytes(track, 0x86, "V_UNCOMPRESSED", 14);
    PutMaster(track, 0xE0, video);
    PutMaster(tracks, 0xAE, track);
    PutMaster(out, 0x1654AE6B, tracks);
    return out;
}

bool WriteAll(VideoSink *sink, const void *data, size_t n)
{
    const char *p = static_cast<const char *>(data);
    while (n > 0) {
        const ssize_t done = write(sink->Fd, p, n);
        if (done < 0 && errno == EINTR)
            continue;
        if (done <= 0) {
            sink->Broken = true;
            return false;
        }
        p += done;
        n -= static_cast<size_t>(done);
    }
    return true;
}

} // namespace

bool EncoderAvailable()
{
    const char *path = std::getenv("PATH");
    std::string dirs = path ? path : "/usr/bin:/bin";
    size_t start = 0;
    while (start <= dirs.size()) {
        size_t end = dirs.find(':', start);
        if (end == std::string::npos)
            end = dirs.size();
        const std::string dir = end > start ? dirs.substr(start, end - start) : ".";
        const std::string file = dir + "/ffmpeg";
        struct stat st;
        if (stat(file.c_str(), &st) == 0 && S_ISREG(st.st_mode) && access(file.c_str(), X_OK) == 0)
            return true;
        start = end + 1;
    }
    return false;
}

bool RunEncoder(const char *const *args, char *error, unsigned errorSize)
{
    std::vector<const char *> list;
    for (; args && *args; args++)
        list.push_back(*args);
    std::FILE *log = std::tmpfile();
    const pid_t pid = Spawn(list, -1, log);
    if (pid < 0) {
        std::snprintf(error, errorSize, "cannot start ffmpeg: %s", std::strerror(errno));
        if (log)
            std::fclose(log);
        return false;
    }
    const bool ok = Reap(pid, log, error, errorSize);
    if (log)
        std::fclose(log);
    return ok;
}

VideoSink *VideoSinkOpen(const char *path, int width, int height, const char *const *encoderArgs, char *error,
                         unsigned errorSize)
{
    std::vector<const char *> args = {"-f", "matroska", "-i", "-", "-map", "0:v"};
    for (; encoderArgs && *encoderArgs; encoderArgs++)
        args.push_back(*encoderArgs);
    args.push_back(path);

    int fds[2];
    if (pipe(fds) != 0) {
        std::snprintf(error, errorSize, "cannot start ffmpeg: %s", std::strerror(errno));
        return nullptr;
    }
    fcntl(fds[1], F_SETFD, FD_CLOEXEC);
    // A vanished encoder must show up as a failed write, not kill us.
    std::signal(SIGPIPE, SIG_IGN);
    std::FILE *log = std::tmpfile();
    const pid_t pid = Spawn(args, fds[0], log);
    close(fds[0]);
    if (pid < 0) {
        std::snprintf(error, errorSize, "cannot start ffmpeg: %s", std::strerror(errno));
        close(fds[1]);
        if (log)
            std::fclose(log);
        return nullptr;
    }
    VideoSink *sink = new VideoSink{pid, fds[1], log, static_cast<size_t>(width) * height * 4, false, {}};
    const std::vector<uint8_t> head = StreamHeader(width, height);
    WriteAll(sink, head.data(), head.size());
    return sink;
}

bool VideoSinkWrite(VideoSink *sink, const uint32_t *pixels, uint32_t ms)
{
    if (!sink || sink->Broken)
        return false;
    // One cluster a frame: its time, then one key-frame block at offset 0.
    std::vector<uint8_t> &h = sink->Head;
    h.clear();
    const uint64_t block = 4 + sink->FrameBytes;
    const uint64_t cluster = (1 + 8 + 8) + (1 + 8 + block);
    PutId(h, 0x1F43B675);
    PutSize(h, cluster);
    PutUint(h, 0xE7, ms);
    PutId(h, 0xA3);
    PutSize(h, block);
    h.insert(h.end(), {0x81, 0x00, 0x00, 0x80});
    return WriteAll(sink, h.data(), h.size()) && WriteAll(sink, pixels, sink->FrameBytes);
}

bool VideoSinkClose(VideoSink *sink, char *error, unsigned errorSize)
{
    if (!sink)
        return false;
    close(sink->Fd);
    bool ok = Reap(sink->Pid, sink->Log, error, errorSize);
    if (ok && sink->Broken) {
        std::snprintf(error, errorSize, "ffmpeg stopped reading the frames");
        ok = false;
    }
    if (sink->Log)
        std::fclose(sink->Log);
    delete sink;
    return ok;
}
