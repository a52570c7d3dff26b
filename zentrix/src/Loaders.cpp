// Image loaders: headerless raw files (8- and 24-bit) and run-length coded
// 256-colour PCX files, converted into the caller's buffer. No file can make
// a loader read or write outside a buffer: sizes are checked before writing.
#include "zentrix.h"

#include "FileRead.h"
#include "Limits.h"
#include "Pixels.h"

#include <cstring>
#include <vector>

namespace {

// Largest file the PCX loader reads whole (a 32767 x 32767 image with worst
// coding is far past anything a caller's buffer holds).
constexpr uint64_t kMaxPcxFile = 256ull << 20;

// Pixel count of a raw request, or 0 when it is empty or absurd.
uint64_t RawPixels(uint32_t Width, uint32_t Height)
{
    const uint64_t count = uint64_t(Width) * Height;
    return count > uint64_t(zentrix::kMaxPixels) ? 0 : count;
}

// Reads up to Width x Height 24-bit pixels and hands every complete pixel to
// `put(index, r, g, b)`. Pixels past the end of a short file are not touched,
// so they keep what the destination held.
template <typename Put>
void ReadRaw24(const char *FileName, uint32_t Width, uint32_t Height, Put put)
{
    const uint64_t count = RawPixels(Width, Height);
    if (count == 0)
        return;
    std::vector<uint8_t> bytes;
    if (!zentrix::ReadDataFile(FileName, count * 3, &bytes) || bytes.empty())
        return;
    const size_t whole = bytes.size() / 3;
    for (size_t i = 0; i < whole; i++)
        put(i, bytes[3 * i], bytes[3 * i + 1], bytes[3 * i + 2]);
}

int16_t ReadI16(const uint8_t *p)
{
    return static_cast<int16_t>(p[0] | (p[1] << 8));
}

// Run-length decoding of the PCX image stream starting at byte 128. The
// decoder counts rows as it goes (a run adds its length to the running count,
// and the row advances once when the count reaches BytesPerLine), stops when
// the row count reaches `height`, and hands every byte of the stream inside
// the image (height x BytesPerLine bytes) to `put(position, value)`. Returns
// the offset just past the image data, or 0 when the file ends first.
template <typename Put>
size_t DecodePcxStream(const std::vector<uint8_t> &file, int32_t bytesPerLine, int32_t height, Put put)
{
    const uint64_t total = uint64_t(bytesPerLine) * uint64_t(height);
    uint64_t written = 0;
    int32_t count = 0;
    int32_t row = 0;
    size_t pos = 128;
    while (row < height) {
        if (pos >= file.size())
            return 0;
        const uint8_t c = file[pos++];
        uint32_t n = 1;
        uint8_t value = c;
        if ((c & 0xC0) == 0xC0) {
            if (pos >= file.size())
                return 0;
            n = c & 0x3F;
            value = file[pos++];
        }
        count += static_cast<int32_t>(n);
        if (count >= bytesPerLine) {
            count -= bytesPerLine;
            row++;
        }
        // Output past the image (a run that overshoots the last row) is dropped.
        for (uint32_t i = 0; i < n && written < total; i++)
            put(written++, value);
        if (written >= total)
            written = total;
    }
    return pos;
}

} // namespace

extern "C" {

// A file shorter than Width x Height bytes fills the destination with what
// it holds; the rest keeps its content.
void LoadRaw(const char *FileName, uint32_t Width, uint32_t Height, void *Destination)
{
    const uint64_t count = RawPixels(Width, Height);
    if (!Destination || count == 0)
        return;
    std::FILE *f = zentrix::OpenDataFile(FileName);
    if (!f)
        return;
    std::fread(Destination, 1, static_cast<size_t>(count), f);
    std::fclose(f);
}

void LoadRaw24_24(const char *FileName, uint32_t Width, uint32_t Height, uint8_t *Destination)
{
    const uint64_t count = RawPixels(Width, Height);
    if (!Destination || count == 0)
        return;
    std::FILE *f = zentrix::OpenDataFile(FileName);
    if (!f)
        return;
    std::fread(Destination, 1, static_cast<size_t>(count * 3), f);
    std::fclose(f);
}

void LoadRaw24(const char *FileName, uint32_t Width, uint32_t Height, uint16_t *Destination)
{
    if (!Destination)
        return;
    ReadRaw24(FileName, Width, Height, [Destination](size_t i, uint8_t r, uint8_t g, uint8_t b) {
        Destination[i] = zentrix::Rgb24To16(r, g, b);
    });
}

void LoadRaw32(const char *FileName, uint32_t Width, uint32_t Height, uint32_t *Destination)
{
    if (!Destination)
        return;
    ReadRaw24(FileName, Width, Height, [Destination](size_t i, uint8_t r, uint8_t g, uint8_t b) {
        Destination[i] = zentrix::Rgb24To32(r, g, b);
    });
}

// Only complete, well-formed 8-bit single-stream images are written: a file
// that is too short, claims a size past Capacity, or has rows shorter than
// the image is refused with 0 and the destination is left untouched.
uint32_t LoadPCX24(const char *FileName, uint32_t *Destination, uint32_t Capacity)
{
    if (!Destination)
        return 0;
    std::vector<uint8_t> file;
    if (!zentrix::ReadDataFile(FileName, kMaxPcxFile + 1, &file) || file.size() > kMaxPcxFile || file.size() < 128)
        return 0;
    const int32_t width = int32_t(ReadI16(&file[8])) - ReadI16(&file[4]) + 1;
    const int32_t height = int32_t(ReadI16(&file[10])) - ReadI16(&file[6]) + 1;
    const uint8_t planes = file[65];
    const int32_t bytesPerLine = ReadI16(&file[66]);
    if (width <= 0 || height <= 0 || planes == 0 || bytesPerLine < width)
        return 0;
    if (uint64_t(width) * uint64_t(height) > Capacity)
        return 0;

    // First pass: find where the image data ends (the palette follows one
    // marker byte later) without writing anything.
    const size_t end = DecodePcxStream(file, bytesPerLine, height, [](uint64_t, uint8_t) {});
    if (end == 0 || end + 1 + 768 > file.size())
        return 0;
    uint32_t palette[256];
    const uint8_t *pal = &file[end + 1];
    for (int i = 0; i < 256; i++)
        palette[i] = zentrix::Rgb24To32(pal[3 * i], pal[3 * i + 1], pal[3 * i + 2]);

    // Second pass: every stream byte in the visible columns of its row becomes
    // a pixel; the padding columns from width to BytesPerLine - 1 are skipped.
    DecodePcxStream(file, bytesPerLine, height, [&](uint64_t position, uint8_t value) {
        const uint64_t row = position / uint64_t(bytesPerLine);
        const uint64_t col = position % uint64_t(bytesPerLine);
        if (col < uint64_t(width))
            Destination[row * uint64_t(width) + col] = palette[value];
    });
    return 1;
}

} // extern "C"
