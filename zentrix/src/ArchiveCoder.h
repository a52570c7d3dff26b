// The data archive's sliding-window coder (Archive.cpp, ArchiveCoder.cpp).
// Library-internal.
#pragma once

#include <cstddef>
#include <cstdint>

namespace zentrix {

// Receives the coder's output in pieces; false stops the coder.
struct ByteSink {
    bool (*write)(void *context, const uint8_t *bytes, size_t count);
    void *context;
};

// Greedy hash-chain compressor. Writes the stream of `input` to `sink`
// through a 4096-byte buffer; false when the sink refused a piece.
// `written` (may be null) receives the stream's length.
bool CompressStream(const uint8_t *input, size_t size, ByteSink sink, uint64_t *written);

// Decodes a stream of `size` bytes. True only when the end mark comes after
// exactly `expected` bytes of output, every token lies inside the stream and
// no match points before the first output byte. Output goes to the sink in
// pieces of at most 4096 bytes; nothing beyond `expected` bytes is written.
bool DecompressStream(const uint8_t *stream, size_t size, uint64_t expected, ByteSink sink);

} // namespace zentrix
