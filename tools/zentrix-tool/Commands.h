// The commands of zentrix-tool. Each takes its own arguments (without the
// command name), prints its result on stdout and its errors on stderr, and
// returns the process exit status (0 success, 1 failure, 2 bad usage).
#pragma once

#include <string>
#include <vector>

using Args = std::vector<std::string>;

int CommandInfo(const Args &args);    // info FILE
int CommandDecode(const Args &args);  // decode FILE OUT.png|OUT.bmp [--size WxH] [--bpp 8|24]
int CommandMesh(const Args &args);    // mesh FILE [--json] [--render OUT.png [--type N] [--angle X,Y,Z]]

// True when `path` is a regular file that can be read; otherwise prints
// "zentrix-tool: FILE: reason" (missing, a folder, not a regular file,
// unreadable) and returns false.
bool CheckInputFile(const std::string &path);

// Lower-case extension of a path including the dot (".pcx"), or "".
std::string ExtensionOf(const std::string &path);

int CommandPack(const Args &args);    // pack PATTERN ARCHIVE
int CommandList(const Args &args);    // list ARCHIVE
int CommandExtract(const Args &args); // extract ARCHIVE [DIR]
int CommandCab(const Args &args);     // cab CABINET DIR
int CommandSplash(const Args &args);  // splash PICTURE MASK BACKGROUND OUT.png [--at X,Y]
