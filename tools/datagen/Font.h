// Text set with FreeType from the Debian DejaVu fonts: anti-aliased
// coverage masks (0..255) that the generators colour and compose.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

enum class FontFace { Sans, SansBold, Serif, SerifBold, MonoBold };

struct TextMask {
    int width = 0;
    int height = 0;
    int baseline = 0;               // row of the baseline inside the mask
    std::vector<uint8_t> coverage;  // width * height
    uint8_t At(int x, int y) const
    {
        return (x < 0 || y < 0 || x >= width || y >= height) ? 0 : coverage[size_t(y) * size_t(width) + size_t(x)];
    }
};

// Renders one line of ASCII/Latin-1 text at `pixelSize` pixels per em, with
// `tracking` extra pixels between letters. Unhinted outlines, so the shapes
// are those of the font. Returns false (after saying why on stderr) when
// the font can't be loaded.
bool RenderText(FontFace face, int pixelSize, const std::string &text, TextMask *out, int tracking = 0);

// The path of a face's font file, for messages.
const char *FontPath(FontFace face);
