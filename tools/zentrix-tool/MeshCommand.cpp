// mesh FILE: what a 3DS or ASE mesh holds, as the demo will import it:
// counts, bounds, material groups and their face types, mapping.
#include "Commands.h"
#include "MeshRead.h"

#include <algorithm>
#include <cstdio>

int CommandMesh(const Args &args)
{
    if (args.size() != 1) {
        std::fprintf(stderr, "usage: zentrix-tool mesh FILE.3DS|FILE.ASE\n");
        return 2;
    }
    MeshData mesh;
    std::string error;
    if (!ReadMeshFile(args[0], &mesh, &error)) {
        std::fprintf(stderr, "zentrix-tool: %s: %s\n", args[0].c_str(), error.c_str());
        return 1;
    }
    if (!error.empty())
        std::fprintf(stderr, "zentrix-tool: %s: %s\n", args[0].c_str(), error.c_str());
    std::printf("%s: %s mesh", args[0].c_str(), mesh.format.c_str());
    for (const std::string &name : mesh.objects)
        std::printf(" \"%s\"", name.c_str());
    std::printf("\n  vertices %zu, faces %zu", mesh.VertexCount(), mesh.FaceCount());
    if (mesh.meshBlocks > 1)
        std::printf(" (%d meshes in the file: the last one is kept)", mesh.meshBlocks);
    std::printf("\n");
    if (mesh.VertexCount()) {
        float lo[3] = {1e30f, 1e30f, 1e30f}, hi[3] = {-1e30f, -1e30f, -1e30f};
        for (size_t i = 0; i < mesh.xyz.size(); ++i) {
            lo[i % 3] = std::min(lo[i % 3], mesh.xyz[i]);
            hi[i % 3] = std::max(hi[i % 3], mesh.xyz[i]);
        }
        std::printf("  bounds (imported units) x %.2f..%.2f, y %.2f..%.2f, z %.2f..%.2f\n", lo[0], hi[0], lo[1],
                    hi[1], lo[2], hi[2]);
    }
    std::printf("  mapping coordinates: %s\n", mesh.hasMapping ? "present" : "none");
    if (mesh.groups.empty())
        std::printf("  material groups: none (faces keep the type the demo sets)\n");
    for (const MeshGroup &g : mesh.groups)
        std::printf("  material group \"%s\": %d faces, face type %d\n", g.name.c_str(), g.faces, g.faceType);
    return 0;
}
