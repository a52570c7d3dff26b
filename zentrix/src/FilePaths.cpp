// File names as the program writes them ("Data\\Land.raw") turned into host
// paths: backslashes become '/', and a leading "Data" folder becomes the data
// folder set by ZentrixSetDataFolder. Every file the library opens goes here.
#include "zentrix.h"

#include "FileRead.h"

#include <cstdio>
#include <cstring>

#include <sys/stat.h>

namespace {

// The data folder, without a trailing separator. Set once at start-up.
char gDataFolder[4096] = "Data";

bool IsSeparator(char c)
{
    return c == '/' || c == '\\';
}

// True when `name` starts with the folder "Data" (any case) and a separator.
bool StartsWithDataFolder(const char *name)
{
    static const char kData[] = "data";
    for (int i = 0; i < 4; i++) {
        char c = name[i];
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
        if (c != kData[i])
            return false;
    }
    return IsSeparator(name[4]);
}

} // namespace

extern "C" {

void ZentrixSetDataFolder(const char *Folder)
{
    if (!Folder || !*Folder) {
        std::strcpy(gDataFolder, "Data");
        return;
    }
    size_t len = std::strlen(Folder);
    if (len >= sizeof(gDataFolder))
        return; // keep the previous folder rather than a cut-off one
    std::memcpy(gDataFolder, Folder, len + 1);
    for (size_t i = 0; i < len; i++)
        if (gDataFolder[i] == '\\')
            gDataFolder[i] = '/';
    while (len > 1 && gDataFolder[len - 1] == '/')
        gDataFolder[--len] = '\0';
}

char *ZentrixResolvePath(const char *FileName, char *Out, uint32_t OutSize)
{
    if (!FileName || !Out || OutSize == 0)
        return nullptr;
    const char *rest = FileName;
    size_t used = 0;
    if (StartsWithDataFolder(FileName)) {
        const size_t folderLen = std::strlen(gDataFolder);
        if (folderLen + 1 >= OutSize) {
            Out[0] = '\0';
            return nullptr;
        }
        std::memcpy(Out, gDataFolder, folderLen);
        used = folderLen;
        rest = FileName + 4; // keeps the separator that follows "Data"
        if (used > 0 && Out[used - 1] == '/')
            rest++;
    }
    for (; *rest; rest++) {
        if (used + 1 >= OutSize) {
            Out[0] = '\0';
            return nullptr;
        }
        Out[used++] = *rest == '\\' ? '/' : *rest;
    }
    Out[used] = '\0';
    return Out;
}

int32_t ZentrixIsRegularFile(const char *HostPath)
{
    struct stat st;
    return HostPath && stat(HostPath, &st) == 0 && S_ISREG(st.st_mode) ? 1 : 0;
}

} // extern "C"

namespace zentrix {

std::FILE *OpenDataFile(const char *FileName)
{
    char path[4096 + 512];
    if (!ZentrixResolvePath(FileName, path, sizeof(path)) || !ZentrixIsRegularFile(path))
        return nullptr;
    return std::fopen(path, "rb");
}

bool ReadDataFile(const char *FileName, uint64_t maxBytes, std::vector<uint8_t> *bytes)
{
    std::FILE *f = OpenDataFile(FileName);
    if (!f)
        return false;
    bytes->clear();
    uint8_t chunk[65536];
    bool ok = true;
    for (;;) {
        const uint64_t want = std::min<uint64_t>(sizeof(chunk), maxBytes - bytes->size());
        if (want == 0)
            break;
        const size_t got = std::fread(chunk, 1, static_cast<size_t>(want), f);
        bytes->insert(bytes->end(), chunk, chunk + got);
        if (got < want) {
            ok = !std::ferror(f);
            break;
        }
    }
    std::fclose(f);
    return ok;
}

} // namespace zentrix
