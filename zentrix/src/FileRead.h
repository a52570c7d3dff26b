// Opening and reading the library's files through the data-folder mapping
// (FilePaths.cpp). Library-internal.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <vector>

namespace zentrix {

// Opens a file named as the program names it, for binary reading; null when
// the name doesn't resolve or the file can't be opened.
std::FILE *OpenDataFile(const char *FileName);

// Reads at most maxBytes of the file into *bytes. False when the file can't
// be opened or a read error occurs (a short file is not an error).
bool ReadDataFile(const char *FileName, uint64_t maxBytes, std::vector<uint8_t> *bytes);

} // namespace zentrix
