// Water: a rippling surface on a 100 x 154 grid of 16-bit heights, disturbed
// by drops, stirrers, a bar, a bitmap and a fire, drawn as a tilted surface.
// Owns WaterPage1/2, FirePage, WaterPic, WaterPalette, the row buffers and
// the drawing's transposed buffer of shade indices.
#include "WaterEffect.h"

#include "CommonStuff.h"
#include "Random.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#endif

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
int WaterDrawAvx2 = 0;

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
    for (int r = 1; r <= 151; ++r) {
        int c = 2;
#if defined(__SSE2__)
        // Eight cells a step in 32-bit lanes, wrapped back to 16 bits.
        auto widen = [](__m128i v, bool high) {
            return _mm_srai_epi32(high ? _mm_unpackhi_epi16(v, v) : _mm_unpacklo_epi16(v, v), 16);
        };
        auto load = [](const int16_t *at) { return _mm_loadu_si128(reinterpret_cast<const __m128i *>(at)); };
        auto half = [&](int i, bool high) {
            const __m128i sum = _mm_add_epi32(_mm_add_epi32(widen(load(N + i - 1), high), widen(load(N + i + 1), high)),
                                              _mm_add_epi32(widen(load(N + i - 100), high), widen(load(N + i + 100), high)));
            __m128i v = _mm_sub_epi32(_mm_srai_epi32(sum, 1), widen(load(P + i), high));
            v = _mm_sub_epi32(v, _mm_srai_epi32(v, 6));
            return _mm_srai_epi32(_mm_slli_epi32(v, 16), 16);
        };
        for (; c + 8 <= 100; c += 8) {
            const int i = r * 100 + c;
            _mm_storeu_si128(reinterpret_cast<__m128i *>(P + i), _mm_packs_epi32(half(i, false), half(i, true)));
        }
#endif
        for (; c < 100; ++c) {
            int i = r * 100 + c;
            int v = ((N[i - 1] + N[i + 1] + N[i - 100] + N[i + 100]) >> 1) - P[i];
            v -= v >> 6;
            P[i] = Wrap16(v);
        }
    }
}

// A pixel write that lands only inside the page.
inline void Plot(uint32_t *px, long q, uint32_t colour)
{
    if (q >= 0 && q < PagePixels) px[q] = colour;
}

// ---- The drawing at the demo's width ------------------------------------
//
// Every grid row gives each screen column one vertical span, of a length
// that changes from column to column; walking the page span by span spends
// most of its time on mispredicted loop ends. So the spans go into a
// transposed buffer of shade indices, one screen column after another, each
// as a fixed window of WindowRows entries of which only the first n take the
// span (the others keep what they held). A column's spans follow each other
// down the column: each starts where the one before ended, so the start is
// carried from row to row. A grid row is worked out four cells at a time
// (eight with AVX2), for one of a cell's four columns at once. At the end the
// buffer goes to the page row by row through the palette; entries no span
// reached leave the page's pixel as it was.

#if defined(__SSE2__)

constexpr int WindowRows = 8;
constexpr int TilePad = WindowRows;                 // rows above and below the page
constexpr int TileRows = 308 + 2 * TilePad;         // one screen column
constexpr uint16_t TileUntouched = 0xFFFF;

uint16_t WaterTile[400 * TileRows];

// A span that does not fit a window on the buffer (longer than a window, or
// starting off the page): clipped to the page, one entry at a time.
[[gnu::noinline]] void LongSpan(uint16_t *column, int start, int n, int from, int to)
{
    if (n <= 0) return;
    const int ds = n == 2 ? (to - from) >> 1 : n > 2 ? (to - from) / n : 0;
    const int k0 = std::max(0, -start), k1 = std::min(n, 308 - start);
    for (int k = k0; k < k1; ++k) column[TilePad + start + k] = uint16_t(((from + k * ds) >> 8) & 255);
}

// One grid row's per-cell values, in cell order c + 1 (entry 0 is the row's
// start): shade target T and height.
struct WaterRowCells {
    alignas(16) int T[112];
    alignas(16) int H[112];
};

