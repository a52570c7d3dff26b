// What the end-to-end tests share: running a shell command with its output
// and exit status, starting the program in the background with its output
// in a file, reading a file whole, and a scratch folder of this test process.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char **environ;

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

// Starts argv[0] (looked up on PATH) with stdout and stderr into `log`;
// its process id, -1 when it could not be started.
inline pid_t Spawn(const std::vector<std::string> &args, const std::string &log)
{
    std::vector<char *> argv;
    for (const std::string &a : args)
        argv.push_back(const_cast<char *>(a.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t files;
    posix_spawn_file_actions_init(&files);
    posix_spawn_file_actions_addopen(&files, 1, log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_adddup2(&files, 1, 2);
    pid_t pid = -1;
    if (posix_spawnp(&pid, argv[0], &files, nullptr, argv.data(), environ) != 0)
        pid = -1;
    posix_spawn_file_actions_destroy(&files);
    return pid;
}

inline std::string ReadAll(const std::filesystem::path &path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
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
