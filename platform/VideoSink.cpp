// The encoder behind the headless backend's video export: ffmpeg processes
// (EncoderProcess*.cpp start them on each system). A video sink feeds one a
// Matroska stream of raw 0x00RRGGBB frames (BGRA) through a pipe, each frame
// with its own millisecond time stamp, so the encoder sees the demo's own
// cadence instead of a fixed rate.
#include "Platform.h"

#include "EncoderProcess.h"

#include <cstdio>
#include <string>
#include <vector>

struct VideoSink {
    EncoderProcess *Encoder;
    size_t FrameBytes;
    bool Broken;
    std::vector<uint8_t> Head; // the element headers of one frame's cluster
};

namespace {

// ---- A Matroska stream of raw frames ------------------------------------------

void PutId(std::vector<uint8_t> &out, uint32_t id)
{
    for (int shift = 24; shift >= 0; shift -= 8)
        if ((id >> shift) != 0)
            out.push_back(static_cast<uint8_t>(id >> shift));
}

// An eight-byte size (0x01 marker then seven bytes), or "unknown".
void PutSize(std::vector<uint8_t> &out, uint64_t size, bool unknown = false)
{
    out.push_back(0x01);
    for (int shift = 48; shift >= 0; shift -= 8)
        out.push_back(unknown ? 0xFF : static_cast<uint8_t>(size >> shift));
}

void PutUint(std::vector<uint8_t> &out, uint32_t id, uint64_t v)
{
    PutId(out, id);
    PutSize(out, 8);
    for (int shift = 56; shift >= 0; shift -= 8)
        out.push_back(static_cast<uint8_t>(v >> shift));
}

void PutBytes(std::vector<uint8_t> &out, uint32_t id, const void *data, size_t n)
{
    PutId(out, id);
    PutSize(out, n);
    const uint8_t *p = static_cast<const uint8_t *>(data);
    out.insert(out.end(), p, p + n);
}

void PutMaster(std::vector<uint8_t> &out, uint32_t id, const std::vector<uint8_t> &body)
{
    PutBytes(out, id, body.data(), body.size());
}

// EBML header, then a segment of unknown length with the stream's info and
// its one video track (uncompressed, BGRA, times in milliseconds).
std::vector<uint8_t> StreamHeader(int width, int height)
{
    std::vector<uint8_t> ebml, info, video, track, tracks, out;
    PutUint(ebml, 0x4286, 1);
    PutUint(ebml, 0x42F7, 1);
    PutUint(ebml, 0x42F2, 4);
    PutUint(ebml, 0x42F3, 8);
    PutBytes(ebml, 0x4282, "matroska", 8);
    PutUint(ebml, 0x4287, 4);
    PutUint(ebml, 0x4285, 2);
    PutMaster(out, 0x1A45DFA3, ebml);
    PutId(out, 0x18538067);
    PutSize(out, 0, true);
    PutUint(info, 0x2AD7B1, 1000000); // one tick a millisecond
    PutBytes(info, 0x4D80, "veltrane", 8);
    PutBytes(info, 0x5741, "veltrane", 8);
    PutMaster(out, 0x1549A966, info);
    PutUint(video, 0xB0, static_cast<uint64_t>(width));
    PutUint(video, 0xBA, static_cast<uint64_t>(height));
    PutBytes(video, 0x2EB524, "BGRA", 4);
    PutUint(track, 0xD7, 1);
    PutUint(track, 0x73C5, 1);
    PutUint(track, 0x83, 1);
    PutUint(track, 0x9C, 0); // no lacing
    PutBytes(track, 0x86, "V_UNCOMPRESSED", 14);
    PutMaster(track, 0xE0, video);
    PutMaster(tracks, 0xAE, track);
    PutMaster(out, 0x1654AE6B, tracks);
    return out;
}

bool WriteAll(VideoSink *sink, const void *data, size_t n)
{
    if (!EncoderWrite(sink->Encoder, data, n))
        sink->Broken = true;
    return !sink->Broken;
}

} // namespace

std::string EncoderLastLine(std::FILE *log)
{
    std::string text, last;
    if (!log)
        return last;
    std::fflush(log);
    std::rewind(log);
    char chunk[4096];
    size_t n;
    while ((n = std::fread(chunk, 1, sizeof(chunk), log)) > 0 && text.size() < (1u << 20))
        text.append(chunk, n);
    size_t end = text.size();
    while (end > 0) {
        while (end > 0 && (text[end - 1] == '\n' || text[end - 1] == '\r' || text[end - 1] == ' '))
            end--;
        const size_t start = text.rfind('\n', end ? end - 1 : 0);
        const size_t from = start == std::string::npos ? 0 : start + 1;
        if (end > from) {
            last = text.substr(from, end - from);
            break;
        }
        end = from;
    }
    return last.size() > 300 ? last.substr(0, 300) : last;
}

bool EncoderAvailable()
{
    return EncoderOnPath();
}

bool RunEncoder(const char *const *args, char *error, unsigned errorSize)
{
    std::vector<const char *> list;
    for (; args && *args; args++)
        list.push_back(*args);
    EncoderProcess *encoder = EncoderStart(list, false, error, errorSize);
    return encoder && EncoderFinish(encoder, error, errorSize);
}

VideoSink *VideoSinkOpen(const char *path, int width, int height, const char *const *encoderArgs, char *error,
                         unsigned errorSize)
{
    std::vector<const char *> args = {"-f", "matroska", "-i", "-", "-map", "0:v"};
    for (; encoderArgs && *encoderArgs; encoderArgs++)
        args.push_back(*encoderArgs);
    args.push_back(path);

    EncoderProcess *encoder = EncoderStart(args, true, error, errorSize);
    if (!encoder)
        return nullptr;
    VideoSink *sink = new VideoSink{encoder, static_cast<size_t>(width) * height * 4, false, {}};
    const std::vector<uint8_t> head = StreamHeader(width, height);
    WriteAll(sink, head.data(), head.size());
    return sink;
}

bool VideoSinkWrite(VideoSink *sink, const uint32_t *pixels, uint32_t ms)
{
    if (!sink || sink->Broken)
        return false;
    // One cluster a frame: its time, then one key-frame block at offset 0.
    std::vector<uint8_t> &h = sink->Head;
    h.clear();
    const uint64_t block = 4 + sink->FrameBytes;
    const uint64_t cluster = (1 + 8 + 8) + (1 + 8 + block);
    PutId(h, 0x1F43B675);
    PutSize(h, cluster);
    PutUint(h, 0xE7, ms);
    PutId(h, 0xA3);
    PutSize(h, block);
    h.insert(h.end(), {0x81, 0x00, 0x00, 0x80});
    return WriteAll(sink, h.data(), h.size()) && WriteAll(sink, pixels, sink->FrameBytes);
}

bool VideoSinkClose(VideoSink *sink, char *error, unsigned errorSize)
{
    if (!sink)
        return false;
    bool ok = EncoderFinish(sink->Encoder, error, errorSize);
    if (ok && sink->Broken) {
        std::snprintf(error, errorSize, "ffmpeg stopped reading the frames");
        ok = false;
    }
    delete sink;
    return ok;
}