// Targets and heights of grid row r, eight cells a step (the last step
// works out four cells past the row, which nothing reads). The target's
// clamp to 256 .. 65279 is a clamp of the sum to 4 .. 1020 before the * 64,
// so it can be done in saturating 16-bit arithmetic.
[[gnu::noinline]] void RowCells(const int16_t *N, int r, WaterRowCells &cells)
{
    const int16_t *at = N + (r + 1) * 100 + 1;
    if (r == 151) {
        // The lookahead reaches two cells past the table: flat.
        for (int c = 0; c < 100; ++c) {
            const int p = (r + 1) * 100 + 1 + c;
            const int below = p + 101 < WaterGridCells ? N[p + 101] : 0;
            cells.T[c + 1] = std::clamp((below - N[p - 101] + 4 * r + 64) * 64, 256, 65279);
            cells.H[c + 1] = N[p];
        }
        return;
    }
    const __m128i lift = _mm_set1_epi16(short(4 * r + 64));
    const __m128i top = _mm_set1_epi16(1020);
    for (int c = 0; c < 104; c += 8) {
        const __m128i below = _mm_loadu_si128(reinterpret_cast<const __m128i *>(at + c + 101));
        const __m128i above = _mm_loadu_si128(reinterpret_cast<const __m128i *>(at + c - 101));
        const __m128i h = _mm_loadu_si128(reinterpret_cast<const __m128i *>(at + c));
        const __m128i sum = _mm_max_epi16(_mm_min_epi16(_mm_adds_epi16(_mm_subs_epi16(below, above), lift), top), _mm_set1_epi16(4));
        const __m128i t = _mm_add_epi16(_mm_slli_epi16(sum, 6), _mm_cmpeq_epi16(sum, top));
        _mm_storeu_si128(reinterpret_cast<__m128i *>(cells.T + c + 1), _mm_unpacklo_epi16(t, _mm_setzero_si128()));
        _mm_storeu_si128(reinterpret_cast<__m128i *>(cells.T + c + 5), _mm_unpackhi_epi16(t, _mm_setzero_si128()));
        _mm_storeu_si128(reinterpret_cast<__m128i *>(cells.H + c + 1), _mm_srai_epi32(_mm_unpacklo_epi16(h, h), 16));
        _mm_storeu_si128(reinterpret_cast<__m128i *>(cells.H + c + 5), _mm_srai_epi32(_mm_unpackhi_epi16(h, h), 16));
    }
}

// Per screen column state, indexed [column within its cell][cell]: the next
// span's first buffer row and the shade where it starts.
struct WaterColumns {
    alignas(16) int Start[4][100];
    alignas(16) int Shade[4][100];
};

// The window of lane J: n16x2, from16x2 and step16x2 hold each lane's value
// twice in 16 bits (lane j in 32-bit lane j).
template <int J>
inline void Window(uint16_t *w, __m128i from16x2, __m128i step16x2, __m128i n16x2)
{
    const __m128i k = _mm_setr_epi16(0, 1, 2, 3, 4, 5, 6, 7);
    const __m128i from = _mm_shuffle_epi32(from16x2, J * 0x55);
    const __m128i step = _mm_shuffle_epi32(step16x2, J * 0x55);
    const __m128i n = _mm_shuffle_epi32(n16x2, J * 0x55);
    // Only the low 16 bits of a shade matter: the index is its bits 8 to 15.
    const __m128i index = _mm_srli_epi16(_mm_add_epi16(from, _mm_mullo_epi16(step, k)), 8);
    const __m128i in = _mm_cmpgt_epi16(n, k);
    const __m128i old = _mm_loadu_si128(reinterpret_cast<const __m128i *>(w));
    _mm_storeu_si128(reinterpret_cast<__m128i *>(w), _mm_xor_si128(old, _mm_and_si128(in, _mm_xor_si128(old, index))));
}

