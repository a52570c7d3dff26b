// 3DS chunk and ASE text mesh reading for zentrix-tool and the mesh tests.
#include "MeshRead.h"

#include <cctype>
#include <cstring>
#include <fstream>
#include <iterator>
#include <sstream>

namespace {

struct Reader {
    const std::vector<uint8_t> &f;
    size_t U16(size_t at) const { return at + 2 <= f.size() ? size_t(f[at] | (f[at + 1] << 8)) : 0; }
    uint32_t U32(size_t at) const { return at + 4 <= f.size() ? uint32_t(U16(at) | (U16(at + 2) << 16)) : 0; }
    float F32(size_t at) const
    {
        const uint32_t bits = U32(at);
        float v;
        std::memcpy(&v, &bits, 4);
        return v;
    }
    // Zero-terminated string at `at` inside [at, end); *next is past it.
    std::string Str(size_t at, size_t end, size_t *next) const
    {
        std::string s;
        while (at < end && at < f.size() && f[at] != 0)
            s.push_back(char(f[at++]));
        *next = at + 1;
        return s;
    }
};

// Walks the sub-chunks in [begin, end), calling visit(id, dataStart, chunkEnd).
template <typename Visit>
void ForChunks(const Reader &r, size_t begin, size_t end, Visit visit)
{
    size_t at = begin;
    while (at + 6 <= end) {
        const size_t id = r.U16(at);
        const uint32_t len = r.U32(at + 2);
        if (len < 6 || at + len > end)
            break; // a corrupt length ends this level
        visit(id, at + 6, at + len);
        at += len;
    }
}

void ReadTriMesh(const Reader &r, size_t begin, size_t end, MeshData *out)
{
    out->meshBlocks++;
    ForChunks(r, begin, end, [&](size_t id, size_t data, size_t chunkEnd) {
        if (id == 0x4110) {
            const size_t n = r.U16(data);
            if (data + 2 + n * 12 > chunkEnd)
                return;
            out->xyz.clear();
            for (size_t i = 0; i < n; ++i) {
                const size_t at = data + 2 + i * 12;
                out->xyz.push_back(r.F32(at) * 0.1f);
                out->xyz.push_back(r.F32(at + 8) * 0.1f);
                out->xyz.push_back(r.F32(at + 4) * 0.1f);
            }
        } else if (id == 0x4140) {
            const size_t n = r.U16(data);
            if (n > out->VertexCount() || data + 2 + n * 8 > chunkEnd)
                return;
            out->uv.assign(out->VertexCount() * 2, 0.0f);
            for (size_t i = 0; i < n; ++i) {
                out->uv[2 * i] = r.F32(data + 2 + i * 8);
                out->uv[2 * i + 1] = r.F32(data + 6 + i * 8);
            }
            out->hasMapping = n > 0;
        } else if (id == 0x4120) {
            const size_t n = r.U16(data);
            const size_t list = data + 2 + n * 8;
            if (list > chunkEnd)
                return;
            out->faces.clear();
            out->groups.clear();
            for (size_t i = 0; i < n; ++i) {
                const size_t at = data + 2 + i * 8;
                out->faces.push_back(int(r.U16(at + 4)));
                out->faces.push_back(int(r.U16(at + 2)));
                out->faces.push_back(int(r.U16(at)));
            }
            ForChunks(r, list, chunkEnd, [&](size_t sub, size_t subData, size_t subEnd) {
                if (sub != 0x4130)
                    return;
                size_t next = 0;
                MeshGroup g;
                g.name = r.Str(subData, subEnd, &next);
                g.faceType = FaceTypeOfMaterial(g.name);
                const size_t count = r.U16(next);
                for (size_t k = 0; k < count && next + 4 + 2 * k <= subEnd; ++k)
                    if (r.U16(next + 2 + 2 * k) < n)
                        g.faces++;
                out->groups.push_back(g);
            });
        }
    });
}

} // namespace

int FaceTypeOfMaterial(const std::string &name)
{
    if (name == "Metal")
        return 10;
    if (name == "Crystal")
        return 6;
    if (name == "Texture")
        return 2;
    if (name == "Shaded")
        return 1;
    if (name == "TexturedMetal")
        return 9;
    return 6;
}

