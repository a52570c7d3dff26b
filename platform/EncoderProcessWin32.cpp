// ffmpeg on Windows: started without a console of its own (so a Ctrl-C in
// ours reaches only us), in a job object that ends it when we end, its input
// a pipe and its messages a temporary file that goes when it is closed.
#include "EncoderProcess.h"

#include <cstring>
#include <string>

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <io.h>

struct EncoderProcess {
    HANDLE Process;
    HANDLE Job;   // null when the system refused one
    HANDLE Input; // null when it reads none
    std::FILE *Log;
};

namespace {

std::wstring Widen(const char *text)
{
    const int n = MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
    std::wstring wide(n > 0 ? n : 1, L'\0');
    if (n > 0)
        MultiByteToWideChar(CP_ACP, 0, text, -1, wide.data(), n);
    wide.resize(wide.size() - 1);
    return wide;
}

// Appends one argument, quoted so that the C runtime's parser reads it back
// as it was: backslashes doubled only before a quote.
void AppendArgument(std::wstring &line, const std::wstring &arg)
{
    if (!line.empty())
        line += L' ';
    if (!arg.empty() && arg.find_first_of(L" \t\n\v\"") == std::wstring::npos) {
        line += arg;
        return;
    }
    line += L'"';
    for (size_t i = 0;; i++) {
        size_t slashes = 0;
        for (; i < arg.size() && arg[i] == L'\\'; i++)
            slashes++;
        if (i == arg.size()) {
            line.append(slashes * 2, L'\\');
            break;
        }
        line.append(arg[i] == L'"' ? slashes * 2 + 1 : slashes, L'\\');
        line += arg[i];
    }
    line += L'"';
}

// A read-write file in the user's temporary folder, removed when closed.
std::FILE *OpenLog()
{
    wchar_t folder[MAX_PATH + 1], name[MAX_PATH + 1];
    if (!GetTempPathW(MAX_PATH + 1, folder) || !GetTempFileNameW(folder, L"vel", 0, name))
        return nullptr;
    return _wfopen(name, L"w+bD");
}

HANDLE Inheritable(HANDLE h)
{
    HANDLE copy = nullptr;
    if (h == nullptr || h == INVALID_HANDLE_VALUE ||
        !DuplicateHandle(GetCurrentProcess(), h, GetCurrentProcess(), &copy, 0, TRUE, DUPLICATE_SAME_ACCESS))
        return nullptr;
    return copy;
}

void CloseIf(HANDLE h)
{
    if (h != nullptr && h != INVALID_HANDLE_VALUE)
        CloseHandle(h);
}

void ReportSystemError(const char *what, DWORD code, char *error, unsigned errorSize)
{
    char text[256] = "";
    FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0, text, sizeof(text),
                   nullptr);
    size_t n = std::strlen(text);
    while (n > 0 && (text[n - 1] == '\n' || text[n - 1] == '\r' || text[n - 1] == ' ' || text[n - 1] == '.'))
        text[--n] = '\0';
    std::snprintf(error, errorSize, "%s: %s", what, n ? text : "unknown error");
}

} // namespace

bool EncoderOnPath()
{
    wchar_t found[MAX_PATH + 1];
    return SearchPathW(nullptr, L"ffmpeg", L".exe", MAX_PATH + 1, found, nullptr) > 0;
}

EncoderProcess *EncoderStart(const std::vector<const char *> &args, bool input, char *error, unsigned errorSize)
{
    std::wstring line;
    AppendArgument(line, L"ffmpeg");
    for (const char *arg : {"-nostdin", "-hide_banner", "-loglevel", "error", "-y"})
        if (!(input && std::strcmp(arg, "-nostdin") == 0)) // with input it reads its frames from stdin
            AppendArgument(line, Widen(arg));
    for (const char *arg : args)
        AppendArgument(line, Widen(arg));

    SECURITY_ATTRIBUTES inherit = {sizeof(inherit), nullptr, TRUE};
    HANDLE readEnd = nullptr, writeEnd = nullptr;
    if (input) {
        if (!CreatePipe(&readEnd, &writeEnd, &inherit, 1 << 20)) {
            ReportSystemError("cannot start ffmpeg", GetLastError(), error, errorSize);
            return nullptr;
        }
        SetHandleInformation(writeEnd, HANDLE_FLAG_INHERIT, 0); // ours alone
    }
    HANDLE null = CreateFileW(L"NUL", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                              OPEN_EXISTING, 0, nullptr);
    std::FILE *log = OpenLog();
    HANDLE logHandle = log ? Inheritable(reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(log)))) : nullptr;

    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = input ? readEnd : null;
    startup.hStdOutput = null;
    startup.hStdError = logHandle ? logHandle : null;
    PROCESS_INFORMATION info{};
    const BOOL started = CreateProcessW(nullptr, line.data(), nullptr, nullptr, TRUE,
                                        CREATE_NO_WINDOW | CREATE_SUSPENDED, nullptr, nullptr, &startup, &info);
    const DWORD startError = GetLastError();
    CloseIf(readEnd);
    CloseIf(null);
    CloseIf(logHandle);
    if (!started) {
        if (startError == ERROR_FILE_NOT_FOUND || startError == ERROR_PATH_NOT_FOUND)
            std::snprintf(error, errorSize, "ffmpeg was not found (install ffmpeg and add its folder to the PATH)");
        else
            ReportSystemError("cannot start ffmpeg", startError, error, errorSize);
        CloseIf(writeEnd);
        if (log)
            std::fclose(log);
        return nullptr;
    }
    // The encoder ends with us, whichever way we end.
    HANDLE job = CreateJobObjectW(nullptr, nullptr);
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
    limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
    if (job && (!SetInformationJobObject(job, JobObjectExtendedLimitInformation, &limits, sizeof(limits)) ||
                !AssignProcessToJobObject(job, info.hProcess))) {
        CloseHandle(job);
        job = nullptr;
    }
    ResumeThread(info.hThread);
    CloseHandle(info.hThread);
    return new EncoderProcess{info.hProcess, job, writeEnd, log};
}

bool EncoderWrite(EncoderProcess *p, const void *data, size_t n)
{
    const char *at = static_cast<const char *>(data);
    while (n > 0) {
        const DWORD chunk = n > (1u << 30) ? (1u << 30) : static_cast<DWORD>(n);
        DWORD done = 0;
        if (!WriteFile(p->Input, at, chunk, &done, nullptr) || done == 0)
            return false;
        at += done;
        n -= done;
    }
    return true;
}

bool EncoderFinish(EncoderProcess *p, char *error, unsigned errorSize)
{
    CloseIf(p->Input);
    DWORD code = 1;
    const bool waited =
        WaitForSingleObject(p->Process, INFINITE) == WAIT_OBJECT_0 && GetExitCodeProcess(p->Process, &code);
    const bool ok = waited && code == 0;
    if (!waited) {
        ReportSystemError("ffmpeg", GetLastError(), error, errorSize);
    } else if (!ok) {
        const std::string last = EncoderLastLine(p->Log);
        if (last.empty())
            std::snprintf(error, errorSize, "ffmpeg failed with exit code %lu", static_cast<unsigned long>(code));
        else
            std::snprintf(error, errorSize, "ffmpeg failed: %s", last.c_str());
    }
    CloseHandle(p->Process);
    CloseIf(p->Job);
    if (p->Log)
        std::fclose(p->Log);
    delete p;
    return ok;
}
