// One run of a 3D engine reader on fuzzer input: the bytes go to a scratch
// file, the reader fills an object, the object must be drawable (every
// corner below the vertex count), and it is turned, sorted and drawn.
#pragma once

#include "3DStuff.h"
#include "FuzzInput.h"

#include <cstdlib>

template <class Reader>
int FuzzMeshReader(const uint8_t *data, size_t size, const char *ext, Reader read)
{
    static defZENTRIXPAGE page{};
    static std::vector<uint32_t> texture(size_t(kFlipperWidth) * kFlipperHeight, 0x808080);
    if (!page.pPageData) {
        FillAngleTables3D();
        CreateGFXPage(&page, 400, 308, 32);
        AllocateScanLines(&page);
        FlipperTexture.Pixels = texture.data();
    }
    const std::string &path = FuzzFile(ext);
    if (!WriteFuzzFile(path, data, size))
        return 0;
    Object3D obj{};
    read(path.c_str(), &obj);
    read(path.c_str(), &obj); // a second read into the same object must not leak
    for (long i = 0; i < obj.NumFaces; i++) {
        const Face3D &f = obj.Face[i];
        if (f.p1 < 0 || f.p1 >= obj.NumPoints || f.p2 < 0 || f.p2 >= obj.NumPoints || f.p3 < 0 ||
            f.p3 >= obj.NumPoints)
            std::abort();
    }
    Rotate3D(100, 512, 7, &obj);
    zSort(&obj);
    Draw3D(&obj, &page);
    FreeObject3D(&obj);
    FreeObject3D(&obj);
    std::remove(path.c_str());
    return 0;
}
