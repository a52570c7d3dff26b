// Water: a rippling surface on a 100 x 154 grid of 16-bit heights, disturbed
// by drops, stirrers, a bar, a bitmap and a fire, drawn as a tilted surface.
// Owns WaterPage1/2, FirePage, WaterPic, WaterPalette and the row buffers.
#include "WaterEffect.h"

#include "CommonStuff.h"
#include "Random.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

int16_t *WaterPage1 = nullptr;
int16_t *WaterPage2 = nullptr;
int16_t *FirePage = nullptr;
int8_t *WaterPic = nullptr;
uint32_t WaterPalette[256];
int CT = 0;
long StirX[4], StirY[4], StirDX[4], StirDY[4];
std::atomic<int> RotateEffect{0}, DrawPic{0}, bWaterFireEffect{0}, DrawBar{0}, DrawSymbol{0};
long WaterWidth = 100;
long WaterRowShade[2][400];
long WaterRowY[2][400];

namespace {

constexpr int PagePixels = 400 * 308;

// Requests made by the message handler on the window thread; the render
// thread carries them out at the start of its next frame, so the tables are
// only ever touched by one thread.
std::atomic<int> pendingDrops{0};
std::atomic<int> pendingClear{0};
std::atomic<int> pendingReload{0};

int16_t *NewestTable() { return CT ? WaterPage2 : WaterPage1; }
int16_t *PreviousTable() { return CT ? WaterPage1 : WaterPage2; }

inline int16_t Wrap16(int v) { return static_cast<int16_t>(static_cast<uint16_t>(v)); }

inline void AddCell(int16_t *t, int i, int v) { t[i] = Wrap16(t[i] + v); }

// Draws s, then y, then x, as the drop command and the timeline do.
void RandomDrop(int rows)
{
    long s = Rand15() % 600;
    long y = std::labs(Rand15() % rows - 8) + 4;
    long x = std::labs(Rand15() % 100 - 8) + 4;
    DrawDrop(x, y, s);
}

void ApplyRequests()
{
    if (pendingClear.exchange(0, std::memory_order_relaxed)) {
        std::memset(WaterPage1, 0, WaterGridCells * sizeof(int16_t));
        std::memset(WaterPage2, 0, WaterGridCells * sizeof(int16_t));
    }
    if (pendingReload.exchange(0, std::memory_order_relaxed))
        LoadFileRaw("Water.raw", WaterGridWidth, WaterPicHeight, WaterPic);
    for (int n = pendingDrops.exchange(0, std::memory_order_relaxed); n > 0; --n)
        RandomDrop(WaterGridHeight);
}

void MoveStirrers()
{
    if (Rand15() % 10 == 0) {
        StirX[0] = (Rand15() % 100) * 8;
        StirY[0] = (Rand15() % 154) * 8;
    }
    for (int k = 1; k <= 2; ++k) {
        if (StirX[k] > StirX[k - 1]) --StirDX[k];
        else if (StirX[k] < StirX[k - 1]) ++StirDX[k];
        if (StirY[k] > StirY[k - 1]) --StirDY[k];
        else if (StirY[k] < StirY[k - 1]) ++StirDY[k];
        StirDX[k] = std::clamp(StirDX[k], -16L, 16L);
        StirDY[k] = std::clamp(StirDY[k], -16L, 16L);
        StirX[k] += StirDX[k];
        StirY[k] += StirDY[k];
        // Outside this window the stirrer keeps moving but presses nothing.
        if (StirX[k] > 16 && StirX[k] < 768 && StirY[k] > 16 && StirY[k] < 1200) {
            int16_t *P = PreviousTable();
            int i = static_cast<int>((StirY[k] >> 3) * 100 + (StirX[k] >> 3));
            AddCell(P, i, -110);
            AddCell(P, i + 1, -110);
            AddCell(P, i + 100, -110);
            AddCell(P, i + 101, -110);
        }
    }
}

void PressBar()
{
    int16_t *P = PreviousTable();
    for (int r = 142; r <= 145; ++r)
        for (int c = 4; c <= 95; ++c)
            AddCell(P, r * 100 + c, -100);
}

void PressPicture()
{
    int16_t *P = PreviousTable();
    for (int r = 0; r < WaterPicHeight; ++r)
        for (int c = 1; c < 100; ++c) {
            int i = r * 100 + c;
            AddCell(P, i, -WaterPic[i]);
        }
}

// Each cell becomes the damped average of its four neighbours in the newest
// table, minus its own value two generations ago (which it overwrites).
void RippleStep()
{
    const int16_t *N = NewestTable();
    int16_t *P = PreviousTable();
    for (int r = 1; r <= 151; ++r)
        for (int c = 2; c < 100; ++c) {
            int i = r * 100 + c;
            int v = ((N[i - 1] + N[i + 1] + N[i - 100] + N[i + 100]) >> 1) - P[i];
            v -= v >> 6;
            P[i] = Wrap16(v);
        }
}

// A pixel write that lands only inside the page.
inline void Plot(uint32_t *px, long q, uint32_t colour)
{
    if (q >= 0 && q < PagePixels) px[q] = colour;
}

} // namespace

