// Writers for the library's image files: 8-bit run-length PCX with a
// 256-colour palette at the end, and headerless raw 8- and 24-bit files.
// Also a plain PCX decoder, used by previews and tests.
#pragma once

#include "Image.h"

#include <array>
#include <cstdint>
#include <vector>

struct IndexedPicture {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> index;           // width * height palette indices, rows top down
    std::array<uint8_t, 768> palette{};   // 256 x (red, green, blue)

    uint32_t ColourOf(int i) const
    {
        return Rgb(palette[size_t(3 * i)], palette[size_t(3 * i + 1)], palette[size_t(3 * i + 2)]);
    }
    void SetColour(int i, uint32_t c)
    {
        palette[size_t(3 * i)] = uint8_t(RedOf(c));
        palette[size_t(3 * i + 1)] = uint8_t(GreenOf(c));
        palette[size_t(3 * i + 2)] = uint8_t(BlueOf(c));
    }
};

// PCX version 5, one 8-bit plane, rows padded to an even BytesPerLine, runs
// never crossing a row end, then the marker byte 12 and the palette.
std::vector<uint8_t> EncodePcx8(const IndexedPicture &picture);

// Decodes an 8-bit single-plane PCX; false for anything else or a short file.
bool DecodePcx8(const std::vector<uint8_t> &file, IndexedPicture *out);

// Raw files: rows top down, no header. 24-bit is red, green, blue per pixel.
std::vector<uint8_t> EncodeRaw24(const Picture &picture);

// The colours of an indexed picture as a 32-bit picture.
Picture Expand(const IndexedPicture &picture);
