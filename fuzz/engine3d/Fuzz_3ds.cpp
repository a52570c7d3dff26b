// Fuzzes the 3DS importer (chunk tree of a 3D Studio file).
#include "FuzzMesh.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    return FuzzMeshReader(data, size, ".3DS", [](const char *p, Object3D *o) { Import3D(p, o); });
}
