// ffmpeg on POSIX systems: forked into a process group of its own (so a
// Ctrl-C in the terminal reaches only us) and killed with us if we die.
#include "EncoderProcess.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#ifdef __linux__
#include <sys/prctl.h>
#endif

struct EncoderProcess {
    pid_t Pid;
    int Fd; // its input, -1 when it reads none
    std::FILE *Log;
};

namespace {

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

} // namespace

bool EncoderOnPath()
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

EncoderProcess *EncoderStart(const std::vector<const char *> &args, bool input, char *error, unsigned errorSize)
{
    int fds[2] = {-1, -1};
    if (input) {
        if (pipe(fds) != 0) {
            std::snprintf(error, errorSize, "cannot start ffmpeg: %s", std::strerror(errno));
            return nullptr;
        }
        fcntl(fds[1], F_SETFD, FD_CLOEXEC);
        // A vanished encoder must show up as a failed write, not kill us.
        std::signal(SIGPIPE, SIG_IGN);
    }
    std::FILE *log = std::tmpfile();
    const pid_t pid = Spawn(args, fds[0], log);
    if (input)
        close(fds[0]);
    if (pid < 0) {
        std::snprintf(error, errorSize, "cannot start ffmpeg: %s", std::strerror(errno));
        if (input)
            close(fds[1]);
        if (log)
            std::fclose(log);
        return nullptr;
    }
    return new EncoderProcess{pid, fds[1], log};
}

bool EncoderWrite(EncoderProcess *p, const void *data, size_t n)
{
    const char *at = static_cast<const char *>(data);
    while (n > 0) {
        const ssize_t done = write(p->Fd, at, n);
        if (done < 0 && errno == EINTR)
            continue;
        if (done <= 0)
            return false;
        at += done;
        n -= static_cast<size_t>(done);
    }
    return true;
}

bool EncoderFinish(EncoderProcess *p, char *error, unsigned errorSize)
{
    if (p->Fd >= 0)
        close(p->Fd);
    int status = 0;
    bool waited = true;
    while (waitpid(p->Pid, &status, 0) < 0) {
        if (errno != EINTR) {
            std::snprintf(error, errorSize, "ffmpeg: %s", std::strerror(errno));
            waited = false;
            break;
        }
    }
    bool ok = waited && WIFEXITED(status) && WEXITSTATUS(status) == 0;
    if (waited && !ok) {
        const std::string last = EncoderLastLine(p->Log);
        if (WIFEXITED(status) && WEXITSTATUS(status) == 127 && last.empty())
            std::snprintf(error, errorSize, "ffmpeg was not found (install the ffmpeg package)");
        else if (WIFSIGNALED(status))
            std::snprintf(error, errorSize, "ffmpeg was ended by signal %d", WTERMSIG(status));
        else
            std::snprintf(error, errorSize, "ffmpeg failed: %s", last.empty() ? "no message" : last.c_str());
    }
    if (p->Log)
        std::fclose(p->Log);
    delete p;
    return ok;
}
