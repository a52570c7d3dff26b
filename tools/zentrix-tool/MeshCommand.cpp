// mesh FILE [--json] [--render OUT.png [--type N] [--angle X,Y,Z]]: what the
// engine's importer keeps of a 3DS or ASE mesh (counts, bounds, material
// groups and face types, mapping), or a picture of it drawn by the renderer.
#include "Commands.h"
#include "3DStuff.h"
#include "Engine3DPrivate.h"
#include "Gen32.h"
#include "PngWrite.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <vector>

namespace {

struct MeshSummary {
    float lo[3] = {0, 0, 0}, hi[3] = {0, 0, 0};
    std::map<int32_t, long> faceTypes;
};

MeshSummary Summarise(const Object3D &obj)
{
    MeshSummary s;
    for (long i = 0; i < obj.NumPoints; i++) {
        const float v[3] = {obj.Points[i].x, obj.Points[i].y, obj.Points[i].z};
        for (int k = 0; k < 3; k++) {
            s.lo[k] = i == 0 ? v[k] : std::min(s.lo[k], v[k]);
            s.hi[k] = i == 0 ? v[k] : std::max(s.hi[k], v[k]);
        }
    }
    for (long i = 0; i < obj.NumFaces; i++)
        s.faceTypes[obj.Face[i].FaceType]++;
    return s;
}

std::string JsonString(const std::string &text)
{
    std::string out = "\"";
    for (char c : text) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (uint8_t(c) < 0x20 || uint8_t(c) >= 0x7F) {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\u%04x", unsigned(uint8_t(c)));
            out += buf;
        } else {
            out += c;
        }
    }
    return out + "\"";
}

void PrintText(const std::string &path, const Object3D &obj, const MeshSummary &s)
{
    const ImportInfo3D &info = LastImportInfo3D;
    std::printf("%s:", path.c_str());
    for (const std::string &name : info.objects)
        std::printf(" \"%s\"", name.c_str());
    std::printf("\n  vertices %ld, faces %ld", obj.NumPoints, obj.NumFaces);
    if (info.meshes > 1)
        std::printf(" (%d meshes in the file: the last one is kept)", info.meshes);
    std::printf("\n");
    if (obj.NumPoints)
        std::printf("  bounds x %.2f..%.2f, y %.2f..%.2f, z %.2f..%.2f\n", s.lo[0], s.hi[0], s.lo[1], s.hi[1], s.lo[2],
                    s.hi[2]);
    std::printf("  mapping coordinates: %s\n", info.mapping ? "present" : "none");
    if (info.groups.empty())
        std::printf("  material groups: none\n");
    for (const MaterialGroup3D &g : info.groups)
        std::printf("  material group \"%s\": %ld faces, face type %d\n", g.name.c_str(), g.faces, g.faceType);
    std::printf("  face types:");
    for (const auto &t : s.faceTypes)
        std::printf(" %d x %ld", t.first, t.second);
    std::printf("\n");
}

void PrintJson(const std::string &path, const Object3D &obj, const MeshSummary &s)
{
    const ImportInfo3D &info = LastImportInfo3D;
    std::printf("{\"file\": %s, \"points\": %ld, \"faces\": %ld, ", JsonString(path).c_str(), obj.NumPoints,
                obj.NumFaces);
    std::printf("\"min\": [%.6g, %.6g, %.6g], \"max\": [%.6g, %.6g, %.6g], ", s.lo[0], s.lo[1], s.lo[2], s.hi[0],
                s.hi[1], s.hi[2]);
    std::printf("\"mapping\": %s, \"meshes\": %d, \"objects\": [", info.mapping ? "true" : "false", info.meshes);
    for (size_t i = 0; i < info.objects.size(); i++)
        std::printf("%s%s", i ? ", " : "", JsonString(info.objects[i]).c_str());
    std::printf("], \"groups\": [");
    for (size_t i = 0; i < info.groups.size(); i++)
        std::printf("%s{\"name\": %s, \"faces\": %ld, \"facetype\": %d}", i ? ", " : "",
                    JsonString(info.groups[i].name).c_str(), info.groups[i].faces, info.groups[i].faceType);
    std::printf("], \"facetypes\": {");
    bool first = true;
    for (const auto &t : s.faceTypes) {
        std::printf("%s\"%d\": %ld", first ? "" : ", ", t.first, t.second);
        first = false;
    }
    std::printf("}}\n");
}

std::string FolderOf(const std::string &path)
{
    const size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? std::string(".") : path.substr(0, slash);
}

// The pictures the textured, crystal and metal types read: the demo's own
// files beside the mesh when they are there, else plain gradients.
void PreparePictures(const std::string &folder, std::vector<uint32_t> &flipper, defZENTRIXPAGE &metal)
{
    flipper.assign(size_t(kFlipperWidth) * kFlipperHeight, 0);
    for (int y = 0; y < kFlipperHeight; y++)
        for (int x = 0; x < kFlipperWidth; x++)
            flipper[size_t(y) * kFlipperWidth + size_t(x)] =
                ((x / 16 + y / 16) & 1) ? 0x3080C0u : uint32_t(0x10 + y) << 8 | 0x20;
    LoadPCX24((folder + "/Flipper.pcx").c_str(), flipper.data(), uint32_t(flipper.size()));
    FlipperTexture.Pixels = flipper.data();

    CreateGFXPage(&metal, 256, 256, 32);
    auto *m = static_cast<uint32_t *>(metal.pPageData);
    for (int y = 0; y < 256; y++)
        for (int x = 0; x < 256; x++) {
            const double d = std::hypot(x - 128.0, y - 128.0) / 128.0;
            const uint32_t l = uint32_t(std::max(0.0, 1.0 - d) * 230.0) + 20;
            m[y * 256 + x] = l << 16 | l << 8 | l;
        }
    LoadPCX24((folder + "/MetalTexture.pcx").c_str(), m, 256 * 256);
    MetalTexture = &metal;

    CreateGFXPage(&Background, 400, 308, 32);
    auto *b = static_cast<uint32_t *>(Background.pPageData);
    for (int y = 0; y < 308; y++)
        for (int x = 0; x < 400; x++)
            b[y * 400 + x] = ((x / 20 + y / 20) & 1) ? 0x102850u : uint32_t(0x20 + y / 4) << 8 | 0x60;
}

