#include "PngWrite.h"

#include <zlib.h>

#include <cstdio>
#include <filesystem>
#include <system_error>

#include <sys/stat.h>

namespace {

void PutBE32(std::vector<uint8_t> &out, uint32_t v)
{
    out.push_back(uint8_t(v >> 24));
    out.push_back(uint8_t(v >> 16));
    out.push_back(uint8_t(v >> 8));
    out.push_back(uint8_t(v));
}

void PutChunk(std::vector<uint8_t> &out, const char type[4], const std::vector<uint8_t> &data)
{
    PutBE32(out, uint32_t(data.size()));
    size_t start = out.size();
    out.insert(out.end(), type, type + 4);
    out.insert(out.end(), data.begin(), data.end());
    uLong crc = crc32(0L, Z_NULL, 0);
    crc = crc32(crc, out.data() + start, uInt(out.size() - start));
    PutBE32(out, uint32_t(crc));
}

} // namespace

bool WriteFileAtomically(const std::string &path, const std::vector<uint8_t> &bytes)
{
    // Something that is not a regular file (a device such as /dev/full or
    // /dev/stdout) is written in place: renaming over it would replace it.
    struct stat st;
    if (stat(path.c_str(), &st) == 0 && !S_ISREG(st.st_mode)) {
        FILE *f = S_ISDIR(st.st_mode) ? nullptr : std::fopen(path.c_str(), "wb");
        if (!f)
            return false;
        bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
        ok = std::fflush(f) == 0 && ok;
        return std::fclose(f) == 0 && ok;
    }
    std::string tmp = path + ".part";
    FILE *f = std::fopen(tmp.c_str(), "wb");
    if (!f)
        return false;
    bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    ok = (std::fclose(f) == 0) && ok;
    if (ok) {
        std::error_code ec;
        std::filesystem::rename(tmp, path, ec); // replaces an older file
        ok = !ec;
    }
    if (!ok)
        std::remove(tmp.c_str());
    return ok;
}

std::vector<uint8_t> EncodePngRgb(const uint8_t *rgb, int width, int height)
{
    std::vector<uint8_t> out;
    if (width <= 0 || height <= 0)
        return out;
    static const uint8_t signature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    out.assign(signature, signature + 8);

    std::vector<uint8_t> ihdr;
    PutBE32(ihdr, uint32_t(width));
    PutBE32(ihdr, uint32_t(height));
    ihdr.insert(ihdr.end(), {8, 2, 0, 0, 0});   // 8 bits, RGB, deflate, no filter, no interlace
    PutChunk(out, "IHDR", ihdr);

    const size_t rowBytes = size_t(width) * 3;
    std::vector<uint8_t> raw;
    raw.reserve((rowBytes + 1) * size_t(height));
    for (int y = 0; y < height; ++y) {
        raw.push_back(0);
        raw.insert(raw.end(), rgb + size_t(y) * rowBytes, rgb + size_t(y + 1) * rowBytes);
    }
    uLongf packedSize = compressBound(uLong(raw.size()));
    std::vector<uint8_t> packed(packedSize);
    if (compress2(packed.data(), &packedSize, raw.data(), uLong(raw.size()), 6) != Z_OK)
        return {};
    packed.resize(packedSize);
    PutChunk(out, "IDAT", packed);
    PutChunk(out, "IEND", {});
    return out;
}

bool WritePngRgb(const std::string &path, const uint8_t *rgb, int width, int height)
{
    std::vector<uint8_t> bytes = EncodePngRgb(rgb, width, height);
    return !bytes.empty() && WriteFileAtomically(path, bytes);
}

bool WritePngXrgb(const std::string &path, const uint32_t *pixels, int width, int height, int stride)
{
    if (width <= 0 || height <= 0)
        return false;
    std::vector<uint8_t> rgb(size_t(width) * size_t(height) * 3);
    uint8_t *o = rgb.data();
    for (int y = 0; y < height; ++y) {
        const uint32_t *row = pixels + size_t(y) * size_t(stride);
        for (int x = 0; x < width; ++x) {
            uint32_t p = row[x];
            *o++ = uint8_t(p >> 16);
            *o++ = uint8_t(p >> 8);
            *o++ = uint8_t(p);
        }
    }
    return WritePngRgb(path, rgb.data(), width, height);
}
