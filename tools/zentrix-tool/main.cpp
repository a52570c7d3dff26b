// zentrix-tool: looks into the library's file formats from the command line.
// One table of commands; each command lives in its own file.
#include "Commands.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <exception>

#include <sys/stat.h>
#include <unistd.h>

namespace {

struct Command {
    const char *name;
    const char *usage;
    const char *summary;
    int (*run)(const Args &args);
};

const Command kCommands[] = {
    {"info", "info FILE", "dimensions and format of a .pcx image; the sizes a .raw file could be", CommandInfo},
    {"decode", "decode FILE OUT.png|OUT.bmp [--size WxH] [--bpp 8|24]",
     "decodes a .pcx image, or a .raw image of the given size and depth, to PNG or BMP", CommandDecode},
    {"mesh", "mesh FILE [--json] [--render OUT.png [--type N] [--angle X,Y,Z]]",
     "what the 3D engine imports of a .3DS or .ASE mesh, or a picture of it drawn by its renderer", CommandMesh},
    {"pack", "pack PATTERN ARCHIVE", "packs the files matching PATTERN (* and ?) into a data archive", CommandPack},
    {"list", "list ARCHIVE", "index, name, sizes and ratio of every member of a data archive", CommandList},
    {"extract", "extract ARCHIVE [DIR]", "unpacks every member of a data archive into DIR (default .)", CommandExtract},
    {"cab", "cab CABINET DIR", "extracts every file of a cabinet (.cab) into DIR", CommandCab},
    {"splash", "splash PICTURE MASK BACKGROUND OUT.png [--at X,Y]", "blends a .pcx picture through a .pcx mask over a .pcx background", CommandSplash},
};

int Usage(std::FILE *out)
{
    std::fprintf(out, "usage: zentrix-tool COMMAND ARGS...\n\ncommands:\n");
    for (const Command &c : kCommands)
        std::fprintf(out, "  %-50s %s\n", c.usage, c.summary);
    std::fprintf(out, "\nzentrix-tool help prints this text.\n");
    return out == stdout ? 0 : 2;
}

// What was printed on stdout reached it (a full disk or /dev/full fails).
int CheckStdout(int status)
{
    if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
        std::fprintf(stderr, "zentrix-tool: cannot write the output: %s\n", std::strerror(errno));
        return status == 0 ? 1 : status;
    }
    return status;
}

} // namespace

bool CheckInputFile(const std::string &path)
{
    struct stat st;
    const char *why = nullptr;
    if (stat(path.c_str(), &st) != 0)
        why = std::strerror(errno);
    else if (S_ISDIR(st.st_mode))
        why = "is a folder, not a file";
    else if (!S_ISREG(st.st_mode))
        why = "not a regular file";
    else if (access(path.c_str(), R_OK) != 0)
        why = std::strerror(errno);
    if (why)
        std::fprintf(stderr, "zentrix-tool: %s: %s\n", path.c_str(), why);
    return why == nullptr;
}

int main(int argc, char **argv)
{
    if (argc < 2)
        return Usage(stderr);
    const char *name = argv[1];
    if (!std::strcmp(name, "help") || !std::strcmp(name, "--help") || !std::strcmp(name, "-h"))
        return Usage(stdout);
    for (const Command &c : kCommands) {
        if (std::strcmp(c.name, name) != 0)
            continue;
        try {
            return CheckStdout(c.run(Args(argv + 2, argv + argc)));
        } catch (const std::exception &e) {
            std::fprintf(stderr, "zentrix-tool: %s: %s\n", argc > 2 ? argv[2] : name, e.what());
            return 1;
        }
    }
    std::fprintf(stderr, "zentrix-tool: unknown command '%s'\n", name);
    return Usage(stderr);
}
