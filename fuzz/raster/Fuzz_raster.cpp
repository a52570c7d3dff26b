// libFuzzer harness for the rasterizers: random arguments to every span,
// triangle, quad and offset-warp triangle routine on small pages of random
// size and format. Texture coordinates stay inside the texture (the callers'
// contract); everything else, coordinates, colours, levels, offsets, source
// coordinates and page formats, is unrestricted.
#include "zentrix.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <vector>

namespace {

struct Ctx {
    FuzzedDataProvider &in;
    int tw, th;  // texture size in texels
    int32_t Any() {
        switch (in.ConsumeIntegralInRange<int>(0, 3)) {
        case 0: return in.ConsumeIntegralInRange<int32_t>(-40, 40);
        case 1: return in.ConsumeIntegralInRange<int32_t>(-70000, 70000);
        case 2: return in.ConsumeIntegralInRange<int32_t>(-(40 << 16), 40 << 16);
        default: return in.ConsumeIntegral<int32_t>();
        }
    }
    // Texel coordinates: whole texels for vertices, 16.16 for span ends.
    int32_t U() { return in.ConsumeIntegralInRange<int32_t>(0, tw - 1); }
    int32_t V() { return in.ConsumeIntegralInRange<int32_t>(0, th - 1); }
    int32_t FU() { return in.ConsumeIntegralInRange<int32_t>(0, (tw - 1) << 16); }
    int32_t FV() { return in.ConsumeIntegralInRange<int32_t>(0, (th - 1) << 16); }
};

void MakePage(defZENTRIXPAGE &p, FuzzedDataProvider &in, int bpp) {
    const int w = in.ConsumeIntegralInRange<int>(1, 24) * 2, h = in.ConsumeIntegralInRange<int>(1, 16);
    if (CreateGFXPage(&p, w, h, bpp)) AllocateScanLines(&p);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    FuzzedDataProvider in(data, size);
    const int routine = in.ConsumeIntegralInRange<int>(0, 56);
    const int bpp = in.ConsumeBool() ? 32 : 16;
    defZENTRIXPAGE page{}, src{};
    MakePage(page, in, bpp);
    // The source: usually the destination's format, sometimes the other,
    // sometimes the destination itself.
    const int srcKind = in.ConsumeIntegralInRange<int>(0, 3);
    MakePage(src, in, srcKind == 3 ? 48 - bpp : bpp);
    const defZENTRIXPAGE *source = srcKind == 2 ? &page : &src;
    const uint32_t fake = in.ConsumeIntegralInRange<uint32_t>(0, 5);
    if (fake == 1) page.BPP = 24;  // unsupported formats draw nothing
    if (fake == 2) page.BPP = 0;   // taken as 16 by the rasterizers
    Ctx c{in, in.ConsumeIntegralInRange<int>(1, 16), in.ConsumeIntegralInRange<int>(1, 16)};
    // Exactly the texture's bytes, so a read outside it is caught.
    std::vector<uint8_t> tex(size_t(c.tw) * c.th * (bpp == 32 ? 4 : 3));
    for (auto &b : tex) b = in.ConsumeIntegral<uint8_t>();
    const void *t = in.ConsumeIntegralInRange<int>(0, 15) == 0 ? nullptr : tex.data();
    std::vector<int32_t> depth(size_t(page.Width) * size_t(page.Height) + 1);
    void *z = depth.data();
    defZENTRIXPAGE *d = &page;
    const int tw = c.tw;
    auto A = [&] { return c.Any(); };

    switch (routine) {
    case 0: HSolidLine16(A(), A(), A(), uint32_t(A()), d); break;
    case 1: HSolidLine32(A(), A(), A(), uint32_t(A()), d); break;
    case 2: HShadeLine16(A(), A(), A(), A(), A(), A(), A(), A(), A(), d); break;
    case 3: HShadeLine32(A(), A(), A(), A(), A(), A(), A(), A(), A(), d); break;
    case 4: HShadeLineLight16(A(), A(), A(), A(), A(), A(), A(), A(), A(), d); break;
    case 5: HShadeLineLight32(A(), A(), A(), A(), A(), A(), A(), A(), A(), d); break;
    case 6: HNCShadeLineLight32(A(), A(), A(), A(), A(), A(), A(), A(), A(), d); break;
    case 7: HShadeLineDark16(A(), A(), A(), A(), A(), A(), A(), A(), A(), d); break;
    case 8: HShadeLineDark32(A(), A(), A(), A(), A(), A(), A(), A(), A(), d); break;
    case 9: HTextureLine16(A(), c.FU(), c.FV(), A(), c.FU(), c.FV(), A(), t, tw, d); break;
    case 10: HTextureLine32(A(), c.FU(), c.FV(), A(), c.FU(), c.FV(), A(), t, tw, d); break;
    case 11: HTextureMaskLine32(A(), c.FU(), c.FV(), A(), c.FU(), c.FV(), A(), t, tw, uint32_t(A()), d); break;
    case 12: HTextureLineTrans16(A(), c.FU(), c.FV(), A(), c.FU(), c.FV(), A(), t, tw, A(), d); break;
    case 13: HTextureLineTrans32(A(), c.FU(), c.FV(), A(), c.FU(), c.FV(), A(), t, tw, A(), d); break;
    case 14: HTextureLineDimmed32(A(), c.FU(), c.FV(), A(), c.FU(), c.FV(), A(), t, tw, A(), d); break;
    case 15: HTextureLineLightDimmed32(A(), c.FU(), c.FV(), A(), c.FU(), c.FV(), A(), t, tw, A(), d); break;
    case 16: HAddTextureLine16(A(), c.FU(), c.FV(), A(), c.FU(), c.FV(), A(), t, tw, d); break;
    case 17: HAddTextureLine32(A(), c.FU(), c.FV(), A(), c.FU(), c.FV(), A(), t, tw, d); break;
    case 18: HTextureLineLS16(A(), c.FU(), c.FV(), A(), c.FU(), c.FV(), A(), A(), A(), A(), t, tw, d); break;
    case 19: HTextureLineLS32(A(), c.FU(), c.FV(), A(), c.FU(), c.FV(), A(), A(), A(), A(), t, tw, d); break;
    case 20: HTextureLineZ32(A(), c.FU(), c.FV(), A(), A(), c.FU(), c.FV(), A(), A(), t, tw, z, d); break;
    case 21: HOfsLine16(A(), A(), A(), A(), A(), source, d); break;
    case 22: HOfsLine32(A(), A(), A(), A(), A(), source, d); break;
    case 23: HOfsLineLS16(A(), A(), A(), A(), A(), A(), A(), A(), source, d); break;
    case 24: HOfsLineLS32(A(), A(), A(), A(), A(), A(), A(), A(), source, d); break;
    case 25: HOfsLineSmooth16(A(), A(), A(), A(), A(), A(), A(), source, d); break;
    case 26: HOfsLineSmooth32(A(), A(), A(), A(), A(), A(), A(), source, d); break;
    case 27:
        HOfsLineSmoothTexture16(A(), A(), A(), c.FU(), c.FV(), A(), A(), A(), c.FU(), c.FV(), A(), source, t, A(), tw, d);
        break;
    case 28:
        HOfsLineSmoothTexture32(A(), A(), A(), c.FU(), c.FV(), A(), A(), A(), c.FU(), c.FV(), A(), source, t, A(), tw, d);
        break;
    case 29:
        HOfsLineSmoothAddTexture16(A(), A(), A(), c.FU(), c.FV(), A(), A(), A(), c.FU(), c.FV(), A(), source, t, tw, d);
        break;
    case 30:
        HOfsLineSmoothAddTexture32(A(), A(), A(), c.FU(), c.FV(), A(), A(), A(), c.FU(), c.FV(), A(), source, t, tw, d);
        break;
    case 31: HOfsLineSmoothLS16(A(), A(), A(), A(), A(), A(), A(), A(), A(), A(), A(), A(), A(), source, d); break;
    case 32: HOfsLineSmoothLS32(A(), A(), A(), A(), A(), A(), A(), A(), A(), A(), A(), A(), A(), source, d); break;
    case 33: SolidTri(A(), A(), A(), A(), A(), A(), uint32_t(A()), d); break;
    case 34: ShadeTri(A(), A(), A(), A(), A(), A(), A(), A(), A(), A(), A(), A(), A(), A(), A(), d); break;
    case 35: ShadeTriLight(A(), A(), A(), A(), A(), A(), A(), A(), A(), A(), A(), A(), A(), A(), A(), d); break;
    case 36: ShadeTriDark(A(), A(), A(), A(), A(), A(), A(), A(), A(), A(), A(), A(), A(), A(), A(), d); break;
    case 37: TextureTri(A(), A(), c.U(), c.V(), A(), A(), c.U(), c.V(), A(), A(), c.U(), c.V(), t, tw, d); break;
    case 38: AddTextureTri(A(), A(), c.U(), c.V(), A(), A(), c.U(), c.V(), A(), A(), c.U(), c.V(), t, tw, d); break;
    case 39: TextureTriTrans(A(), A(), c.U(), c.V(), A(), A(), c.U(), c.V(), A(), A(), c.U(), c.V(), t, tw, A(), d); break;
    case 40: TextureTriDimmed(A(), A(), c.U(), c.V(), A(), A(), c.U(), c.V(), A(), A(), c.U(), c.V(), t, tw, A(), d); break;
    case 41:
        TextureTriLS(A(), A(), c.U(), c.V(), A(), A(), c.U(), c.V(), A(), A(), c.U(), c.V(), A(), A(), A(), t, tw, d);
        break;
    case 42:
        TextureTriZ(A(), A(), c.U(), c.V(), A(), A(), A(), c.U(), c.V(), A(), A(), A(), c.U(), c.V(), A(), t, tw, z, d);
        break;
    case 43: SolidQuad(A(), A(), A(), A(), A(), A(), A(), A(), uint32_t(A()), d); break;
    case 44:
        TextureQuad(A(), A(), c.U(), c.V(), A(), A(), c.U(), c.V(), A(), A(), c.U(), c.V(), A(), A(), c.U(), c.V(), t, tw, d);
        break;
    case 45:
        TextureMaskQuad(A(), A(), c.U(), c.V(), A(), A(), c.U(), c.V(), A(), A(), c.U(), c.V(), A(), A(), c.U(), c.V(), t, tw,
                        uint32_t(A()), d);
        break;
    case 46:
        TextureQuadDimmed(A(), A(), c.U(), c.V(), A(), A(), c.U(), c.V(), A(), A(), c.U(), c.V(), A(), A(), c.U(), c.V(), t,
                          tw, A(), d);
        break;
    case 47:
        AddTextureQuad(A(), A(), c.U(), c.V(), A(), A(), c.U(), c.V(), A(), A(), c.U(), c.V(), A(), A(), c.U(), c.V(), t, tw,
                       d);
        break;
    case 48:
        AddTextureQuadDimmed(A(), A(), c.U(), c.V(), A(), A(), c.U(), c.V(), A(), A(), c.U(), c.V(), A(), A(), c.U(), c.V(),
                             t, tw, A(), d);
        break;
    case 49:
        ShadeQuadLight(A(), A(), A(), A(), A(), A(), A(), A(), A(), A(), A(), A(), A(), A(), A(), A(), A(), A(), A(), A(), d);
        break;
    case 50:
        TextureQuadZ(A(), A(), c.U(), c.V(), A(), A(), A(), c.U(), c.V(), A(), A(), A(), c.U(), c.V(), A(), A(), A(), c.U(),
                     c.V(), A(), t, tw, z, d);
        break;
    case 51: OfsTri(A(), A(), A(), A(), A(), A(), A(), A(), source, d); break;
    case 52: OfsTriLS(A(), A(), A(), A(), A(), A(), A(), A(), A(), A(), A(), source, d); break;
    case 53: OfsTriSmooth(A(), A(), A(), A(), A(), A(), A(), A(), A(), A(), A(), A(), source, d); break;
    case 54:
        OfsTriSmoothLS(A(), A(), A(), A(), A(), A(), A(), A(), A(), A(), A(), A(), A(), A(), A(), A(), A(), A(), A(), A(),
                       A(), source, d);
        break;
    case 55:
        OfsTriSmoothTexture(A(), A(), A(), A(), c.U(), c.V(), A(), A(), A(), A(), c.U(), c.V(), A(), A(), A(), A(), c.U(),
                            c.V(), source, t, A(), tw, d);
        break;
    default:
        OfsTriSmoothAddTexture(A(), A(), A(), A(), c.U(), c.V(), A(), A(), A(), A(), c.U(), c.V(), A(), A(), A(), A(),
                               c.U(), c.V(), source, t, tw, d);
        break;
    }
    if (fake) page.BPP = uint32_t(bpp);
    DeleteGFXPage(&src);
    DeleteGFXPage(&page);
    return 0;
}
