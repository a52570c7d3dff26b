// The digits of the frame counter (Data/Numbers.raw, 90 x 12, 24-bit): ten
// 9-pixel cells "0" to "9" in a bold mono face, pale cyan with a dark rim so
// they read over any scene, on the transparent colour 0xFF00FF.
#include "Datagen.h"
#include "DataFile.h"
#include "Font.h"
#include "PcxWriter.h"

namespace {

constexpr int kCell = 9, kHeight = 12;
constexpr uint32_t kKey = 0xFF00FF;

} // namespace

bool MakeNumbers(Picture *out)
{
    Picture p(10 * kCell, kHeight, kKey);
    std::vector<int> cover(p.px.size(), 0);
    for (int d = 0; d < 10; ++d) {
        TextMask m;
        const char text[2] = {char('0' + d), 0};
        if (!RenderText(FontFace::MonoBold, 12, text, &m))
            return false;
        // Ink bounds, to centre the digit in its cell.
        int minX = m.width, maxX = -1;
        for (int y = 0; y < m.height; ++y)
            for (int x = 0; x < m.width; ++x)
                if (m.At(x, y) > 0) {
                    minX = x < minX ? x : minX;
                    maxX = x > maxX ? x : maxX;
                }
        const int shiftX = d * kCell + (kCell - (maxX - minX + 1)) / 2 - minX;
        const int shiftY = 10 - m.baseline;    // baseline on row 10
        for (int y = 0; y < m.height; ++y)
            for (int x = 0; x < m.width; ++x) {
                const int px = x + shiftX, py = y + shiftY;
                if (px >= d * kCell && px < (d + 1) * kCell && py >= 0 && py < kHeight)
                    cover[size_t(py) * size_t(p.width) + size_t(px)] = m.At(x, y);
            }
    }
    const uint32_t rim = Rgb(0, 24, 48);
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < p.width; ++x) {
            const int c = cover[size_t(y) * size_t(p.width) + size_t(x)];
            // Fill brightens towards the top, like light from above water.
            const uint32_t fill = Blend(Rgb(120, 220, 255), Rgb(255, 255, 255), 255 - y * 20);
            if (c > 0) {
                p.At(x, y) = Blend(rim, fill, c);
                continue;
            }
            bool nearInk = false;    // a one-pixel rim inside the digit's cell
            const int cellX0 = (x / kCell) * kCell;
            for (int dy = -1; dy <= 1; ++dy)
                for (int dx = -1; dx <= 1; ++dx) {
                    const int nx = x + dx, ny = y + dy;
                    if (nx >= cellX0 && nx < cellX0 + kCell && ny >= 0 && ny < kHeight &&
                        cover[size_t(ny) * size_t(p.width) + size_t(nx)] >= 96)
                        nearInk = true;
                }
            if (nearInk)
                p.At(x, y) = rim;
        }
    *out = p;
    return true;
}

bool GenerateNumbers(const std::string &dir)
{
    Picture p;
    return MakeNumbers(&p) && WriteDataFile(dir, "Numbers.raw", EncodeRaw24(p));
}
