// Fuzzes the ASE text importer.
#include "FuzzMesh.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    return FuzzMeshReader(data, size, ".ASE", [](const char *p, Object3D *o) { Import3D(p, o); });
}