int AllocateWaterMemory()
{
    FirePage = static_cast<int16_t *>(std::calloc(WaterGridCells, sizeof(int16_t)));
    WaterPage1 = static_cast<int16_t *>(std::calloc(WaterGridCells, sizeof(int16_t)));
    WaterPage2 = static_cast<int16_t *>(std::calloc(WaterGridCells, sizeof(int16_t)));
    // Zeroed so that a missing Water.raw presses nothing in.
    WaterPic = static_cast<int8_t *>(std::calloc(WaterPicBytes, 1));
    if (!FirePage || !WaterPage1 || !WaterPage2 || !WaterPic) {
        FreeWaterMemory();
        return 0;
    }
    return 1;
}

int InitializeWater()
{
    for (int k = 1; k <= 2; ++k) {
        StirX[k] = (Rand15() % 100) * 8;
        StirY[k] = (Rand15() % 154) * 8;
        StirDX[k] = 16 - 2 * (Rand15() & 15);
        StirDY[k] = 16 - 2 * (Rand15() & 15);
    }
    uint8_t rgb[768] = {};
    LoadFileRaw("WaterPal.raw", 768, 1, rgb);
    for (int k = 0; k < 256; ++k)
        WaterPalette[k] = uint32_t(rgb[3 * k]) << 16 | uint32_t(rgb[3 * k + 1]) << 8 | rgb[3 * k + 2];
    if (WaterPic)
        LoadFileRaw("Water.raw", WaterGridWidth, WaterPicHeight, WaterPic);
    return 1;
}

int FreeWaterMemory()
{
    std::free(FirePage);
    std::free(WaterPage1);
    std::free(WaterPage2);
    std::free(WaterPic);
    FirePage = WaterPage1 = WaterPage2 = nullptr;
    WaterPic = nullptr;
    return 1;
}

void DrawDrop(long x, long y, long strength)
{
    int16_t *P = PreviousTable();
    if (!P || x < 1 || x > 98 || y < 1 || y > 152) return;
    int i = static_cast<int>(y * 100 + x);
    int s = static_cast<int>(strength), h = s >> 1, q = s >> 2;
    AddCell(P, i, s);
    AddCell(P, i - 100, h);
    AddCell(P, i - 1, h);
    AddCell(P, i + 1, h);
    AddCell(P, i + 100, h);
    AddCell(P, i - 101, q);
    AddCell(P, i - 99, q);
    AddCell(P, i + 99, q);
    AddCell(P, i + 101, q);
}

void AddFireEffect(int16_t **first, int16_t **second)
{
    int16_t *N = CT ? *second : *first;
    int16_t *F = FirePage;
    for (int c = 0; c < 100; ++c)
        if (Rand15() % 3 != 0) F[c] = static_cast<int16_t>(Rand15() % 60);
    for (int r = 1; r <= 8; ++r)
        for (int c = 1; c <= 98; ++c) {
            int i = r * 100 + c;
            int f = (F[i - 101] + F[i - 100] + F[i - 99] + F[i]) >> 2;
            if (f != 0) --f;
            F[i] = Wrap16(f);
            AddCell(N, i + 1, -F[i]);
        }
}

void DoWaterEffect(HWND, HDC, long, defZENTRIXPAGE *EffectGFXPage)
{
    if (!WaterPage1 || !WaterPage2 || !FirePage || !WaterPic) return;
    ApplyRequests();
    if (RotateEffect.load(std::memory_order_relaxed)) MoveStirrers();
    if (DrawBar.load(std::memory_order_relaxed)) PressBar();
    if (DrawPic.load(std::memory_order_relaxed)) PressPicture();
    if (bWaterFireEffect.load(std::memory_order_relaxed)) AddFireEffect(&WaterPage1, &WaterPage2);
    RippleStep();
    CT ^= 1;
    DrawWide(EffectGFXPage);
}

