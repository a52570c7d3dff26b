#include "DataFile.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

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
    if (ok && std::rename(tmp.c_str(), path.c_str()) != 0)
        ok = false;
    if (!ok) {
        std::fprintf(stderr, "datagen: writing %s failed: %s\n", path.c_str(), std::strerror(errno));
        std::remove(tmp.c_str());
    }
    return ok;
}
