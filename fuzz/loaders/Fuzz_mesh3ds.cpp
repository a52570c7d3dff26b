// Fuzzes zentrix-tool's 3DS mesh reader (whole file in memory): every read
// must stay inside the buffer and every face index inside the vertex list.
#include "MeshRead.h"

#include <cstdlib>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const std::vector<uint8_t> file(data, data + size);
    MeshData mesh;
    std::string error;
    if (ReadMesh3ds(file, &mesh, &error)) {
        for (int p : mesh.faces)
            if (p < 0 || size_t(p) >= mesh.VertexCount())
                std::abort();
    }
    ReadMeshAse(std::string(file.begin(), file.end()), &mesh, &error);
    return 0;
}
