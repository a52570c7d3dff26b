// Helpers for the library tests: scratch files and small pictures.
#pragma once

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#ifdef _WIN32
#include <process.h>
#else
#include <unistd.h>
#endif

// A scratch folder of its own for each test program run, removed at exit.
inline std::string ScratchDir()
{
    static const std::string dir = [] {
        std::string d =
            (std::filesystem::temp_directory_path() / ("zentrix_tests_" + std::to_string(getpid()))).string();
        std::filesystem::create_directories(d);
        std::atexit([] {
            std::error_code ec;
            std::filesystem::remove_all(std::filesystem::temp_directory_path() /
                                            ("zentrix_tests_" + std::to_string(getpid())),
                                        ec);
        });
        return d;
    }();
    return dir;
}

inline std::string WriteScratch(const std::string &name, const std::vector<uint8_t> &bytes)
{
    const std::string path = ScratchDir() + "/" + name;
    std::FILE *f = std::fopen(path.c_str(), "wb");
    if (f) {
        if (!bytes.empty())
            std::fwrite(bytes.data(), 1, bytes.size(), f);
        std::fclose(f);
    }
    return path;
}

// An empty scratch folder of that name (emptied if it was there).
inline std::string FreshDir(const std::string &name)
{
    const std::string dir = ScratchDir() + "/" + name;
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    return dir;
}

inline std::vector<uint8_t> ReadScratchFile(const std::string &path)
{
    std::vector<uint8_t> b;
    if (std::FILE *f = std::fopen(path.c_str(), "rb")) {
        for (int c; (c = std::fgetc(f)) != EOF;)
            b.push_back(uint8_t(c));
        std::fclose(f);
    }
    return b;
}

// A 256-colour PCX file: header, the given coded stream, marker, palette
// (entry i = (i, 255 - i, i / 2) unless given).
inline std::vector<uint8_t> MakePcx(int xmin, int ymin, int xmax, int ymax, int bytesPerLine,
                                    const std::vector<uint8_t> &stream, int planes = 1, bool withPalette = true)
{
    std::vector<uint8_t> f(128, 0);
    f[0] = 10;
    f[1] = 5;
    f[2] = 1;
    f[3] = 8;
    auto put16 = [&f](size_t at, int v) {
        f[at] = uint8_t(v & 0xFF);
        f[at + 1] = uint8_t((v >> 8) & 0xFF);
    };
    put16(4, xmin);
    put16(6, ymin);
    put16(8, xmax);
    put16(10, ymax);
    f[65] = uint8_t(planes);
    put16(66, bytesPerLine);
    for (uint8_t b : stream)
        f.push_back(b);
    if (withPalette) {
        f.push_back(12);
        for (int i = 0; i < 256; i++) {
            f.push_back(uint8_t(i));
            f.push_back(uint8_t(255 - i));
            f.push_back(uint8_t(i / 2));
        }
    }
    return f;
}

inline uint32_t PcxTestColour(uint8_t i)
{
    return (uint32_t(i) << 16) | (uint32_t(255 - i) << 8) | uint32_t(i / 2);
}
