// datagen DIR: writes every data file of the demo into DIR.
#include "Datagen.h"

#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>

namespace {

struct Generator {
    const char *name;
    bool (*run)(const std::string &dir);
};

const Generator kGenerators[] = {
    {"test card", GenerateTestCard},
    {"music", GenerateMusic},
};

int Usage()
{
    std::fprintf(stderr, "usage: datagen DIR\n  writes every file of the demo's Data/ folder into DIR\n");
    return 2;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 2 || argv[1][0] == '-')
        return Usage();
    const std::string dir = argv[1];
    std::error_code ec;
    std::filesystem::create_directories(dir, ec);
    if (ec) {
        std::fprintf(stderr, "datagen: cannot create %s: %s\n", dir.c_str(), ec.message().c_str());
        return 1;
    }
    const auto start = std::chrono::steady_clock::now();
    for (const Generator &g : kGenerators) {
        if (!g.run(dir)) {
            std::fprintf(stderr, "datagen: generating the %s failed\n", g.name);
            return 1;
        }
    }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("datagen: wrote %s in %.2f s\n", dir.c_str(), seconds);
    return 0;
}
