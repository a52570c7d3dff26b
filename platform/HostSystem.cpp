#include "HostSystem.h"

#include <string>

#ifdef _WIN32
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#else
#include <climits>
#include <unistd.h>
#endif

namespace {

std::string FindProgramPath()
{
#ifdef _WIN32
    std::wstring wide(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n = GetModuleFileNameW(nullptr, wide.data(), static_cast<DWORD>(wide.size()));
        if (n == 0)
            return {};
        if (n < wide.size()) {
            wide.resize(n);
            break;
        }
        wide.resize(wide.size() * 2); // the name was cut short
    }
    // In the program's code page, as the C runtime's file functions take it.
    const int bytes = WideCharToMultiByte(CP_ACP, 0, wide.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string path(bytes > 0 ? bytes : 0, '\0');
    if (bytes <= 0 || !WideCharToMultiByte(CP_ACP, 0, wide.c_str(), -1, path.data(), bytes, nullptr, nullptr))
        return {};
    path.resize(static_cast<size_t>(bytes) - 1);
    return path;
#else
    char buffer[PATH_MAX];
    const ssize_t n = readlink("/proc/self/exe", buffer, sizeof(buffer));
    return n > 0 && static_cast<size_t>(n) < sizeof(buffer) ? std::string(buffer, static_cast<size_t>(n))
                                                             : std::string();
#endif
}

} // namespace

const char *PlatProgramPath()
{
    static const std::string path = FindProgramPath();
    return path.c_str();
}

void PlatLeaveOwnConsole()
{
#ifdef _WIN32
    DWORD processes[2];
    if (GetConsoleProcessList(processes, 2) == 1)
        FreeConsole();
#endif
}
