// Fuzzes the light lines file reader, then draws every segment it kept with
// lights near and far: the counts and coordinates must stay in their bounds
// and every shaft on the page.
#include "FuzzInput.h"
#include "LightEffect.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static defZENTRIXPAGE page{};
    if (!page.pPageData && (!CreateGFXPage(&page, 400, 308, 32) || !AllocateScanLines(&page)))
        std::abort();
    const std::string &path = FuzzFile(".txt");
    if (!WriteFuzzFile(path, data, size))
        return 0;
    LoadLines(path.c_str());
    if (LineCount < 0 || LineCount > 65536 || (LineCount > 0 && !Lines))
        std::abort();
    const long lights[][2] = {{200, 154}, {-5, 300}, {410, -10}, {100000, 5}};
    for (long k = 0; k < LineCount; ++k) {
        const LineStruct &l = Lines[k];
        for (int32_t v : {l.x1, l.y1, l.x2, l.y2})
            if (v < -LineCoordLimit || v > LineCoordLimit)
                std::abort();
        if (l.r < 0 || l.r > 255 || l.g < 0 || l.g > 255 || l.b < 0 || l.b > 255)
            std::abort();
        for (const auto &light : lights)
            DrawLine(l.x1, l.y1, l.x2, l.y2, light[0], light[1], (unsigned char)l.r, (unsigned char)l.g,
                     (unsigned char)l.b, &page);
    }
    std::remove(path.c_str());
    return 0;
}