// Column K of four cells c .. c + 3 of a grid row: S and Y their shades and
// heights (8.8 fixed point), base = 2r + 2 for grid row r.
template <int K>
[[gnu::always_inline]] inline void CellColumns(WaterColumns &cols, int c, __m128i S, __m128i Y, __m128i base)
{
    // The span from the previous row's end down to this row's.
    __m128i *startAt = reinterpret_cast<__m128i *>(cols.Start[K] + c);
    __m128i *shadeAt = reinterpret_cast<__m128i *>(cols.Shade[K] + c);
    const __m128i start = _mm_load_si128(startAt), from = _mm_load_si128(shadeAt);
    const __m128i end = _mm_add_epi32(_mm_srai_epi32(Y, 8), base);
    const __m128i n = _mm_sub_epi32(end, start);
    _mm_store_si128(startAt, end);
    _mm_store_si128(shadeAt, S);
    // Shade step of a window: (S - from) / n truncated; for n = 2 half the
    // difference rounded down, which is the truncated half of the difference
    // less one when it is negative. The single precision quotient truncates
    // exactly: |S - from| < 2^16 and n <= WindowRows keep a fraction at least
    // 1/8 away from the next whole number.
    const __m128i d = _mm_sub_epi32(S, from);
    const __m128i two = _mm_cmpeq_epi32(n, _mm_set1_epi32(2));
    const __m128i down = _mm_add_epi32(d, _mm_and_si128(two, _mm_srai_epi32(d, 31)));
    const __m128i ds = _mm_cvttps_epi32(_mm_div_ps(_mm_cvtepi32_ps(down), _mm_max_ps(_mm_cvtepi32_ps(n), _mm_set1_ps(1.0f))));
    // Lane values in 16 bits, each twice: the shade's low half, the step
    // (within 16 bits) and n (within 16 bits).
    const __m128i from16 = _mm_srai_epi32(_mm_slli_epi32(from, 16), 16);
    const __m128i from16x2 = _mm_unpacklo_epi16(_mm_packs_epi32(from16, from16), _mm_packs_epi32(from16, from16));
    const __m128i ds16 = _mm_packs_epi32(ds, ds);
    const __m128i step16x2 = _mm_unpacklo_epi16(ds16, ds16);
    const __m128i n16 = _mm_packs_epi32(n, n);
    const __m128i n16x2 = _mm_unpacklo_epi16(n16, n16);
    // A window must lie on the buffer and hold the whole span.
    const __m128i off = _mm_or_si128(_mm_or_si128(_mm_cmpgt_epi32(n, _mm_set1_epi32(WindowRows)),
                                                  _mm_cmpgt_epi32(start, _mm_set1_epi32(TileRows - WindowRows - TilePad))),
                                     _mm_cmpgt_epi32(_mm_set1_epi32(-TilePad), start));
    alignas(16) int st[4];
    _mm_store_si128(reinterpret_cast<__m128i *>(st), start);
    uint16_t *col = WaterTile + (4 * c + K) * TileRows + TilePad;
    constexpr int Next = 4 * TileRows;
    const int offLanes = _mm_movemask_ps(_mm_castsi128_ps(off));
    if (offLanes == 0) {
        Window<0>(col + st[0], from16x2, step16x2, n16x2);
        Window<1>(col + Next + st[1], from16x2, step16x2, n16x2);
        Window<2>(col + 2 * Next + st[2], from16x2, step16x2, n16x2);
        Window<3>(col + 3 * Next + st[3], from16x2, step16x2, n16x2);
        return;
    }
    alignas(16) int nn[4], ff[4], ss[4];
    _mm_store_si128(reinterpret_cast<__m128i *>(nn), n);
    _mm_store_si128(reinterpret_cast<__m128i *>(ff), from);
    _mm_store_si128(reinterpret_cast<__m128i *>(ss), S);
    auto lane = [&](int j) {
        if (offLanes & (1 << j)) {
            LongSpan(col + j * Next - TilePad, st[j], nn[j], ff[j], ss[j]);
            return false;
        }
        return true;
    };
    if (lane(0)) Window<0>(col + st[0], from16x2, step16x2, n16x2);
    if (lane(1)) Window<1>(col + Next + st[1], from16x2, step16x2, n16x2);
    if (lane(2)) Window<2>(col + 2 * Next + st[2], from16x2, step16x2, n16x2);
    if (lane(3)) Window<3>(col + 3 * Next + st[3], from16x2, step16x2, n16x2);
}

// The four columns of cells c .. c + 3 of a grid row.
[[gnu::always_inline]] inline void CellGroup(const WaterRowCells &cells, WaterColumns &cols, int c, __m128i base)
{
    // Shade and height interpolated across the cell: a quarter of the way
    // per column, the shade step truncated, the height step exact.
    const __m128i tm = _mm_load_si128(reinterpret_cast<const __m128i *>(cells.T + c));
    const __m128i tn = _mm_loadu_si128(reinterpret_cast<const __m128i *>(cells.T + c + 1));
    __m128i dS = _mm_sub_epi32(tn, tm);
    dS = _mm_srai_epi32(_mm_add_epi32(dS, _mm_and_si128(_mm_srai_epi32(dS, 31), _mm_set1_epi32(3))), 2);
    const __m128i hm = _mm_load_si128(reinterpret_cast<const __m128i *>(cells.H + c));
    const __m128i hn = _mm_loadu_si128(reinterpret_cast<const __m128i *>(cells.H + c + 1));
    const __m128i dY = _mm_slli_epi32(_mm_sub_epi32(hn, hm), 2);
    const __m128i Y = _mm_slli_epi32(hm, 4);
    CellColumns<0>(cols, c, tm, Y, base);
    CellColumns<1>(cols, c, _mm_add_epi32(tm, dS), _mm_add_epi32(Y, dY), base);
    const __m128i dS2 = _mm_add_epi32(dS, dS), dY2 = _mm_add_epi32(dY, dY);
    CellColumns<2>(cols, c, _mm_add_epi32(tm, dS2), _mm_add_epi32(Y, dY2), base);
    CellColumns<3>(cols, c, _mm_add_epi32(_mm_add_epi32(tm, dS2), dS), _mm_add_epi32(_mm_add_epi32(Y, dY2), dY), base);
}

