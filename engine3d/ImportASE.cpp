// The mesh import entry point and the ASE text reader. A "*MESH" block gives
// the vertex list and the triangles (face type 5); the last block with faces
// wins. Text is read whitespace-tolerantly, UTF-16 files are decoded first,
// and record numbers and corners outside the announced counts are not kept.
#include "3DStuff.h"
#include "Engine3DPrivate.h"

#include <cctype>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

namespace {

constexpr long long kMaxFileBytes = 256ll << 20;

// The file's bytes as 8-bit text: UTF-16 (with its byte-order mark) is
// decoded, characters beyond 7 bits become '?'; a UTF-8 mark is dropped.
std::string DecodeText(const std::vector<uint8_t> &b)
{
    std::string text;
    const bool le = b.size() >= 2 && b[0] == 0xFF && b[1] == 0xFE;
    const bool be = b.size() >= 2 && b[0] == 0xFE && b[1] == 0xFF;
    if (le || be) {
        text.reserve(b.size() / 2);
        for (size_t i = 2; i + 1 < b.size(); i += 2) {
            const unsigned c = le ? b[i] | b[i + 1] << 8 : b[i] << 8 | b[i + 1];
            text.push_back(c < 128 ? char(c) : '?');
        }
        return text;
    }
    const size_t skip = b.size() >= 3 && b[0] == 0xEF && b[1] == 0xBB && b[2] == 0xBF ? 3 : 0;
    return std::string(b.begin() + long(skip), b.end());
}

inline bool Space(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f' || c == 0; }

// A cursor over the text, word by word and line by line.
struct Scanner {
    const std::string &t;
    size_t pos = 0;
    bool End() const { return pos >= t.size(); }
    std::string_view Word()
    {
        while (pos < t.size() && Space(t[pos]))
            pos++;
        const size_t from = pos;
        while (pos < t.size() && !Space(t[pos]))
            pos++;
        return std::string_view(t).substr(from, pos - from);
    }
    // The rest of the current line (the line end is consumed).
    std::string_view Rest()
    {
        const size_t from = pos;
        while (pos < t.size() && t[pos] != '\n')
            pos++;
        const std::string_view r = std::string_view(t).substr(from, pos - from);
        if (pos < t.size())
            pos++;
        return r;
    }
};

// Field readers over one line: whitespace is skipped before each item.
struct Fields {
    const char *p, *end;
    void Skip()
    {
        while (p < end && Space(*p))
            p++;
    }
    bool Int(long &v)
    {
        Skip();
        char buf[32];
        size_t n = 0;
        while (p < end && n < sizeof buf - 1 && (std::isdigit(uint8_t(*p)) || ((*p == '-' || *p == '+') && n == 0)))
            buf[n++] = *p++;
        buf[n] = 0;
        if (n == 0 || (n == 1 && (buf[0] == '-' || buf[0] == '+')))
            return false;
        v = std::strtol(buf, nullptr, 10);
        return true;
    }
    bool Float(float &v)
    {
        Skip();
        char buf[64];
        size_t n = 0;
        while (p < end && n < sizeof buf - 1 && !Space(*p))
            buf[n++] = *p++;
        buf[n] = 0;
        char *stop = nullptr;
        v = std::strtof(buf, &stop);
        return n > 0 && stop != buf;
    }
    bool Char(char c)
    {
        Skip();
        if (p < end && *p == c) {
            p++;
            return true;
        }
        return false;
    }
    // "A:" (also "A :") followed by an integer.
    bool Labelled(char label, long &v) { return Char(label) && Char(':') && Int(v); }
};

struct MeshBlock {
    std::vector<Point3D> points;
    std::vector<Face3D> faces;
    std::vector<uint8_t> faceSet;
};

// Reads one "*MESH" block after its keyword, through its closing brace.
// `limit` caps the counts at what the text could hold.
void ReadMeshBlock(Scanner &s, long limit, MeshBlock &m)
{
    long numVertex = 0, numFaces = 0;
    int depth = 0;
    for (;;) {
        const std::string_view w = s.Word();
        if (w.empty())
            break;
        if (w == "{") {
            depth++;
            continue;
        }
        if (w == "}") {
            if (--depth <= 0)
                break;
            continue;
        }
        if (w == "*MESH_NUMVERTEX" || w == "*MESH_NUMFACES") {
            const std::string_view line = s.Rest();
            Fields f{line.data(), line.data() + line.size()};
            long n = 0;
            if (!f.Int(n) || n < 0)
                n = 0;
            if (n > limit)
                n = limit;
            if (w == "*MESH_NUMVERTEX") {
                numVertex = n;
                m.points.assign(size_t(n), Point3D{});
            } else {
                numFaces = n;
                m.faces.assign(size_t(n), Face3D{});
                m.faceSet.assign(size_t(n), 0);
            }
        } else if (w == "*MESH_VERTEX") {
            const std::string_view line = s.Rest();
            Fields f{line.data(), line.data() + line.size()};
            long no = -1;
            float x = 0, y = 0, z = 0;
            if (f.Int(no) && no >= 0 && no < numVertex && f.Float(x) && f.Float(y) && f.Float(z)) {
                Point3D &p = m.points[size_t(no)];
                p.x = x;
                p.y = y;
                p.z = z;
            }
        } else if (w == "*MESH_FACE") {
            // "*MESH_FACE 0: A: 1 B: 2 C: 3 ...", the colon after the face
            // number optional; the rest of the line is dropped.
            const std::string_view line = s.Rest();
            Fields f{line.data(), line.data() + line.size()};
            long no = -1, a = -1, b = -1, c = -1;
            if (f.Int(no)) {
                f.Char(':');
                if (no >= 0 && no < numFaces && f.Labelled('A', a) && f.Labelled('B', b) && f.Labelled('C', c) &&
                    a >= 0 && a < numVertex && b >= 0 && b < numVertex && c >= 0 && c < numVertex) {
                    Face3D &face = m.faces[size_t(no)];
                    face.p1 = int32_t(a);
                    face.p2 = int32_t(b);
                    face.p3 = int32_t(c);
                    face.FaceType = kFaceCrystalLit;
                    m.faceSet[size_t(no)] = 1;
                }
            }
        } else if (w.size() > 1 && w[0] == '*' && depth > 0) {
            // Another keyword: its values stay on its line (a brace there
            // opens a nested block and is counted).
            const std::string_view line = s.Rest();
            for (char ch : line)
                depth += ch == '{' ? 1 : ch == '}' ? -1 : 0;
            if (depth <= 0)
                break;
        }
    }
}

// Puts a block into the object when it holds at least one face.
void KeepBlock(MeshBlock &m, Object3D *obj)
{
    // Corners are checked again here: a later vertex count may have
    // shortened the vertex list after the faces were read.
    const size_t np = m.points.size();
    long kept = 0;
    for (size_t i = 0; i < m.faces.size(); i++) {
        const Face3D &f = m.faces[i];
        if (m.faceSet[i] && size_t(f.p1) < np && size_t(f.p2) < np && size_t(f.p3) < np)
            m.faces[size_t(kept++)] = f;
    }
    LastImportInfo3D.meshes++;
    if (kept == 0)
        return;
    if (!engine3d::ReplaceFaces(obj, kept) || !engine3d::ReplacePoints(obj, long(np))) {
        FreeObject3D(obj);
        return;
    }
    std::memcpy(obj->Face, m.faces.data(), size_t(kept) * sizeof(Face3D));
    std::memcpy(obj->Points, m.points.data(), np * sizeof(Point3D));
}

void ImportASEFile(const char *FileName, Object3D *TheObject)
{
    std::FILE *f = engine3d::OpenFile(FileName, "rb");
    if (!f)
        return;
    long long size = engine3d::FileSize(f);
    if (size < 0)
        size = 0;
    if (size > kMaxFileBytes)
        size = kMaxFileBytes;
    std::vector<uint8_t> bytes(size_t(size), 0);
    bytes.resize(size ? std::fread(bytes.data(), 1, size_t(size), f) : 0);
    std::fclose(f);
    LastImportInfo3D = ImportInfo3D{};
    const std::string text = DecodeText(bytes);
    bytes.clear();
    // A vertex line takes at least 20 characters, a face line more.
    const long limit = long(text.size() / 16);
    Scanner s{text};
    while (!s.End()) {
        const std::string_view w = s.Word();
        if (w == "*NODE_NAME") {
            std::string_view name = s.Rest();
            while (!name.empty() && Space(name.back()))
                name.remove_suffix(1);
            while (!name.empty() && Space(name.front()))
                name.remove_prefix(1);
            if (name.size() >= 2 && name.front() == '"' && name.back() == '"')
                name = name.substr(1, name.size() - 2);
            if (LastImportInfo3D.objects.empty() || LastImportInfo3D.objects.back() != name)
                LastImportInfo3D.objects.emplace_back(name);
        } else if (w == "*MESH") {
            MeshBlock m;
            ReadMeshBlock(s, limit, m);
            KeepBlock(m, TheObject);
        }
    }
    CalculateTexture(TheObject);
    CalculateNormals(TheObject);
}

} // namespace

void Import3D(const char *FileName, Object3D *TheObject)
{
    const size_t n = std::strlen(FileName);
    if (n >= 3 && std::toupper(uint8_t(FileName[n - 3])) == '3' && std::toupper(uint8_t(FileName[n - 2])) == 'D' &&
        std::toupper(uint8_t(FileName[n - 1])) == 'S') {
        Import3DSFile(FileName, TheObject);
        return;
    }
    ImportASEFile(FileName, TheObject);
}
