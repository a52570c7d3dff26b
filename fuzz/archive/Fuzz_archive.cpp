// Fuzzes the archive reader: OpenArchive on any file, then every member
// read into a buffer of the size the input's first byte picks, with a guard
// behind it that must never change; EnumFiles walks the same file.
#include "zentrix.h"

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include <unistd.h>

namespace {

int32_t CountMember(int32_t, const char *, uint32_t, uint32_t, uint32_t)
{
    return 1;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 1)
        return 0;
    static const std::string path = "/tmp/zentrix_fuzz_archive_" + std::to_string(getpid()) + ".zxa";
    std::FILE *f = std::fopen(path.c_str(), "wb");
    if (!f)
        return 0;
    std::fwrite(data + 1, 1, size - 1, f);
    std::fclose(f);
    const uint32_t room = uint32_t(data[0]) * 37u;
    std::vector<uint8_t> buffer(room + 16, 0xA5);
    defZENTRIXARCHIVE a{};
    if (OpenArchive(path.c_str(), &a)) {
        for (int32_t i = 0; i <= a.FileCount; i++) {
            ReadArchiveFileByIndexSized(i, &a, buffer.data(), room);
            if (i < a.FileCount)
                ReadArchiveFileByNameSized(a.pFiles[i].Name, &a, buffer.data(), room);
        }
        for (size_t i = room; i < buffer.size(); i++)
            if (buffer[i] != 0xA5)
                std::abort();
        CloseArchive(&a);
    }
    EnumFiles(path.c_str(), CountMember);
    std::remove(path.c_str());
    return 0;
}
