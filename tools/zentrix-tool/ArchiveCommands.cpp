// pack, list and extract for the library's data archives, and cab for
// cabinets: thin commands over the library's exports.
#include "Commands.h"

#include "zentrix.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <system_error>

#include <sys/stat.h>

namespace {

int Fail(const char *command, const std::string &what)
{
    std::fprintf(stderr, "zentrix-tool %s: %s\n", command, what.c_str());
    return 1;
}

int BadUsage(const char *usage)
{
    std::fprintf(stderr, "usage: zentrix-tool %s\n", usage);
    return 2;
}

// Makes a folder and the folders above it; false when one can't be made.
bool MakeFolders(const std::string &path)
{
    std::error_code ec;
    std::filesystem::create_directories(path, ec);
    return !ec && std::filesystem::is_directory(path, ec);
}

bool IsRegularFile(const std::string &path)
{
    struct stat st;
    return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

} // namespace

int CommandPack(const Args &args)
{
    if (args.size() != 2)
        return BadUsage("pack PATTERN ARCHIVE");
    const std::string &pattern = args[0], &archive = args[1];
    std::remove(archive.c_str());
    CompressFiles(pattern.c_str(), archive.c_str());
    defZENTRIXARCHIVE a{};
    if (!IsRegularFile(archive) || !OpenArchive(archive.c_str(), &a))
        return Fail("pack", "could not write the archive '" + archive + "'");
    uint64_t size = 0, packed = 0;
    for (int32_t i = 0; i < a.FileCount; i++) {
        size += a.pFiles[i].UncompressedSize;
        packed += a.pFiles[i].CompressedSize;
    }
    const int32_t count = a.FileCount;
    CloseArchive(&a);
    if (count == 0) {
        std::remove(archive.c_str());
        return Fail("pack", "no file matches '" + pattern + "'");
    }
    std::printf("%d files, %llu -> %llu bytes, into %s\n", count, (unsigned long long)size,
                (unsigned long long)packed, archive.c_str());
    return 0;
}

int CommandList(const Args &args)
{
    if (args.size() != 1)
        return BadUsage("list ARCHIVE");
    defZENTRIXARCHIVE a{};
    if (!IsRegularFile(args[0]))
        return Fail("list", "can't open '" + args[0] + "'");
    if (!OpenArchive(args[0].c_str(), &a))
        return Fail("list", "'" + args[0] + "' is not a data archive, or it is damaged");
    std::printf("%5s  %10s  %10s  %6s  %s\n", "index", "size", "packed", "ratio", "name");
    uint64_t size = 0, packed = 0;
    for (int32_t i = 0; i < a.FileCount; i++) {
        const defZENTRIXARCHIVEFILE &f = a.pFiles[i];
        const double ratio = f.UncompressedSize ? 100.0 * f.CompressedSize / f.UncompressedSize : 0.0;
        std::printf("%5d  %10u  %10u  %5.1f%%  %s\n", i, f.UncompressedSize, f.CompressedSize, ratio, f.Name);
        size += f.UncompressedSize;
        packed += f.CompressedSize;
    }
    std::printf("%5d  %10llu  %10llu  %5.1f%%  (total)\n", a.FileCount, (unsigned long long)size,
                (unsigned long long)packed, size ? 100.0 * double(packed) / double(size) : 0.0);
    CloseArchive(&a);
    return 0;
}

int CommandExtract(const Args &args)
{
    if (args.empty() || args.size() > 2)
        return BadUsage("extract ARCHIVE [DIR]");
    const std::string dir = args.size() == 2 ? args[1] : ".";
    defZENTRIXARCHIVE a{};
    if (!IsRegularFile(args[0]))
        return Fail("extract", "can't open '" + args[0] + "'");
    if (!OpenArchive(args[0].c_str(), &a))
        return Fail("extract", "'" + args[0] + "' is not a data archive, or it is damaged");
    int failed = 0;
    for (int32_t i = 0; i < a.FileCount; i++) {
        const char *name = a.pFiles[i].Name;
        char path[4096];
        if (!ZentrixMemberPath(dir.c_str(), name, path, sizeof(path))) {
            std::fprintf(stderr, "zentrix-tool extract: member %d: refused the name '%s'\n", i, name);
            failed++;
            continue;
        }
        const std::string target = path;
        const size_t slash = target.rfind('/');
        if ((slash != std::string::npos && !MakeFolders(target.substr(0, slash))) ||
            !ReadArchiveFileToDiskByIndex(i, &a, target.c_str())) {
            std::fprintf(stderr, "zentrix-tool extract: member %d '%s': damaged, or %s can't be written\n", i, name,
                         target.c_str());
            failed++;
            continue;
        }
        std::printf("%s\n", target.c_str());
    }
    CloseArchive(&a);
    if (failed)
        return Fail("extract", std::to_string(failed) + " of the members failed");
    return 0;
}

int CommandCab(const Args &args)
{
    if (args.size() != 2)
        return BadUsage("cab CABINET DIR");
    if (!MakeFolders(args[1]))
        return Fail("cab", "can't make the folder '" + args[1] + "'");
    if (!DecompressCAB(args[0].c_str(), args[1].c_str())) {
        char text[256];
        GetCABError(text);
        std::string reason = text;
        while (!reason.empty() && reason.back() == '\n')
            reason.pop_back();
        return Fail("cab", reason);
    }
    std::printf("extracted %s into %s\n", args[0].c_str(), args[1].c_str());
    return 0;
}