// Every column of grid row r (rowBase = 2r + 2), four cells a step.
void RowColumns(const WaterRowCells &cells, WaterColumns &cols, int rowBase)
{
    const __m128i base = _mm_set1_epi32(rowBase);
    for (int c = 0; c < 100; c += 4) CellGroup(cells, cols, c, base);
}

#if defined(__x86_64__) || defined(__i386__)
#define WATER_AVX2 1

// The same with AVX2, eight cells a step: one 256-bit register holds the
// windows of two columns, a cell's column in its low half and the same
// column four cells on in its high half.

// The windows of lane J of each half, at lo and hi.
template <int J>
[[gnu::target("avx2"), gnu::always_inline]] inline void WindowPair(uint16_t *lo, uint16_t *hi, __m256i from16x2,
                                                                   __m256i step16x2, __m256i n16x2)
{
    const __m256i k = _mm256_setr_epi16(0, 1, 2, 3, 4, 5, 6, 7, 0, 1, 2, 3, 4, 5, 6, 7);
    const __m256i from = _mm256_shuffle_epi32(from16x2, J * 0x55);
    const __m256i step = _mm256_shuffle_epi32(step16x2, J * 0x55);
    const __m256i n = _mm256_shuffle_epi32(n16x2, J * 0x55);
    const __m256i index = _mm256_srli_epi16(_mm256_add_epi16(from, _mm256_mullo_epi16(step, k)), 8);
    const __m256i in = _mm256_cmpgt_epi16(n, k);
    const __m256i old = _mm256_inserti128_si256(_mm256_castsi128_si256(_mm_loadu_si128(reinterpret_cast<const __m128i *>(lo))),
                                                _mm_loadu_si128(reinterpret_cast<const __m128i *>(hi)), 1);
    const __m256i out = _mm256_xor_si256(old, _mm256_and_si256(in, _mm256_xor_si256(old, index)));
    _mm_storeu_si128(reinterpret_cast<__m128i *>(lo), _mm256_castsi256_si128(out));
    _mm_storeu_si128(reinterpret_cast<__m128i *>(hi), _mm256_extracti128_si256(out, 1));
}

