// Pages for the effect tests: a 400 x 308 32-bit page in plain memory with
// guard words on both sides, for tests that must show an effect writes only
// inside its page; and one the library makes, with the quad rasterizers'
// edge buffers, for effects that draw through them.
#pragma once

#include "zentrix.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

struct GuardedPage {
    static constexpr int W = 400, H = 308, Guard = 4096;
    static constexpr uint32_t GuardWord = 0xA5A5A5A5u;
    std::vector<uint32_t> memory;
    defZENTRIXPAGE page{};

    explicit GuardedPage(uint32_t fill = 0) : memory(W * H + 2 * Guard, GuardWord)
    {
        for (int k = 0; k < W * H; ++k) memory[Guard + k] = fill;
        page.pPageData = memory.data() + Guard;
        page.Width = W;
        page.Height = H;
        page.BPP = 32;
    }
    uint32_t &At(int x, int y) { return memory[Guard + y * W + x]; }
    bool GuardsIntact() const
    {
        for (int k = 0; k < Guard; ++k)
            if (memory[k] != GuardWord || memory[Guard + W * H + k] != GuardWord) return false;
        return true;
    }
    int CountNot(uint32_t value) const
    {
        int n = 0;
        for (int k = 0; k < W * H; ++k) n += memory[Guard + k] != value;
        return n;
    }
};

struct LibraryPage {
    defZENTRIXPAGE page{};

    LibraryPage()
    {
        EXPECT_EQ(CreateGFXPage(&page, GuardedPage::W, GuardedPage::H, 32), 1);
        EXPECT_EQ(AllocateScanLines(&page), 1u);
    }
    ~LibraryPage() { DeleteGFXPage(&page); }
    uint32_t &At(int x, int y) { return static_cast<uint32_t *>(page.pPageData)[y * GuardedPage::W + x]; }
};
