// Fuzzes LoadPCX24 with a destination of exactly the capacity it is told,
// plus a guard word after it that must never change.
#include "FuzzInput.h"
#include "zentrix.h"

#include <cstdlib>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const std::string &path = FuzzFile(".pcx");
    if (!WriteFuzzFile(path, data, size))
        return 0;
    // Capacity from the input's first byte, so small and large buffers both
    // meet every header.
    const uint32_t capacity = size ? (uint32_t(data[0]) * 97u) % 65536u : 16u;
    std::vector<uint32_t> dest(size_t(capacity) + 1, 0xA5A5A5A5u);
    LoadPCX24(path.c_str(), dest.data(), capacity);
    if (dest[capacity] != 0xA5A5A5A5u)
        std::abort();
    std::remove(path.c_str());
    return 0;
}
