#include "PcxWriter.h"

namespace {

void PutU16(std::vector<uint8_t> &out, size_t at, int v)
{
    out[at] = uint8_t(v & 255);
    out[at + 1] = uint8_t((v >> 8) & 255);
}

int GetU16(const std::vector<uint8_t> &in, size_t at) { return int(in[at]) | (int(in[at + 1]) << 8); }

} // namespace

std::vector<uint8_t> EncodePcx8(const IndexedPicture &picture)
{
    const int w = picture.width, h = picture.height;
    const int bytesPerLine = (w + 1) & ~1;
    std::vector<uint8_t> out(128, 0);
    out[0] = 10;    // manufacturer
    out[1] = 5;     // version 3.0 and later (256-colour palette)
    out[2] = 1;     // run-length encoding
    out[3] = 8;     // bits per pixel and plane
    PutU16(out, 4, 0);
    PutU16(out, 6, 0);
    PutU16(out, 8, w - 1);
    PutU16(out, 10, h - 1);
    PutU16(out, 12, 72);
    PutU16(out, 14, 72);
    out[65] = 1;    // planes
    PutU16(out, 66, bytesPerLine);
    PutU16(out, 68, 1);    // colour palette
    out.reserve(out.size() + size_t(w) * size_t(h) / 2 + 1024);

    std::vector<uint8_t> row(size_t(bytesPerLine), 0);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x)
            row[size_t(x)] = picture.index[size_t(y) * size_t(w) + size_t(x)];
        for (int x = 0; x < bytesPerLine;) {
            const uint8_t v = row[size_t(x)];
            int n = 1;
            while (x + n < bytesPerLine && n < 63 && row[size_t(x + n)] == v)
                ++n;
            if (n > 1 || (v & 0xC0) == 0xC0)
                out.push_back(uint8_t(0xC0 | n));
            out.push_back(v);
            x += n;
        }
    }
    out.push_back(12);
    out.insert(out.end(), picture.palette.begin(), picture.palette.end());
    return out;
}

bool DecodePcx8(const std::vector<uint8_t> &file, IndexedPicture *out)
{
    if (file.size() < 128 + 769 || file[3] != 8 || file[65] != 1)
        return false;
    const int w = GetU16(file, 8) - GetU16(file, 4) + 1;
    const int h = GetU16(file, 10) - GetU16(file, 6) + 1;
    const int bytesPerLine = GetU16(file, 66);
    if (w <= 0 || h <= 0 || bytesPerLine < w)
        return false;
    const size_t total = size_t(bytesPerLine) * size_t(h);
    std::vector<uint8_t> stream;
    stream.reserve(total);
    size_t at = 128;
    while (stream.size() < total) {
        if (at >= file.size())
            return false;
        const uint8_t c = file[at++];
        if ((c & 0xC0) == 0xC0) {
            if (at >= file.size())
                return false;
            stream.insert(stream.end(), size_t(c & 0x3F), file[at++]);
        } else {
            stream.push_back(c);
        }
    }
    if (at + 769 > file.size())
        return false;
    out->width = w;
    out->height = h;
    out->index.assign(size_t(w) * size_t(h), 0);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            out->index[size_t(y) * size_t(w) + size_t(x)] = stream[size_t(y) * size_t(bytesPerLine) + size_t(x)];
    for (size_t i = 0; i < 768; ++i)
        out->palette[i] = file[at + 1 + i];
    return true;
}

std::vector<uint8_t> EncodeRaw24(const Picture &picture)
{
    std::vector<uint8_t> out;
    out.reserve(picture.px.size() * 3);
    for (uint32_t c : picture.px) {
        out.push_back(uint8_t(RedOf(c)));
        out.push_back(uint8_t(GreenOf(c)));
        out.push_back(uint8_t(BlueOf(c)));
    }
    return out;
}

Picture Expand(const IndexedPicture &picture)
{
    Picture p(picture.width, picture.height);
    for (size_t i = 0; i < p.px.size(); ++i)
        p.px[i] = picture.ColourOf(picture.index[i]);
    return p;
}
