// Fuzzes ProcessCommandLine with any text: no read past the line, no write
// past the word buffer, and the flags stay 0 or 1.
#include "Gen32.h"

#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const std::string line(reinterpret_cast<const char *>(data), size);   // cut at the first zero
    bTestOnly = 0;
    StretchToScreen = 0;
    ProcessCommandLine(line.c_str());
    if ((bTestOnly != 0 && bTestOnly != 1) || (StretchToScreen != 0 && StretchToScreen != 1))
        std::abort();
    return 0;
}
