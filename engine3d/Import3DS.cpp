// The 3DS importer: walks the chunk tree of a 3D Studio file and keeps the
// vertices (shrunk tenfold, second and third axes swapped), the triangles
// (corners reversed), the mapping coordinates and a face type per material
// group; everything else is read past. The file is read into memory first
// and every read is bounded by its chunk, its parent and the file.
#include "3DStuff.h"
#include "Engine3DPrivate.h"

#include <cstring>
#include <string>
#include <vector>

namespace {

using engine3d::ReplaceFaces;
using engine3d::ReplacePoints;

// Files larger than this are read only this far.
constexpr long long kMaxFileBytes = 256ll << 20;

// The open file: its bytes and the read position. Reads that would pass the
// end yield 0 and leave the position at the end.
struct ChunkFile {
    std::vector<uint8_t> data;
    size_t pos = 0;
    size_t Size() const { return data.size(); }
};

ChunkFile bin3ds;
Object3D *ImportObj = nullptr;
char temp_name[100] = "Default name";
unsigned long numb_faces = 0, numb_vertices = 0;

// ---- Low-level readers, each bounded by `end` (never past the file) -------

uint32_t ReadBytes(int n, size_t end)
{
    if (end > bin3ds.Size())
        end = bin3ds.Size();
    if (bin3ds.pos + size_t(n) > end) {
        bin3ds.pos = end > bin3ds.pos ? end : bin3ds.pos;
        return 0;
    }
    uint32_t v = 0;
    for (int k = 0; k < n; k++)
        v |= uint32_t(bin3ds.data[bin3ds.pos + size_t(k)]) << (8 * k);
    bin3ds.pos += size_t(n);
    return v;
}

uint8_t ReadChar(size_t end) { return uint8_t(ReadBytes(1, end)); }
uint16_t ReadShort(size_t end) { return uint16_t(ReadBytes(2, end)); }
uint32_t ReadChunkPointer(size_t end) { return ReadBytes(4, end); }
float ReadFloat(size_t end)
{
    const uint32_t v = ReadBytes(4, end);
    float f;
    std::memcpy(&f, &v, 4);
    return f;
}
// Start of the chunk whose id has just been read.
size_t GetChunkPointer() { return bin3ds.pos >= 2 ? bin3ds.pos - 2 : 0; }
void ChangeChunkPointer(size_t pos) { bin3ds.pos = pos < bin3ds.Size() ? pos : bin3ds.Size(); }

// Where a chunk of the given length that starts at `start` ends: inside its
// parent (and so inside the file), and past its own 6-byte header.
size_t ChunkEnd(size_t start, uint32_t length, size_t parentEnd)
{
    const size_t len = length < 6 ? 6 : size_t(length);
    const size_t end = start + len;
    return end < parentEnd ? end : parentEnd;
}

// A zero-terminated name into temp_name, keeping at most `keep` characters;
// the rest of the name is read and dropped. -1 when the first byte is 0.
int ReadNameKeeping(size_t keep, size_t end)
{
    std::strcpy(temp_name, "Default name");
    size_t n = 0;
    char name[sizeof temp_name] = {};
    for (;;) {
        if (bin3ds.pos >= end || bin3ds.pos >= bin3ds.Size())
            break;
        const char c = char(ReadChar(end));
        if (c == 0)
            break;
        if (n < keep)
            name[n] = c;
        n++;
    }
    if (n == 0)
        return -1;
    std::memcpy(temp_name, name, sizeof name);
    temp_name[sizeof temp_name - 1] = 0;
    return 0;
}
int ReadName(size_t end) { return ReadNameKeeping(11, end); }
int ReadLongName(size_t end) { return ReadNameKeeping(sizeof temp_name - 1, end); }

// Passes over the chunk whose id has just been read; its length.
uint32_t ReadUnknownChunk(size_t parentEnd)
{
    const size_t start = GetChunkPointer();
    const uint32_t length = ReadChunkPointer(parentEnd);
    ChangeChunkPointer(ChunkEnd(start, length, parentEnd));
    return length;
}

// The container rule: after the chunk's own data, sub-chunk ids are read
// one after another until the running count reaches the chunk's length (or
// the chunk's bytes, or the file, run out). A handler consumes its whole
// sub-chunk and returns its length; the count grows by 2 after each id. An
// id no handler knows whose length fits the container is passed over whole,
// so that its contents are never taken for ids; one that does not fit is
// taken as two stray bytes. Then the reader moves to the chunk's end.
template <class Handler>
void ReadContainer(uint32_t length, uint32_t count, size_t end, Handler handle)
{
    uint64_t counted = count;
    while (counted < length && bin3ds.pos + 2 <= end) {
        const uint16_t id = ReadShort(end);
        long long got = handle(id);
        if (got < 0) {
            const size_t start = GetChunkPointer();
            const size_t save = bin3ds.pos;
            const uint32_t len = ReadChunkPointer(end);
            if (len >= 6 && start + len <= end) {
                ChangeChunkPointer(start + len);
                got = len;
            } else {
                ChangeChunkPointer(save);
                got = 0;
            }
        }
        counted += uint64_t(got) + 2;
    }
    ChangeChunkPointer(end);
}

// ---- Handlers of the chunks that hold the mesh -------------------------------

uint32_t ReadVerticesChunk(size_t parentEnd)
{
    const size_t start = GetChunkPointer();
    const uint32_t length = ReadChunkPointer(parentEnd);
    const size_t end = ChunkEnd(start, length, parentEnd);
    long n = ReadShort(end);
    const long fits = long((end - (bin3ds.pos < end ? bin3ds.pos : end)) / 12);
    if (n > fits)
        n = fits;
    LastImportInfo3D.meshes++;
    LastImportInfo3D.mapping = false;
    if (ReplacePoints(ImportObj, n)) {
        for (long i = 0; i < n; i++) {
            const float f1 = ReadFloat(end), f2 = ReadFloat(end), f3 = ReadFloat(end);
            Point3D &p = ImportObj->Points[i];
            p.x = f1 * 0.1f;
            p.y = f3 * 0.1f;
            p.z = f2 * 0.1f;
        }
    }
    ChangeChunkPointer(end);
    return length;
}

// Material group names to face types, compared exactly.
int32_t FaceTypeOfMaterial(const char *name)
{
    if (!std::strcmp(name, "Metal"))
        return kFaceMetal;
    if (!std::strcmp(name, "Crystal"))
        return kFaceCrystalSmooth;
    if (!std::strcmp(name, "Texture"))
        return kFaceTextureRank;
    if (!std::strcmp(name, "Shaded"))
        return kFaceFlat;
    if (!std::strcmp(name, "TexturedMetal"))
        return kFaceMetalTexture;
    return kFaceCrystalSmooth;
}

uint32_t ReadFaceMaterialChunk(size_t parentEnd)
{
    const size_t start = GetChunkPointer();
    const uint32_t length = ReadChunkPointer(parentEnd);
    const size_t end = ChunkEnd(start, length, parentEnd);
    if (ReadLongName(end) == 0) {
        const int32_t type = FaceTypeOfMaterial(temp_name);
        const uint32_t n = ReadShort(end);
        long named = 0;
        for (uint32_t k = 0; k < n && bin3ds.pos + 2 <= end; k++) {
            const uint32_t face = ReadShort(end);
            if (ImportObj->Face && long(face) < ImportObj->NumFaces) {
                ImportObj->Face[face].FaceType = type;
                named++;
            }
        }
        LastImportInfo3D.groups.push_back({temp_name, type, named});
    }
    ChangeChunkPointer(end);
    return length;
}

uint32_t ReadFacesChunk(size_t parentEnd)
{
    const size_t start = GetChunkPointer();
    const uint32_t length = ReadChunkPointer(parentEnd);
    const size_t end = ChunkEnd(start, length, parentEnd);
    long n = ReadShort(end);
    const long fits = long((end - (bin3ds.pos < end ? bin3ds.pos : end)) / 8);
    if (n > fits)
        n = fits;
    numb_faces = (unsigned long)n;
    LastImportInfo3D.groups.clear(); // groups of earlier face lists no longer apply
    if (!ReplaceFaces(ImportObj, n)) {
        ChangeChunkPointer(end);
        return length;
    }
    for (long i = 0; i < n; i++) {
        const uint16_t a = ReadShort(end), b = ReadShort(end), c = ReadShort(end);
        (void)ReadShort(end); // edge flags
        Face3D &f = ImportObj->Face[i];
        f.p1 = c;
        f.p2 = b;
        f.p3 = a;
    }
    // The face list's sub-chunks; the count leaves out the list itself.
    ReadContainer(length, 0, end, [&](uint16_t id) -> long long {
        switch (id) {
        case 0x4130:
            return ReadFaceMaterialChunk(end);
        case 0x4150: // smoothing groups, one mask per face
            return ReadUnknownChunk(end);
        default:
            return -1;
        }
    });
    return length;
}

uint32_t ReadMaterialMappingChunk(size_t parentEnd)
{
    const size_t start = GetChunkPointer();
    const uint32_t length = ReadChunkPointer(parentEnd);
    const size_t end = ChunkEnd(start, length, parentEnd);
    const long n = ReadShort(end);
    numb_vertices = (unsigned long)n;
    // A list longer than the vertex list is not used at all.
    if (ImportObj->Points && n <= ImportObj->NumPoints) {
        LastImportInfo3D.mapping = n > 0;
        for (long i = 0; i < n; i++) {
            ImportObj->Points[i].u = ReadFloat(end);
            ImportObj->Points[i].v = ReadFloat(end);
        }
    }
    ChangeChunkPointer(end);
    return length;
}

// Local axes: twelve floats, dropped.
uint32_t ReadTranslationChunk(size_t parentEnd) { return ReadUnknownChunk(parentEnd); }

// The triangle mesh (0x4100).
uint32_t ReadObjChunk(size_t parentEnd)
{
    const size_t start = GetChunkPointer();
    const uint32_t length = ReadChunkPointer(parentEnd);
    const size_t end = ChunkEnd(start, length, parentEnd);
    ReadContainer(length, 6, end, [&](uint16_t id) -> long long {
        switch (id) {
        case 0x4110:
            return ReadVerticesChunk(end);
        case 0x4120:
            return ReadFacesChunk(end);
        case 0x4140:
            return ReadMaterialMappingChunk(end);
        case 0x4160:
            return ReadTranslationChunk(end);
        case 0x4111: // vertex flags
        case 0x4165: // colour index
            return ReadUnknownChunk(end);
        default:
            return -1;
        }
    });
    return length;
}

// A named object (0x4000): a name, then a triangle mesh, a light or a
// camera. The name's bytes do not enter the running count.
uint32_t ReadObjectChunk(size_t parentEnd)
{
    const size_t start = GetChunkPointer();
    const uint32_t length = ReadChunkPointer(parentEnd);
    const size_t end = ChunkEnd(start, length, parentEnd);
    ReadName(end);
    LastImportInfo3D.objects.push_back(temp_name);
    ReadContainer(length, 6, end, [&](uint16_t id) -> long long {
        switch (id) {
        case 0x4100:
            return ReadObjChunk(end);
        case 0x4010: // hidden, shadow flags: dropped
        case 0x4012:
        case 0x4600: // light and its sub-chunks: dropped
        case 0x4700: // camera: dropped
            return ReadUnknownChunk(end);
        default:
            return -1;
        }
    });
    return length;
}

// Editor data (0x3D3D): named objects; materials, viewports, ambient light,
// background, fog and the rest are read past.
uint32_t ReadEditChunk(size_t parentEnd)
{
    const size_t start = GetChunkPointer();
    const uint32_t length = ReadChunkPointer(parentEnd);
    const size_t end = ChunkEnd(start, length, parentEnd);
    ReadContainer(length, 6, end, [&](uint16_t id) -> long long {
        switch (id) {
        case 0x4000:
            return ReadObjectChunk(end);
        case 0xAFFF: case 0x7001: case 0x2100: case 0x1200:
        case 0x0100: case 0x1100: case 0x1201: case 0x1300: case 0x1400: case 0x1420: case 0x1450:
        case 0x1500: case 0x2200: case 0x2201: case 0x2210: case 0x2300: case 0x2302: case 0x3000:
        case 0x3D3E:
            return ReadUnknownChunk(end);
        default:
            return -1;
        }
    });
    return length;
}

// The main chunk: file version, editor data, keyframe data.
void ReadMainChunk(size_t fileEnd)
{
    const size_t start = GetChunkPointer();
    const uint32_t length = ReadChunkPointer(fileEnd);
    // A main chunk claiming more than the file (or less than its header)
    // is read to the end of the file.
    const bool fits = length >= 6 && start + length <= fileEnd;
    const size_t end = fits ? start + length : fileEnd;
    ReadContainer(fits ? length : uint32_t(fileEnd - start), 6, end,
                  [&](uint16_t id) -> long long {
                      switch (id) {
                      case 0x3D3D:
                          return ReadEditChunk(end);
                      case 0x0002: // file version
                      case 0xB000: // keyframe data
                          return ReadUnknownChunk(end);
                      default:
                          return -1;
                      }
                  });
}

// 1 when the file is not a 3DS file of mesh version 3 or later.
long ReadPrimaryChunk()
{
    const size_t size = bin3ds.Size();
    if (ReadShort(size) != 0x4D4D)
        return 1;
    ChangeChunkPointer(28);
    if (ReadChar(size) < 3)
        return 1;
    ChangeChunkPointer(2);
    ReadMainChunk(size);
    return 0;
}

} // namespace

ImportInfo3D LastImportInfo3D;

long Import3DSFile(const char *FileName, Object3D *TheObject)
{
    std::FILE *f = engine3d::OpenFile(FileName, "rb");
    if (!f)
        return -1;
    long long size = engine3d::FileSize(f);
    if (size < 0)
        size = 0;
    if (size > kMaxFileBytes)
        size = kMaxFileBytes;
    bin3ds.data.assign(size_t(size), 0);
    bin3ds.data.resize(size ? std::fread(bin3ds.data.data(), 1, size_t(size), f) : 0);
    bin3ds.pos = 0;
    std::fclose(f);
    ImportObj = TheObject;
    LastImportInfo3D = ImportInfo3D{};
    numb_faces = numb_vertices = 0;
    ReadPrimaryChunk();
    // Faces that name a vertex the kept vertex list does not have are dropped.
    engine3d::DropBadFaces(TheObject);
    CalculateTexture(TheObject);
    CalculateNormals(TheObject);
    bin3ds.data.clear();
    bin3ds.data.shrink_to_fit();
    ImportObj = nullptr;
    return 0;
}

// The names of the last import, for tools and tests.
const char *Last3DSName() { return temp_name; }
