// The archive's sliding-window coder: a 4096-byte window, tokens of a flag
// bit then a literal byte or a 12-bit distance and 7-bit length - 1, bits
// packed least significant first, a match of distance 0 as the end mark.
// The compressor is greedy over hash chains of two-byte keys.
#include "zentrix.h"

#include "ArchiveCoder.h"

#include <cstdlib>
#include <cstring>
#include <memory>

#if !defined(__BYTE_ORDER__) || __BYTE_ORDER__ != __ORDER_LITTLE_ENDIAN__
#error "the match search compares 8 bytes at a time as little-endian words"
#endif

namespace zentrix {
namespace {

constexpr int kWindow = 4096;
constexpr int kMask = kWindow - 1;
constexpr int kMaxMatch = 128;
constexpr int kMinMatch = 3;
constexpr int16_t kNone = -1;

// Output collected in a 4096-byte buffer and handed on when full.
struct BitWriter {
    ByteSink sink;
    uint8_t buffer[4096];
    size_t used = 0;
    uint64_t bits = 0;
    int count = 0;
    uint64_t total = 0;
    bool ok = true;

    void Flush()
    {
        if (used && ok)
            ok = sink.write(sink.context, buffer, used);
        used = 0;
    }
    void Put(uint32_t value, int width)
    {
        bits |= uint64_t(value) << count;
        count += width;
        while (count >= 8) {
            buffer[used++] = uint8_t(bits);
            total++;
            bits >>= 8;
            count -= 8;
            if (used == sizeof(buffer))
                Flush();
        }
    }
    void PadToByte()
    {
        if (count > 0)
            Put(0, 8 - count);
    }
};

// Window with a mirror of its first 128 bytes behind it, so that a match
// starting near the end compares straight on; chains of positions by the
// hash of the two bytes at each position, doubly linked.
struct Compressor {
    uint8_t window[kWindow + kMaxMatch];
    int16_t head[kWindow];
    int16_t prev[kWindow];
    int16_t next[kWindow];
    int16_t chainOf[kWindow]; // the chain a position is linked into, or kNone

    void Reset()
    {
        std::memset(window, 0, sizeof(window));
        for (int i = 0; i < kWindow; i++)
            head[i] = prev[i] = next[i] = chainOf[i] = kNone;
    }
    int HashAt(int pos) const { return ((window[pos + 1] << 8) + window[pos]) & kMask; }
    void Unlink(int pos)
    {
        const int chain = chainOf[pos];
        if (chain == kNone)
            return;
        if (prev[pos] != kNone)
            next[prev[pos]] = next[pos];
        else
            head[chain] = next[pos];
        if (next[pos] != kNone)
            prev[next[pos]] = prev[pos];
        chainOf[pos] = kNone;
    }
    void Link(int pos)
    {
        const int chain = HashAt(pos);
        prev[pos] = kNone;
        next[pos] = head[chain];
        if (head[chain] != kNone)
            prev[head[chain]] = int16_t(pos);
        head[chain] = int16_t(pos);
        chainOf[pos] = int16_t(chain);
    }
    // Longest match for the bytes at `cur` along its chain (the first of
    // equal lengths); a full-length match ends the search and leaves the
    // chain, since `cur` will stand for it from now on.
    int Search(int cur, int *matchPos)
    {
        int best = 0;
        const uint8_t *b = window + cur;
        for (int pos = head[HashAt(cur)]; pos != kNone; pos = next[pos]) {
            const uint8_t *a = window + pos;
            // Only a longer match counts: one that differs at `best` can't be.
            if (a[best] != b[best])
                continue;
            int len = 0;
            while (len + 8 <= kMaxMatch) {
                uint64_t x, y;
                std::memcpy(&x, a + len, 8);
                std::memcpy(&y, b + len, 8);
                if (x != y) {
                    len += __builtin_ctzll(x ^ y) / 8; // first differing byte (little-endian)
                    break;
                }
                len += 8;
            }
            if (len > best) {
                best = len;
                *matchPos = pos;
                if (len == kMaxMatch) {
                    Unlink(pos);
                    break;
                }
            }
        }
        return best;
    }
};

struct BitReader {
    const uint8_t *at, *end;
    uint64_t bits = 0;
    int count = 0;

