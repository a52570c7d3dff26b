#include "DataFile.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <system_error>

bool WriteDataFile(const std::string &dir, const std::string &name, const std::vector<uint8_t> &bytes)
{
    const std::string path = dir + "/" + name;
    const std::string tmp = path + ".part";
    FILE *f = std::fopen(tmp.c_str(), "wb");
    if (!f) {
        std::fprintf(stderr, "datagen: cannot write %s: %s\n", tmp.c_str(), std::strerror(errno));
        return false;
    }
    bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    ok = (std::fclose(f) == 0) && ok;
    std::error_code ec;
    if (ok)
        std::filesystem::rename(tmp, path, ec); // replaces an older file
    if (ok && ec)
        ok = false;
    if (!ok) {
        std::fprintf(stderr, "datagen: writing %s failed: %s\n", path.c_str(),
                     ec ? ec.message().c_str() : std::strerror(errno));
        std::remove(tmp.c_str());
    }
    return ok;
}
