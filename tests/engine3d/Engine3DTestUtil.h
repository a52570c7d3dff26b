// Scratch files and a small 3DS chunk writer for the 3D engine tests.
#pragma once

#include "3DStuff.h"
#include "Engine3DPrivate.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include <unistd.h>

// A scratch file name, one per process and tag.
inline std::string ScratchFile(const std::string &tag)
{
    return "/tmp/engine3d_test_" + std::to_string(getpid()) + "_" + tag;
}

inline void WriteBytes(const std::string &path, const std::vector<uint8_t> &bytes)
{
    std::FILE *f = std::fopen(path.c_str(), "wb");
    if (!f)
        return;
    if (!bytes.empty())
        std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
}

inline void WriteText(const std::string &path, const std::string &text)
{
    WriteBytes(path, std::vector<uint8_t>(text.begin(), text.end()));
}

// Chunks are opened and closed like brackets; End fills in the length.
struct Chunks {
    std::vector<uint8_t> b;
    std::vector<size_t> open;
    Chunks &U16(uint32_t v)
    {
        b.push_back(uint8_t(v));
        b.push_back(uint8_t(v >> 8));
        return *this;
    }
    Chunks &U32(uint32_t v)
    {
        U16(v & 0xFFFF);
        return U16(v >> 16);
    }
    Chunks &F32(float f)
    {
        uint32_t v;
        std::memcpy(&v, &f, 4);
        return U32(v);
    }
    Chunks &Name(const std::string &s)
    {
        b.insert(b.end(), s.begin(), s.end());
        b.push_back(0);
        return *this;
    }
    Chunks &Begin(uint32_t id)
    {
        U16(id);
        open.push_back(b.size());
        return U32(0);
    }
    Chunks &End()
    {
        const size_t at = open.back();
        open.pop_back();
        const uint32_t len = uint32_t(b.size() - at + 2);
        for (int k = 0; k < 4; k++)
            b[at + size_t(k)] = uint8_t(len >> (8 * k));
        return *this;
    }
    // The usual opening: main chunk, file version, editor data with the
    // mesh version at offset 28. Close with Finish.
    Chunks &Start(uint32_t version = 3)
    {
        Begin(0x4D4D).Begin(0x0002).U32(3).End();
        Begin(0x3D3D).Begin(0x3D3E).U32(version).End();
        return *this;
    }
    std::vector<uint8_t> Finish()
    {
        End(); // editor data
        End(); // main chunk
        return b;
    }
    Chunks &Vertices(const std::vector<float> &xyz)
    {
        Begin(0x4110).U16(uint32_t(xyz.size() / 3));
        for (float v : xyz)
            F32(v);
        return End();
    }
    Chunks &Mapping(const std::vector<float> &uv)
    {
        Begin(0x4140).U16(uint32_t(uv.size() / 2));
        for (float v : uv)
            F32(v);
        return End();
    }
    // A face list; groups are (name, face numbers) written inside it.
    Chunks &Faces(const std::vector<int> &abc,
                  const std::vector<std::pair<std::string, std::vector<int>>> &groups = {})
    {
        Begin(0x4120).U16(uint32_t(abc.size() / 3));
        for (size_t i = 0; i < abc.size(); i += 3)
            U16(uint32_t(abc[i])).U16(uint32_t(abc[i + 1])).U16(uint32_t(abc[i + 2])).U16(7);
        for (const auto &g : groups) {
            Begin(0x4130).Name(g.first).U16(uint32_t(g.second.size()));
            for (int f : g.second)
                U16(uint32_t(f));
            End();
        }
        return End();
    }
};

// A tetrahedron's four vertices and four faces, as file values.
inline const std::vector<float> &TetraXYZ()
{
    static const std::vector<float> v = {0, 0, 0, 100, 0, 0, 0, 100, 0, 0, 0, 100};
    return v;
}
inline const std::vector<int> &TetraFaces()
{
    static const std::vector<int> f = {0, 1, 2, 0, 3, 1, 0, 2, 3, 1, 3, 2};
    return f;
}

// The importers' tests: an object to import into and a scratch file of the
// given name, both gone after the test.
struct ImportFixture : ::testing::Test {
    Object3D obj{};
    std::string path;
    explicit ImportFixture(const char *name) : path(ScratchFile(name)) {}
    void SetUp() override { FillAngleTables3D(); }
    void TearDown() override
    {
        FreeObject3D(&obj);
        std::remove(path.c_str());
    }
};
