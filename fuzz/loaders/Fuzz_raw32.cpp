// Fuzzes the 32-bit raw loader (see FuzzRawLoader).
#include "FuzzInput.h"
#include "zentrix.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    return FuzzRawLoader<uint32_t>(data, size, LoadRaw32);
}
