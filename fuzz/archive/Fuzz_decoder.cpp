// Fuzzes the archive decoder on raw streams: the first two bytes give the
// expected size, the output buffer is exactly that large plus a guard. A
// stream the decoder accepts must also survive compressing its output.
#include "zentrix.h"

#include <cstdlib>
#include <cstring>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 2)
        return 0;
    const uint32_t expected = uint32_t(data[0] | data[1] << 8);
    std::vector<uint8_t> out(size_t(expected) + 16, 0xA5);
    const uint32_t ok = ZentrixDecompress(data + 2, uint32_t(size - 2), out.data(), expected);
    for (size_t i = expected; i < out.size(); i++)
        if (out[i] != 0xA5)
            std::abort();
    if (ok) {
        std::vector<uint8_t> stream(ZentrixCompressBound(expected));
        const uint32_t n = ZentrixCompress(out.data(), expected, stream.data(), uint32_t(stream.size()));
        std::vector<uint8_t> back(expected + 1);
        if (!n || !ZentrixDecompress(stream.data(), n, back.data(), expected) ||
            std::memcmp(back.data(), out.data(), expected) != 0)
            std::abort();
    }
    return 0;
}