template <int K>
[[gnu::target("avx2"), gnu::always_inline]] inline void CellColumns8(WaterColumns &cols, int c, __m256i S, __m256i Y, __m256i base)
{
    __m256i *startAt = reinterpret_cast<__m256i *>(cols.Start[K] + c);
    __m256i *shadeAt = reinterpret_cast<__m256i *>(cols.Shade[K] + c);
    const __m256i start = _mm256_loadu_si256(startAt), from = _mm256_loadu_si256(shadeAt);
    const __m256i end = _mm256_add_epi32(_mm256_srai_epi32(Y, 8), base);
    const __m256i n = _mm256_sub_epi32(end, start);
    _mm256_storeu_si256(startAt, end);
    _mm256_storeu_si256(shadeAt, S);
    const __m256i d = _mm256_sub_epi32(S, from);
    const __m256i two = _mm256_cmpeq_epi32(n, _mm256_set1_epi32(2));
    const __m256i down = _mm256_add_epi32(d, _mm256_and_si256(two, _mm256_srai_epi32(d, 31)));
    const __m256i ds = _mm256_cvttps_epi32(
        _mm256_div_ps(_mm256_cvtepi32_ps(down), _mm256_max_ps(_mm256_cvtepi32_ps(n), _mm256_set1_ps(1.0f))));
    // Packs and unpacks work within each half: lane j of a half ends up
    // twice in 16 bits in its 32-bit lane j.
    const __m256i from16 = _mm256_srai_epi32(_mm256_slli_epi32(from, 16), 16);
    const __m256i from16p = _mm256_packs_epi32(from16, from16);
    const __m256i from16x2 = _mm256_unpacklo_epi16(from16p, from16p);
    const __m256i ds16 = _mm256_packs_epi32(ds, ds);
    const __m256i step16x2 = _mm256_unpacklo_epi16(ds16, ds16);
    const __m256i n16 = _mm256_packs_epi32(n, n);
    const __m256i n16x2 = _mm256_unpacklo_epi16(n16, n16);
    const __m256i off = _mm256_or_si256(
        _mm256_or_si256(_mm256_cmpgt_epi32(n, _mm256_set1_epi32(WindowRows)),
                        _mm256_cmpgt_epi32(start, _mm256_set1_epi32(TileRows - WindowRows - TilePad))),
        _mm256_cmpgt_epi32(_mm256_set1_epi32(-TilePad), start));
    alignas(32) int st[8];
    _mm256_store_si256(reinterpret_cast<__m256i *>(st), start);
    uint16_t *col = WaterTile + (4 * c + K) * TileRows + TilePad;
    constexpr int Next = 4 * TileRows;
    const int offLanes = _mm256_movemask_ps(_mm256_castsi256_ps(off));
    if (offLanes == 0) {
        WindowPair<0>(col + st[0], col + 4 * Next + st[4], from16x2, step16x2, n16x2);
        WindowPair<1>(col + Next + st[1], col + 5 * Next + st[5], from16x2, step16x2, n16x2);
        WindowPair<2>(col + 2 * Next + st[2], col + 6 * Next + st[6], from16x2, step16x2, n16x2);
        WindowPair<3>(col + 3 * Next + st[3], col + 7 * Next + st[7], from16x2, step16x2, n16x2);
        return;
    }
    alignas(32) int nn[8], ff[8], ss[8];
    _mm256_store_si256(reinterpret_cast<__m256i *>(nn), n);
    _mm256_store_si256(reinterpret_cast<__m256i *>(ff), from);
    _mm256_store_si256(reinterpret_cast<__m256i *>(ss), S);
    const __m128i f0 = _mm256_castsi256_si128(from16x2), f1 = _mm256_extracti128_si256(from16x2, 1);
    const __m128i s0 = _mm256_castsi256_si128(step16x2), s1 = _mm256_extracti128_si256(step16x2, 1);
    const __m128i n0 = _mm256_castsi256_si128(n16x2), n1 = _mm256_extracti128_si256(n16x2, 1);
    // LongSpan is plain SSE code, slowed down by dirty upper register halves.
    _mm256_zeroupper();
    auto lane = [&](int j) {
        if (offLanes & (1 << j)) {
            LongSpan(col + j * Next - TilePad, st[j], nn[j], ff[j], ss[j]);
            return false;
        }
        return true;
    };
    if (lane(0)) Window<0>(col + st[0], f0, s0, n0);
    if (lane(1)) Window<1>(col + Next + st[1], f0, s0, n0);
    if (lane(2)) Window<2>(col + 2 * Next + st[2], f0, s0, n0);
    if (lane(3)) Window<3>(col + 3 * Next + st[3], f0, s0, n0);
    if (lane(4)) Window<0>(col + 4 * Next + st[4], f1, s1, n1);
    if (lane(5)) Window<1>(col + 5 * Next + st[5], f1, s1, n1);
    if (lane(6)) Window<2>(col + 6 * Next + st[6], f1, s1, n1);
    if (lane(7)) Window<3>(col + 7 * Next + st[7], f1, s1, n1);
}

