// Temporary folders and small files for the tests that read or write files.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// A fresh folder under the system's temporary folder, removed with its
// contents when the object goes.
struct TempFolder {
    TempFolder();
    ~TempFolder();
    std::string Path;
    std::string File(const std::string &name) const { return Path + "/" + name; }
};

void WriteBytes(const std::string &path, const std::vector<uint8_t> &bytes);
std::vector<uint8_t> ReadBytes(const std::string &path);
