// A page that frees itself, and pixel accessors for the drawing tests.
#pragma once

#include "zentrix.h"

#include <gtest/gtest.h>

struct TestPage {
    defZENTRIXPAGE page{};
    TestPage(int32_t w, int32_t h, int32_t bpp) { EXPECT_EQ(CreateGFXPage(&page, w, h, bpp), 1); }
    ~TestPage() { DeleteGFXPage(&page); }
    TestPage(const TestPage &) = delete;
    TestPage &operator=(const TestPage &) = delete;
    uint32_t &P32(int x, int y) { return static_cast<uint32_t *>(page.pPageData)[y * page.Width + x]; }
    uint16_t &P16(int x, int y) { return static_cast<uint16_t *>(page.pPageData)[y * page.Width + x]; }
    uint32_t At(int x, int y) { return page.BPP == 16 ? P16(x, y) : P32(x, y); }
    void Set(int x, int y, uint32_t v) { if (page.BPP == 16) P16(x, y) = uint16_t(v); else P32(x, y) = v; }
    size_t Count() const { return size_t(page.Width) * page.Height; }
};

struct TestSprite {
    defZENTRIXSPRITE sprite{};
    TestSprite(uint32_t w, uint32_t h, uint32_t bpp)
    {
        sprite.Width = w;
        sprite.Height = h;
        sprite.BPP = bpp;
        EXPECT_EQ(AllocSprite32(&sprite), 1u);
    }
    ~TestSprite() { FreeSprite32(&sprite); }
    TestSprite(const TestSprite &) = delete;
    TestSprite &operator=(const TestSprite &) = delete;
    uint32_t &P32(int x, int y) { return static_cast<uint32_t *>(sprite.pSpriteData)[y * sprite.Width + x]; }
    uint16_t &P16(int x, int y) { return static_cast<uint16_t *>(sprite.pSpriteData)[y * sprite.Width + x]; }
};
