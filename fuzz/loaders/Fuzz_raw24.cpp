// Fuzzes the 24-bit raw loader, which converts to 16-bit pixels (see
// FuzzRawLoader).
#include "FuzzInput.h"
#include "zentrix.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    return FuzzRawLoader<uint16_t>(data, size, LoadRaw24);
}
