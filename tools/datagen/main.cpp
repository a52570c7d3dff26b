// datagen DIR: writes every data file of the demo into DIR.
// datagen --preview PREVIEW [DIR]: also writes PNG previews of the pictures
// into PREVIEW (the data into PREVIEW/Data when no DIR is given).
#include "Datagen.h"
#include "Preview.h"

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
    {"counter digits", GenerateNumbers},
    {"water symbol and palette", GenerateWater},
    {"landscape colours", GenerateLandTables},
    {"light palettes, lines and sprites", GenerateLights},
    {"lens flare", GenerateLenz},
    {"warped background", GenerateWarp},
    {"bump relief", GenerateBumpy},
    {"title", GenerateTitle},
    {"scroller text", GenerateGreetz},
    {"meshes", GenerateMeshes},
    {"mesh textures", GenerateMeshTextures},
};

int Usage()
{
    std::fprintf(stderr, "usage: datagen [--preview PREVIEW] DIR\n"
                         "  writes every file of the demo's Data/ folder into DIR\n"
                         "  --preview PREVIEW  also writes a PNG of every picture and a contact sheet\n"
                         "                     into PREVIEW (DIR defaults to PREVIEW/Data)\n");
    return 2;
}

} // namespace

int main(int argc, char **argv)
{
    std::string dir, previewDir;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--preview" && i + 1 < argc && previewDir.empty())
            previewDir = argv[++i];
        else if (!arg.empty() && arg[0] != '-' && dir.empty())
            dir = arg;
        else
            return Usage();
    }
    if (dir.empty() && !previewDir.empty())
        dir = previewDir + "/Data";
    if (dir.empty())
        return Usage();
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
    if (!previewDir.empty()) {
        std::filesystem::create_directories(previewDir, ec);
        if (ec || !WritePreviews(dir, previewDir)) {
            std::fprintf(stderr, "datagen: writing the previews into %s failed\n", previewDir.c_str());
            return 1;
        }
        std::printf("datagen: previews in %s\n", previewDir.c_str());
    }
    return 0;
}
