#include "Font.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <cstdio>

namespace {

struct FaceSlot {
    FontFace face;
    const char *path;
};

const FaceSlot kFaces[] = {
    {FontFace::Sans, "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf"},
    {FontFace::SansBold, "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf"},
    {FontFace::Serif, "/usr/share/fonts/truetype/dejavu/DejaVuSerif.ttf"},
    {FontFace::SerifBold, "/usr/share/fonts/truetype/dejavu/DejaVuSerif-Bold.ttf"},
    {FontFace::MonoBold, "/usr/share/fonts/truetype/dejavu/DejaVuSansMono-Bold.ttf"},
};

// One FreeType library and one face per font for the life of the program.
FT_Library Library()
{
    static FT_Library library = nullptr;
    static bool tried = false;
    if (!tried) {
        tried = true;
        if (FT_Init_FreeType(&library) != 0) {
            std::fprintf(stderr, "datagen: FreeType could not be initialised\n");
            library = nullptr;
        }
    }
    return library;
}

FT_Face Face(FontFace face)
{
    static FT_Face faces[5] = {nullptr, nullptr, nullptr, nullptr, nullptr};
    const int i = int(face);
    if (!faces[i] && Library()) {
        if (FT_New_Face(Library(), kFaces[i].path, 0, &faces[i]) != 0) {
            std::fprintf(stderr, "datagen: cannot load the font %s (Debian package fonts-dejavu-core)\n",
                         kFaces[i].path);
            faces[i] = nullptr;
        }
    }
    return faces[i];
}

} // namespace

const char *FontPath(FontFace face) { return kFaces[int(face)].path; }

bool RenderText(FontFace faceId, int pixelSize, const std::string &text, TextMask *out, int tracking)
{
    FT_Face face = Face(faceId);
    if (!face)
        return false;
    FT_Set_Pixel_Sizes(face, 0, FT_UInt(pixelSize));
    const int ascender = int((face->size->metrics.ascender + 63) >> 6);
    const int descender = int((-face->size->metrics.descender + 63) >> 6);

    // First pass: pen positions in 26.6, with kerning, to size the mask.
    struct Placed {
        FT_UInt glyph;
        long penX;
    };
    std::vector<Placed> placed;
    long pen = 0;
    FT_UInt previous = 0;
    for (unsigned char ch : text) {
        const FT_UInt glyph = FT_Get_Char_Index(face, ch);
        if (previous && glyph && FT_HAS_KERNING(face)) {
            FT_Vector kern;
            if (FT_Get_Kerning(face, previous, glyph, FT_KERNING_UNFITTED, &kern) == 0)
                pen += kern.x;
        }
        placed.push_back(Placed{glyph, pen});
        if (FT_Load_Glyph(face, glyph, FT_LOAD_NO_HINTING) == 0)
            pen += face->glyph->advance.x;
        pen += long(tracking) * 64;
        previous = glyph;
    }
    const int margin = 2 + pixelSize / 8;
    out->width = int((pen + 63) >> 6) + 2 * margin;
    out->height = ascender + descender + 2;
    out->baseline = ascender + 1;
    out->coverage.assign(size_t(out->width) * size_t(out->height), 0);

    for (const Placed &p : placed) {
        // Sub-pixel pen position: shift the outline by the fraction.
        FT_Vector shift{p.penX & 63, 0};
        FT_Set_Transform(face, nullptr, &shift);
        if (FT_Load_Glyph(face, p.glyph, FT_LOAD_NO_HINTING | FT_LOAD_RENDER) != 0)
            continue;
        FT_Set_Transform(face, nullptr, nullptr);
        const FT_Bitmap &bm = face->glyph->bitmap;
        const int left = margin + int(p.penX >> 6) + face->glyph->bitmap_left;
        const int top = out->baseline - face->glyph->bitmap_top;
        for (unsigned row = 0; row < bm.rows; ++row)
            for (unsigned col = 0; col < bm.width; ++col) {
                const int x = left + int(col), y = top + int(row);
                if (x < 0 || y < 0 || x >= out->width || y >= out->height)
                    continue;
                uint8_t &dst = out->coverage[size_t(y) * size_t(out->width) + size_t(x)];
                const int v = bm.buffer[long(row) * bm.pitch + long(col)];
                dst = uint8_t(std::min(255, int(dst) + v));
            }
    }
    FT_Set_Transform(face, nullptr, nullptr);
    return true;
}
