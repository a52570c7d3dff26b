// Fuzzes cabinet extraction: the input is written as a cabinet and
// extracted into a scratch folder, which must hold nothing outside it
// afterwards; the folder is emptied for the next run.
#include "zentrix.h"

#include <cstdio>
#include <filesystem>
#include <string>

#include <unistd.h>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static const std::string base = "/tmp/zentrix_fuzz_cab_" + std::to_string(getpid());
    static const std::string cab = base + ".cab", target = base + "/inside/target";
    std::error_code ec;
    std::filesystem::remove_all(base, ec);
    std::filesystem::create_directories(target, ec);
    std::FILE *f = std::fopen(cab.c_str(), "wb");
    if (!f)
        return 0;
    std::fwrite(data, 1, size, f);
    std::fclose(f);
    DecompressCAB(cab.c_str(), target.c_str());
    char text[256];
    GetCABError(text);
    // Nothing may land beside the target folder.
    for (const auto &e : std::filesystem::directory_iterator(base + "/inside"))
        if (e.path().filename() != "target")
            std::abort();
    std::remove(cab.c_str());
    return 0;
}