bool ParseAngles(const std::string &text, long angles[3])
{
    return std::sscanf(text.c_str(), "%ld,%ld,%ld", &angles[0], &angles[1], &angles[2]) == 3;
}

// Centres the mesh, turns it, scales it to fill the page and draws it over
// the background.
int Render(Object3D &obj, const std::string &meshPath, const std::string &out, long type, const long angles[3])
{
    std::vector<uint32_t> flipper;
    defZENTRIXPAGE metal{}, page{};
    PreparePictures(FolderOf(meshPath), flipper, metal);
    CreateGFXPage(&page, 400, 308, 32);
    AllocateScanLines(&page);
    std::memcpy(page.pPageData, Background.pPageData, size_t(400) * 308 * 4);

    if (obj.NumPoints > 0) {
        // Centre the mesh, turn it, then find the largest scale at which
        // every vertex stays in front of the camera and inside the page
        // with a margin.
        const MeshSummary s = Summarise(obj);
        double c[3];
        for (int k = 0; k < 3; k++)
            c[k] = (double(s.lo[k]) + double(s.hi[k])) / 2;
        for (long i = 0; i < obj.NumPoints; i++) {
            Point3D &p = obj.Points[i];
            p.x = float(p.x - c[0]);
            p.y = float(p.y - c[1]);
            p.z = float(p.z - c[2]);
        }
        Rotate3D(angles[0], angles[1], angles[2], &obj);
        auto fits = [&](double k) {
            for (long i = 0; i < obj.NumPoints; i++) {
                const Point3D &p = obj.Points[i];
                const double d = p.z * k + 256.0;
                if (d < 64.0)
                    return false;
                if (std::fabs(1024.0 * p.x * k / d) > 180.0 || std::fabs(1024.0 * p.y * k / d) > 138.0)
                    return false;
            }
            return true;
        };
        double lo = 0, hi = 1e6;
        for (int step = 0; step < 60; step++) {
            const double mid = (lo + hi) / 2;
            (fits(mid) ? lo : hi) = mid;
        }
        for (long i = 0; i < obj.NumPoints; i++) {
            Point3D &p = obj.Points[i];
            p.x = float(p.x * lo);
            p.y = float(p.y * lo);
            p.z = float(p.z * lo);
        }
    }
    SelectObject3D(&obj, &obj);
    if (type >= 0)
        Set3DTextureType(type);
    zSort(&obj);
    Draw3D(&obj, &page);
    const bool ok = WritePngXrgb(out, static_cast<const uint32_t *>(page.pPageData), 400, 308, 400);
    DeleteGFXPage(&page);
    DeleteGFXPage(&metal);
    DeleteGFXPage(&Background);
    MetalTexture = nullptr;
    FlipperTexture.Pixels = nullptr;
    if (!ok) {
        std::fprintf(stderr, "zentrix-tool: cannot write %s\n", out.c_str());
        return 1;
    }
    return 0;
}

} // namespace

int CommandMesh(const Args &args)
{
    std::string path, out;
    bool json = false;
    long type = -1, angles[3] = {0, 512, 0};
    for (size_t i = 0; i < args.size(); i++) {
        const std::string &a = args[i];
        const bool hasValue = i + 1 < args.size();
        if (a == "--json") {
            json = true;
        } else if (a == "--render" && hasValue) {
            out = args[++i];
        } else if (a == "--type" && hasValue) {
            type = std::strtol(args[++i].c_str(), nullptr, 10);
        } else if (a == "--angle" && hasValue) {
            if (!ParseAngles(args[++i], angles)) {
                std::fprintf(stderr, "zentrix-tool: --angle takes X,Y,Z\n");
                return 2;
            }
        } else if (path.empty() && !a.empty() && a[0] != '-') {
            path = a;
        } else {
            path.clear();
            break;
        }
    }
    if (path.empty()) {
        std::fprintf(stderr, "usage: zentrix-tool mesh FILE.3DS|FILE.ASE [--json] "
                             "[--render OUT.png [--type N] [--angle X,Y,Z]]\n");
        return 2;
    }
    if (!CheckInputFile(path))
        return 1;
    FillAngleTables3D();
    Object3D obj{};
    Import3D(path.c_str(), &obj);
    int status = 0;
    if (!out.empty()) {
        status = Render(obj, path, out, type, angles);
    } else {
        const MeshSummary s = Summarise(obj);
        if (json)
            PrintJson(path, obj, s);
        else
            PrintText(path, obj, s);
    }
    FreeObject3D(&obj);
    return status;
}
