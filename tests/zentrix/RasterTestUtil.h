// Helpers for the rasterizer tests: textures, page snapshots, a seeded
// random source, and the fixed-point shorthand the span tests use.
#pragma once

#include "PageFixture.h"

#include <cstring>
#include <random>
#include <vector>

inline int32_t Fx(int32_t v) { return int32_t(uint32_t(v) << 16); }

// A 32-bit texture whose texel i is Pattern(i) (top byte 0).
inline std::vector<uint32_t> IndexTexture32(int w, int h) {
    std::vector<uint32_t> t(size_t(w) * h);
    for (size_t i = 0; i < t.size(); ++i) t[i] = uint32_t((i * 2654435761u) >> 8) & 0xFFFFFFu;
    return t;
}

inline std::vector<uint8_t> RandomTexture24(std::mt19937 &rng, int w, int h) {
    std::vector<uint8_t> t(size_t(w) * h * 3);
    for (auto &b : t) b = uint8_t(rng());
    return t;
}

inline std::vector<uint32_t> RandomTexture32(std::mt19937 &rng, int w, int h) {
    std::vector<uint32_t> t(size_t(w) * h);
    for (auto &p : t) p = rng() & 0xFFFFFFu;
    return t;
}

inline void FillRandom(TestPage &p, std::mt19937 &rng) {
    const size_t bytes = p.Count() * (p.page.BPP == 32 ? 4 : 2);
    auto *b = static_cast<uint8_t *>(p.page.pPageData);
    for (size_t i = 0; i < bytes; ++i) b[i] = uint8_t(rng());
    if (p.page.BPP == 32)
        for (size_t i = 0; i < p.Count(); ++i) static_cast<uint32_t *>(p.page.pPageData)[i] &= 0xFFFFFFu;
}

inline void CopyPixels(TestPage &to, const TestPage &from) {
    std::memcpy(to.page.pPageData, from.page.pPageData, from.Count() * (from.page.BPP == 32 ? 4 : 2));
}

inline void Clear(TestPage &p) { std::memset(p.page.pPageData, 0, p.Count() * (p.page.BPP == 32 ? 4 : 2)); }

inline std::vector<uint32_t> Snapshot(TestPage &p) {
    std::vector<uint32_t> s(p.Count());
    for (int y = 0; y < p.page.Height; ++y)
        for (int x = 0; x < p.page.Width; ++x) s[size_t(y) * p.page.Width + x] = p.At(x, y);
    return s;
}

inline int CountChanged(TestPage &p, const std::vector<uint32_t> &before) {
    int n = 0;
    for (int y = 0; y < p.page.Height; ++y)
        for (int x = 0; x < p.page.Width; ++x) n += p.At(x, y) != before[size_t(y) * p.page.Width + x];
    return n;
}

inline int Rand(std::mt19937 &rng, int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); }