bool ReadMesh3ds(const std::vector<uint8_t> &file, MeshData *out, std::string *error)
{
    *out = MeshData();
    out->format = "3DS";
    const Reader r{file};
    if (file.size() < 6 || r.U16(0) != 0x4D4D) {
        *error = "not a 3DS file (no 0x4D4D main chunk)";
        return false;
    }
    const size_t mainEnd = std::min<size_t>(file.size(), r.U32(2));
    if (file.size() > 28 && file[28] < 3)
        *error = "warning: the byte at offset 28 (mesh version) is below 3; the demo's importer reads nothing";
    ForChunks(r, 6, mainEnd, [&](size_t id, size_t data, size_t end) {
        if (id != 0x3D3D)
            return;
        ForChunks(r, data, end, [&](size_t sub, size_t subData, size_t subEnd) {
            if (sub != 0x4000)
                return;
            size_t next = 0;
            out->objects.push_back(r.Str(subData, subEnd, &next));
            ForChunks(r, next, subEnd, [&](size_t obj, size_t objData, size_t objEnd) {
                if (obj == 0x4100)
                    ReadTriMesh(r, objData, objEnd, out);
            });
        });
    });
    if (out->meshBlocks == 0) {
        *error = "no triangle mesh (0x4100 chunk) found";
        return false;
    }
    for (int p : out->faces)
        if (p < 0 || size_t(p) >= out->VertexCount()) {
            *error = "a face refers to a vertex past the vertex list";
            return false;
        }
    return true;
}

bool ReadMeshAse(const std::string &text, MeshData *out, std::string *error)
{
    *out = MeshData();
    out->format = "ASE";
    std::istringstream in(text);
    std::string line;
    size_t numVertex = 0, numFaces = 0;
    bool inMesh = false;
    while (std::getline(in, line)) {
        std::istringstream ls(line);
        std::string word;
        ls >> word;
        if (word == "*NODE_NAME") {
            std::string name;
            std::getline(ls, name);
            const size_t q0 = name.find('"'), q1 = name.rfind('"');
            out->objects.push_back(q0 != std::string::npos && q1 > q0 ? name.substr(q0 + 1, q1 - q0 - 1) : name);
        } else if (word == "*MESH") {
            inMesh = true;
            out->meshBlocks++;
            out->xyz.clear();
            out->faces.clear();
            out->uv.clear();
            out->hasMapping = false;
        } else if (!inMesh) {
            continue;
        } else if (word == "*MESH_NUMVERTEX") {
            ls >> numVertex;
            if (numVertex > 1000000)
                numVertex = 0;
            out->xyz.assign(numVertex * 3, 0.0f);
        } else if (word == "*MESH_NUMFACES") {
            ls >> numFaces;
            if (numFaces > 1000000)
                numFaces = 0;
            out->faces.assign(numFaces * 3, 0);
        } else if (word == "*MESH_VERTEX") {
            size_t n;
            float x, y, z;
            if (ls >> n >> x >> y >> z && n < numVertex) {
                out->xyz[3 * n] = x;
                out->xyz[3 * n + 1] = y;
                out->xyz[3 * n + 2] = z;
            }
        } else if (word == "*MESH_FACE") {
            // *MESH_FACE n:  A: a B: b C: c ...
            std::string rest;
            std::getline(ls, rest);
            size_t n = 0;
            int a = 0, b = 0, c = 0;
            if (std::sscanf(rest.c_str(), " %zu: A: %d B: %d C: %d", &n, &a, &b, &c) == 4 && n < numFaces) {
                out->faces[3 * n] = a;
                out->faces[3 * n + 1] = b;
                out->faces[3 * n + 2] = c;
            }
        } else if (word == "*MESH_NUMTVERTEX") {
            size_t n = 0;
            ls >> n;
            out->hasMapping = n > 0;
        }
    }
    if (out->meshBlocks == 0) {
        *error = "no *MESH block found";
        return false;
    }
    if (numFaces) {
        MeshGroup g;
        g.name = "(text mesh)";
        g.faceType = 5;
        g.faces = int(numFaces);
        out->groups.push_back(g);
    }
    for (int p : out->faces)
        if (p < 0 || size_t(p) >= out->VertexCount()) {
            *error = "a face refers to a vertex past the vertex list";
            return false;
        }
    return true;
}

bool ReadMeshFile(const std::string &path, MeshData *out, std::string *error)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        *error = "cannot read " + path;
        return false;
    }
    std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::string tail = path.size() >= 3 ? path.substr(path.size() - 3) : path;
    for (char &c : tail)
        c = char(std::toupper(static_cast<unsigned char>(c)));
    if (tail == "3DS")
        return ReadMesh3ds(bytes, out, error);
    return ReadMeshAse(std::string(bytes.begin(), bytes.end()), out, error);
}
