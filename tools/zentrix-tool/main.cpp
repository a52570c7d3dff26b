// zentrix-tool: looks into the library's file formats from the command line.
// One table of commands; each command lives in its own file.
#include "Commands.h"

#include <cstdio>
#include <cstring>

namespace {

struct Command {
    const char *name;
    const char *usage;
    const char *summary;
    int (*run)(const Args &args);
};

const Command kCommands[] = {
    {"info", "info FILE", "dimensions and format of a .pcx image; the sizes a .raw file could be", CommandInfo},
    {"decode", "decode FILE OUT.png [--size WxH] [--bpp 8|24]",
     "decodes a .pcx image, or a .raw image of the given size and depth, to PNG", CommandDecode},
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

} // namespace

int main(int argc, char **argv)
{
    if (argc < 2)
        return Usage(stderr);
    const char *name = argv[1];
    if (!std::strcmp(name, "help") || !std::strcmp(name, "--help") || !std::strcmp(name, "-h"))
        return Usage(stdout);
    for (const Command &c : kCommands) {
        if (std::strcmp(c.name, name) == 0)
            return c.run(Args(argv + 2, argv + argc));
    }
    std::fprintf(stderr, "zentrix-tool: unknown command '%s'\n", name);
    return Usage(stderr);
}