void DrawWide(defZENTRIXPAGE *EffectGFXPage)
{
    const int16_t *N = NewestTable();
    if (!N || !EffectGFXPage || !EffectGFXPage->pPageData || EffectGFXPage->BPP != 32 ||
        EffectGFXPage->Width * EffectGFXPage->Height < PagePixels)
        return;
    uint32_t *px = static_cast<uint32_t *>(EffectGFXPage->pPageData);
    std::memset(WaterRowShade, 0, sizeof WaterRowShade);
    std::memset(WaterRowY, 0, sizeof WaterRowY);
    const long step = 102400 / std::max(1L, WaterWidth);
    const long g = std::max(1L, step >> 8);
    // The last row's lookahead reaches two cells past the table: read as flat.
    auto height = [N](long p) -> long { return p >= 0 && p < WaterGridCells ? N[p] : 0; };
    int cur = 1, prev = 0;
    for (long r = 0; r < 152; ++r) {
        long *shade = WaterRowShade[cur], *prevShade = WaterRowShade[prev];
        long *ys = WaterRowY[cur], *prevY = WaterRowY[prev];
        long p = (r + 1) * 100 + 1;
        long T = 256, Ty = 0, a = 0, s = 0;
        long S = 0, Y = 0, dS = 0, dY = 0;
        for (long x = 0; x < 400; ++x) {
            if (x >= s) {
                a += step;
                s = a >> 8;
                S = T;
                Y = Ty;
                T = std::clamp((height(p + 101) - height(p - 101) + 4 * r + 64) * 64, 256L, 65279L);
                dS = (T - S) / g;
                Ty = height(p) * 16;
                dY = (Ty - Y) / g;
                ++p;
            }
            shade[x] = S;
            ys[x] = Y >> 8;
            const long n = ys[x] - prevY[x] + 2;
            const long q = prevY[x] * 400 + r * 800 + x;
            const long from = prevShade[x];
            if (n > 2) {
                const long ds = (S - from) / n;
                // Only the part of the span that lies on the page is walked.
                const long k0 = q < 0 ? (-q + 399) / 400 : 0;
                const long k1 = q < PagePixels ? std::min(n - 1, (PagePixels - 1 - q) / 400) : -1;
                long sh = from + k0 * ds;
                for (long k = k0; k <= k1; ++k, sh += ds) Plot(px, q + k * 400, WaterPalette[(sh >> 8) & 255]);
            } else if (n > 0) {
                Plot(px, q, WaterPalette[(from >> 8) & 255]);
                if (n == 2) Plot(px, q + 400, WaterPalette[((from + ((S - from) >> 1)) >> 8) & 255]);
            }
            S += dS;
            Y += dY;
        }
        std::swap(cur, prev);
    }
}

void HandleWaterMessage(HWND, unsigned uMessage, WPARAM wParam, LPARAM)
{
    // The window is created without a menu, so the commands only toggle the
    // switches; there is no menu check to update.
    auto toggle = [](std::atomic<int> &flag) {
        flag.store(flag.load(std::memory_order_relaxed) ? 0 : 1, std::memory_order_relaxed);
    };
    unsigned command = 0;
    if (uMessage == WM_COMMAND) {
        command = static_cast<unsigned>(wParam & 0xFFFF);
    } else if (uMessage == WM_KEYDOWN) {
        switch (wParam) {
        case '1': command = IDM_WATER_BITMAP; break;
        case '2': command = IDM_WATER_DROP; break;
        case '3': pendingReload.store(1, std::memory_order_relaxed); return;
        case '4': command = IDM_WATER_STIR; break;
        case '5': command = IDM_WATER_CLEAR; break;
        case '6': command = IDM_WATER_FIRE; break;
        case '7': toggle(DrawSymbol); return;
        default: return;
        }
    } else {
        return;
    }
    switch (command) {
    case IDM_WATER_DROP: pendingDrops.fetch_add(1, std::memory_order_relaxed); break;
    case IDM_WATER_STIR: toggle(RotateEffect); break;
    case IDM_WATER_BITMAP: toggle(DrawPic); break;
    case IDM_WATER_CLEAR: pendingClear.store(1, std::memory_order_relaxed); break;
    case IDM_WATER_FIRE: toggle(bWaterFireEffect); break;
    case IDM_WATER_SYMBOL: toggle(DrawSymbol); break;
    default: break;
    }
}
