// Temporary folders and small files for the tests that read or write files.
#include "TestFiles.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

TempFolder::TempFolder()
{
    std::string pattern = (std::filesystem::temp_directory_path() / "app_tests_XXXXXX").string();
    std::vector<char> buf(pattern.begin(), pattern.end());
    buf.push_back('\0');
    if (mkdtemp(buf.data()))
        Path = buf.data();
}

TempFolder::~TempFolder()
{
    std::error_code ec;
    if (!Path.empty())
        std::filesystem::remove_all(Path, ec);
}

void WriteBytes(const std::string &path, const std::vector<uint8_t> &bytes)
{
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char *>(bytes.data()), std::streamsize(bytes.size()));
}

std::vector<uint8_t> ReadBytes(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::vector<uint8_t> MakePcx(int w, int h, const std::vector<uint8_t> &indices)
{
    std::vector<uint8_t> f(128, 0);
    f[0] = 10;
    f[1] = 5;
    f[2] = 1;
    f[3] = 8;
    f[8] = uint8_t(w - 1);
    f[9] = uint8_t((w - 1) >> 8);
    f[10] = uint8_t(h - 1);
    f[11] = uint8_t((h - 1) >> 8);
    f[65] = 1;
    f[66] = uint8_t(w);
    f[67] = uint8_t(w >> 8);
    f[68] = 1;
    for (uint8_t v : indices) {
        if (v >= 0xC0)
            f.push_back(0xC1);
        f.push_back(v);
    }
    f.push_back(0x0C);
    for (int i = 0; i < 256; i++) {
        f.push_back(uint8_t(i));
        f.push_back(uint8_t(255 - i));
        f.push_back(uint8_t(i / 2));
    }
    return f;
}
