// Fuzzes the binary object file reader.
#include "FuzzMesh.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    return FuzzMeshReader(data, size, ".obj3d", [](const char *p, Object3D *o) { Read3D(o, p); });
}