[[gnu::target("avx2")]] void RowColumnsAvx2(const WaterRowCells &cells, WaterColumns &cols, int rowBase)
{
    const __m256i base = _mm256_set1_epi32(rowBase);
    int c = 0;
    for (; c + 8 <= 100; c += 8) {
        const __m256i tm = _mm256_loadu_si256(reinterpret_cast<const __m256i *>(cells.T + c));
        const __m256i tn = _mm256_loadu_si256(reinterpret_cast<const __m256i *>(cells.T + c + 1));
        __m256i dS = _mm256_sub_epi32(tn, tm);
        dS = _mm256_srai_epi32(_mm256_add_epi32(dS, _mm256_and_si256(_mm256_srai_epi32(dS, 31), _mm256_set1_epi32(3))), 2);
        const __m256i hm = _mm256_loadu_si256(reinterpret_cast<const __m256i *>(cells.H + c));
        const __m256i hn = _mm256_loadu_si256(reinterpret_cast<const __m256i *>(cells.H + c + 1));
        const __m256i dY = _mm256_slli_epi32(_mm256_sub_epi32(hn, hm), 2);
        const __m256i Y = _mm256_slli_epi32(hm, 4);
        CellColumns8<0>(cols, c, tm, Y, base);
        CellColumns8<1>(cols, c, _mm256_add_epi32(tm, dS), _mm256_add_epi32(Y, dY), base);
        const __m256i dS2 = _mm256_add_epi32(dS, dS), dY2 = _mm256_add_epi32(dY, dY);
        CellColumns8<2>(cols, c, _mm256_add_epi32(tm, dS2), _mm256_add_epi32(Y, dY2), base);
        CellColumns8<3>(cols, c, _mm256_add_epi32(_mm256_add_epi32(tm, dS2), dS), _mm256_add_epi32(_mm256_add_epi32(Y, dY2), dY), base);
    }
    // The compiler leaves the upper halves of the registers dirty, which
    // makes the plain SSE code that follows several times slower.
    _mm256_zeroupper();
    for (; c < 100; c += 4) CellGroup(cells, cols, c, _mm_set1_epi32(rowBase));
}

bool HasAvx2()
{
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx2");
}
#endif

// Blocks of 8 x 8 pixels: the buffer read down 8 columns, the page written
// along 8 rows. A block that no span missed needs no test per pixel.
[[gnu::noinline]] void CopyTileToPage(uint32_t *px)
{
    constexpr int B = 8;
    auto plain = [px](int v0, int v1, int x0) {
        for (int v = v0; v < v1; ++v)
            for (int x = x0; x < x0 + B; ++x) {
                const uint16_t t = WaterTile[x * TileRows + TilePad + v];
                if (t != TileUntouched) px[v * 400 + x] = WaterPalette[t];
            }
    };
    for (int v0 = 0; v0 + B <= 308; v0 += B) {
        for (int x0 = 0; x0 < 400; x0 += B) {
            const uint16_t *t = WaterTile + x0 * TileRows + TilePad + v0;
            __m128i any = _mm_setzero_si128();
#pragma GCC unroll 8
            for (int j = 0; j < B; ++j)
                any = _mm_or_si128(any, _mm_loadu_si128(reinterpret_cast<const __m128i *>(t + j * TileRows)));
            // Indices are below 256: a high byte with its top bit set is untouched.
            if (_mm_movemask_epi8(any) & 0xAAAA) {
                plain(v0, v0 + B, x0);
                continue;
            }
            uint32_t *out = px + v0 * 400 + x0;
#pragma GCC unroll 8
            for (int i = 0; i < B; ++i)
#pragma GCC unroll 8
                for (int j = 0; j < B; ++j) out[i * 400 + j] = WaterPalette[t[j * TileRows + i]];
        }
    }
    for (int x0 = 0; x0 < 400; x0 += B) plain(308 / B * B, 308, x0);
}

void DrawWideFourColumns(const int16_t *N, uint32_t *px)
{
    std::memset(WaterTile, 0xFF, sizeof WaterTile);
    WaterColumns cols{};
    WaterRowCells cells{};
    cells.T[0] = 256;
    cells.H[0] = 0;
    for (int r = 0; r < 152; ++r) {
        RowCells(N, r, cells);
        const int rowBase = 2 * r + 2;
#if defined(WATER_AVX2)
        if (WaterDrawAvx2) {
            RowColumnsAvx2(cells, cols, rowBase);
        } else
#endif
            RowColumns(cells, cols, rowBase);
        // The row tables end holding the last two rows, the last in half 0.
        if (r >= 150) {
            const int h = r == 151 ? 0 : 1;
            for (int x = 0; x < 400; ++x) {
                WaterRowShade[h][x] = cols.Shade[x & 3][x >> 2];
                WaterRowY[h][x] = cols.Start[x & 3][x >> 2] - rowBase;
            }
        }
    }
    CopyTileToPage(px);
}

#endif

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
#if defined(WATER_AVX2)
    WaterDrawAvx2 = HasAvx2() ? 1 : 0;
#endif
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
#if defined(__SSE2__)
    if (102400 / std::max(1L, WaterWidth) == 1024) {
        DrawWideFourColumns(N, static_cast<uint32_t *>(EffectGFXPage->pPageData));
        return;
    }
#endif
    DrawWidePlain(EffectGFXPage);
}

void DrawWidePlain(defZENTRIXPAGE *EffectGFXPage)
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
