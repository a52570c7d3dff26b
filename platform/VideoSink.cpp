// The video sink of the headless backend: an ffmpeg process started with a
// pipe on its standard input, raw 0x00RRGGBB frames written into it (bgra
// in ffmpeg's terms), and the music WAV as the second input.
#include "Platform.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include <sys/wait.h>
#include <unistd.h>

struct VideoSink {
    pid_t Pid;
    int Fd;
    size_t FrameBytes;
    bool Broken;
};

VideoSink *VideoSinkOpen(const char *path, const char *wavPath, int width, int height, int fps, double seconds,
                         char *error, unsigned errorSize)
{
    char size[32], rate[16], length[32], fade[64];
    std::snprintf(size, sizeof(size), "%dx%d", width, height);
    std::snprintf(rate, sizeof(rate), "%d", fps);
    std::snprintf(length, sizeof(length), "%.3f", seconds);
    std::snprintf(fade, sizeof(fade), "afade=t=out:st=%.3f:d=1", seconds > 1.0 ? seconds - 1.0 : 0.0);
    std::vector<const char *> args = {"ffmpeg", "-hide_banner", "-loglevel", "error", "-y",
                                      "-f", "rawvideo", "-pix_fmt", "bgra", "-s", size, "-r", rate, "-i", "-"};
    if (wavPath) {
        args.insert(args.end(), {"-i", wavPath, "-map", "0:v", "-map", "1:a", "-c:a", "aac", "-b:a", "192k",
                                 "-af", fade});
    }
    args.insert(args.end(), {"-c:v", "libx264", "-preset", "veryfast", "-crf", "18", "-pix_fmt", "yuv420p",
                             "-movflags", "+faststart", "-t", length, path, nullptr});

    int fds[2];
    if (pipe(fds) != 0) {
        std::snprintf(error, errorSize, "cannot start ffmpeg: %s", std::strerror(errno));
        return nullptr;
    }
    // A vanished encoder must show up as a failed write, not kill us.
    std::signal(SIGPIPE, SIG_IGN);
    const pid_t pid = fork();
    if (pid < 0) {
        std::snprintf(error, errorSize, "cannot start ffmpeg: %s", std::strerror(errno));
        close(fds[0]);
        close(fds[1]);
        return nullptr;
    }
    if (pid == 0) {
        dup2(fds[0], STDIN_FILENO);
        close(fds[0]);
        close(fds[1]);
        execvp("ffmpeg", const_cast<char *const *>(args.data()));
        _exit(127);
    }
    close(fds[0]);
    return new VideoSink{pid, fds[1], static_cast<size_t>(width) * height * 4, false};
}

bool VideoSinkWrite(VideoSink *sink, const uint32_t *pixels)
{
    if (!sink || sink->Broken)
        return false;
    const char *p = reinterpret_cast<const char *>(pixels);
    size_t left = sink->FrameBytes;
    while (left > 0) {
        const ssize_t n = write(sink->Fd, p, left);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            sink->Broken = true;
            return false;
        }
        p += n;
        left -= static_cast<size_t>(n);
    }
    return true;
}

bool VideoSinkClose(VideoSink *sink, char *error, unsigned errorSize)
{
    if (!sink)
        return false;
    close(sink->Fd);
    int status = 0;
    while (waitpid(sink->Pid, &status, 0) < 0 && errno == EINTR) {
    }
    bool ok = WIFEXITED(status) && WEXITSTATUS(status) == 0 && !sink->Broken;
    if (WIFEXITED(status) && WEXITSTATUS(status) == 127)
        std::snprintf(error, errorSize, "ffmpeg was not found (install the ffmpeg package)");
    else if (!ok)
        std::snprintf(error, errorSize, "ffmpeg failed (exit status %d)", WIFEXITED(status) ? WEXITSTATUS(status) : -1);
    delete sink;
    return ok;
}
