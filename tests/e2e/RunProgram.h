// What the end-to-end tests share: running a shell command with its output
// and exit status, and a scratch folder of this test process.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include <sys/wait.h>
#include <unistd.h>

namespace e2e {

struct Outcome {
    int Status;
    std::string Output; // stdout and stderr
};

// Runs `command` through the shell; Status is its exit status, -1 when it
// did not exit normally.
inline Outcome RunCommand(const std::string &command)
{
    Outcome r{-1, ""};
    std::FILE *p = popen((command + " 2>&1").c_str(), "r");
    if (!p)
        return r;
    char buffer[4096];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof(buffer), p)) > 0)
        r.Output.append(buffer, n);
    const int status = pclose(p);
    r.Status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return r;
}

// An empty folder named after `name` and this process, so that test runs in
// parallel do not share it.
inline std::filesystem::path ScratchFolder(const char *name)
{
    const auto dir = std::filesystem::path(::testing::TempDir()) / (std::string(name) + "-" + std::to_string(getpid()));
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    return dir;
}

} // namespace e2e