    bool Get(int width, uint32_t *value)
    {
        while (count < width) {
            if (at == end)
                return false;
            bits |= uint64_t(*at++) << count;
            count += 8;
        }
        *value = uint32_t(bits & ((uint64_t(1) << width) - 1));
        bits >>= width;
        count -= width;
        return true;
    }
};

} // namespace

bool CompressStream(const uint8_t *input, size_t size, ByteSink sink, uint64_t *written)
{
    std::unique_ptr<Compressor> c(new (std::nothrow) Compressor);
    std::unique_ptr<BitWriter> out(new (std::nothrow) BitWriter);
    if (!c || !out)
        return false;
    out->sink = sink;
    c->Reset();
    size_t read = size < size_t(kMaxMatch) ? size : size_t(kMaxMatch);
    if (read)
        std::memcpy(c->window, input, read);
    std::memcpy(c->window + kWindow, c->window, kMaxMatch);
    int ahead = int(read);
    int cur = 0;
    while (ahead > 0 && out->ok) {
        int matchPos = 0;
        int len = c->Search(cur, &matchPos);
        if (len > ahead)
            len = ahead;
        if (len >= kMinMatch) {
            out->Put(1, 1);
            out->Put(uint32_t(cur - matchPos) & kMask, 12);
            out->Put(uint32_t(len - 1), 7);
        } else {
            out->Put(0, 1);
            out->Put(c->window[cur], 8);
            len = 1;
        }
        for (int i = 0; i < len; i++) {
            const int incoming = (cur + kMaxMatch) & kMask;
            c->Unlink(incoming);
            if (read < size) {
                c->window[incoming] = input[read++];
                if (incoming < kMaxMatch)
                    c->window[kWindow + incoming] = c->window[incoming];
            } else {
                ahead--;
            }
            c->Link(cur);
            cur = (cur + 1) & kMask;
        }
    }
    out->Put(1, 1);
    out->Put(0, 12);
    out->PadToByte();
    out->Flush();
    if (written)
        *written = out->total;
    return out->ok;
}

bool DecompressStream(const uint8_t *stream, size_t size, uint64_t expected, ByteSink sink)
{
    std::unique_ptr<uint8_t[]> window(new (std::nothrow) uint8_t[kWindow]());
    if (!window)
        return false;
    BitReader in{stream, stream + size};
    uint64_t produced = 0;
    int w = 0, flushed = 0;
    auto flush = [&]() {
        const bool ok = w == flushed || sink.write(sink.context, window.get() + flushed, size_t(w - flushed));
        flushed = w;
        return ok;
    };
    for (;;) {
        uint32_t flag, value;
        if (!in.Get(1, &flag))
            return false;
        if (!flag) {
            if (!in.Get(8, &value) || produced == expected)
                return false;
            window[w++] = uint8_t(value);
            produced++;
        } else {
            uint32_t distance, length;
            if (!in.Get(12, &distance))
                return false;
            if (distance == 0)
                return produced == expected && flush();
            if (!in.Get(7, &length))
                return false;
            length += 1;
            if (distance > produced || length > expected - produced)
                return false;
            // One byte at a time: a copy may overlap its own output.
            for (uint32_t i = 0; i < length; i++) {
                window[w] = window[(w - int(distance)) & kMask];
                if (++w == kWindow) {
                    if (!flush())
                        return false;
                    w = flushed = 0;
                }
            }
            produced += length;
            continue;
        }
        if (w == kWindow) {
            if (!flush())
                return false;
            w = flushed = 0;
        }
    }
}

} // namespace zentrix

namespace {

struct MemorySink {
    uint8_t *at;
    size_t left;
};

bool WriteToMemory(void *context, const uint8_t *bytes, size_t count)
{
    auto *m = static_cast<MemorySink *>(context);
    if (count > m->left)
        return false;
    std::memcpy(m->at, bytes, count);
    m->at += count;
    m->left -= count;
    return true;
}

} // namespace

extern "C" {

uint32_t ZentrixCompressBound(uint32_t InputSize)
{
    // Nine bits a literal, thirteen for the end mark, one byte of padding.
    const uint64_t bound = (uint64_t(InputSize) * 9 + 13 + 7) / 8;
    return bound > UINT32_MAX ? UINT32_MAX : uint32_t(bound);
}

uint32_t ZentrixCompress(const void *Input, uint32_t InputSize, void *Output, uint32_t OutputSize)
{
    if ((!Input && InputSize) || !Output)
        return 0;
    MemorySink m{static_cast<uint8_t *>(Output), OutputSize};
    uint64_t written = 0;
    if (!zentrix::CompressStream(static_cast<const uint8_t *>(Input), InputSize, {WriteToMemory, &m}, &written))
        return 0;
    return uint32_t(written);
}

uint32_t ZentrixDecompress(const void *Input, uint32_t InputSize, void *Output, uint32_t OutputSize)
{
    if (!Input || (!Output && OutputSize))
        return 0;
    MemorySink m{static_cast<uint8_t *>(Output), OutputSize};
    return zentrix::DecompressStream(static_cast<const uint8_t *>(Input), InputSize, OutputSize, {WriteToMemory, &m})
               ? 1
               : 0;
}

} // extern "C"
