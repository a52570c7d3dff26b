// Writes a fuzzer input to a scratch file the loaders can open (they read
// files by name), one file per process.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

#include <unistd.h>

inline const std::string &FuzzFile(const char *ext)
{
    static const std::string path = "/tmp/zentrix_fuzz_" + std::to_string(getpid()) + ext;
    return path;
}

inline bool WriteFuzzFile(const std::string &path, const uint8_t *data, size_t size)
{
    std::FILE *f = std::fopen(path.c_str(), "wb");
    if (!f)
        return false;
    const bool ok = std::fwrite(data, 1, size, f) == size;
    return std::fclose(f) == 0 && ok;
}
