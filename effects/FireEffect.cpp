// Particle fire: swarms of particles chase each other's leaders and leave
// flames; an 8-bit intensity field (VPage) is stamped, smeared and cooled
// every frame and shown through FirePalette. Owns Points, VPage, FirePalette.
#include "FireEffect.h"

#include "CommonStuff.h"
#include "Gen32.h"
#include "Random.h"

#include <cstdlib>
#include <cstring>

TPoint *Points = nullptr;
long CurrentPoints = kFireSwarms;
uint16_t *VPage = nullptr;
uint32_t *FirePalette = nullptr;
int bMoveFirstPoint = 1;

namespace {

constexpr int kCentreX = 200, kCentreY = 154;
// The filter's range: from the first value of row 307 back to row 2, column 1.
constexpr int kFilterFirst = 122800, kFilterLast = 801;

TPoint *Swarm(long g) { return Points + g * kFireSwarmSize; }

// Adds v to the low byte of a field value, wrapping within it: an overfull
// spot turns dark instead of saturating.
inline void Stamp(unsigned short *f, int i, int v) { f[i] = uint16_t((f[i] & 0xFF00) | ((f[i] + v) & 0xFF)); }

inline uint16_t To565(uint32_t c)
{
    return uint16_t(((c >> 19) & 0x1F) << 11 | ((c >> 10) & 0x3F) << 5 | ((c >> 3) & 0x1F));
}

// Shows the field: one palette entry a pixel. A 16-bit page gets the same
// colours in 5-6-5. Pages larger than the field draw nothing.
void ShowField(defZENTRIXPAGE *page)
{
    if (!page || !page->pPageData || page->Width <= 0 || page->Height <= 0)
        return;
    const long count = long(page->Width) * page->Height;
    if (count > kFirePageValues)
        return;
    if (page->BPP == 32) {
        FlipD(reinterpret_cast<const int16_t *>(VPage), FirePalette, page);
    } else if (page->BPP == 0 || page->BPP == 16) {
        auto *out = static_cast<uint16_t *>(page->pPageData);
        for (long k = 0; k < count; k++)
            out[k] = To565(FirePalette[VPage[k] & 0x3FF]);
    }
}

} // namespace

int AllocateFireMemory()
{
    FirePalette = static_cast<uint32_t *>(std::calloc(kFirePaletteEntries, sizeof(uint32_t)));
    if (!FirePalette)
        return 0;
    // The whole field is zeroed, the spare row too: the filter's first values
    // read into it.
    VPage = static_cast<uint16_t *>(std::calloc(kFireFieldValues, sizeof(uint16_t)));
    if (!VPage)
        return 0;
    Points = static_cast<TPoint *>(std::calloc(kFirePoints, sizeof(TPoint)));
    if (!Points)
        return 0;
    return 1;
}

long InitializeFire()
{
    if (!FirePalette || !VPage || !Points)
        return 1;
    // Black to red, red to yellow, yellow to white, then white.
    for (uint32_t i = 0; i < 64; i++) {
        FirePalette[i] = i << 18;
        FirePalette[64 + i] = 0xFF0000 + (i << 10);
        FirePalette[128 + i] = 0xFFFF00 + 4 * i;
        FirePalette[192 + i] = 0xFFFFFF;
    }
    for (long g = 0; g < kFireSwarms; g++) {
        TPoint *s = Swarm(g);
        s[0].MaxAccel = int32_t(13 - 2 * g);
        s[0].MaxSpeed = int32_t(160 - 2 * g);
        for (int k = 0; k < kFireSwarmSize; k++) {
            s[k].x = kCentreX - Rand15() % 400;
            s[k].y = kCentreY - Rand15() % 308;
            s[k].dx = (Rand15() & 15) + 16;
            s[k].dy = (Rand15() & 15) + 16;
            s[k].Decay = k == 0 ? 100 : 0;
        }
        MovePoints(g);
    }
    std::memset(VPage, 0, 122800 * sizeof(uint16_t));
    return 1;
}

long FreeFireMemory()
{
    std::free(FirePalette);
    std::free(VPage);
    std::free(Points);
    FirePalette = nullptr;
    VPage = nullptr;
    Points = nullptr;
    return 1;
}

void HandleFireMessage(HWND, unsigned, WPARAM, LPARAM) {}

void MovePoints(long g)
{
    if (!Points || g < 0 || g >= kFireSwarms)
        return;
    TPoint *s = Swarm(g);
    if (g == 0) {
        if (Rand15() % 30 == 0) {
            s[0].x = 6400 - (Rand15() % 400) * 32;
            s[0].y = 4928 - (Rand15() % 308) * 32;
        }
        return;
    }
    TPoint &lead = s[0];
    for (int k = 1; k < kFireSwarmSize; k++) {
        TPoint &p = s[k];
        if (p.Decay > 0) {
            p.Decay--;
            p.x += p.dx;
            p.y += p.dy;
        } else {
            p.Decay = Rand15() % 100;
            p.x = lead.x;
            p.y = lead.y;
            p.dx = 80 - 2 * (Rand15() % 80);
            p.dy = 80 - 2 * (Rand15() % 80);
        }
    }
    lead.x += lead.dx;
    lead.y += lead.dy;
    const TPoint &target = Swarm(g - 1)[0];
    if (lead.x > target.x && lead.dx > -lead.MaxSpeed)
        lead.dx -= lead.MaxAccel;
    if (lead.x < target.x && lead.dx < lead.MaxSpeed)
        lead.dx += lead.MaxAccel;
    if (lead.y > target.y && lead.dy > -lead.MaxSpeed)
        lead.dy -= lead.MaxAccel;
    if (lead.y < target.y && lead.dy < lead.MaxSpeed)
        lead.dy += lead.MaxAccel;
}

void DrawPoints(long g, unsigned short *Where)
{
    if (!Points || !Where || g < 0 || g >= kFireSwarms)
        return;
    const TPoint *s = Swarm(g);
    for (int k = 0; k < kFireSwarmSize; k++) {
        const int sx = (s[k].x >> 5) + kCentreX;
        const int sy = (s[k].y >> 5) + kCentreY;
        if (sx < 5 || sx >= 396 || sy < 5 || sy >= 304)
            continue;
        const int i = sy * 400 + sx, v = s[k].Decay / 2;
        Stamp(Where, i, v);
        Stamp(Where, i - 1, v);
        Stamp(Where, i + 1, v);
        Stamp(Where, i - 400, v);
        Stamp(Where, i + 400, v);
    }
}

void CreateFireEffectScalar(unsigned short *Source)
{
    if (!Source)
        return;
    unsigned short *f = Source;
    for (int p = kFilterFirst; p >= kFilterLast; p--) {
        const int s = f[p - 400] + f[p - 1] + f[p + 1] + f[p + 400];
        f[p] = uint16_t((s >> 2) - (s >= 4 ? 1 : 0));
    }
}

// The same pass with a shorter chain from one value to the next (the left
// neighbour of each value is its right neighbour's result): (s >> 2) - 1
// for s >= 4, else 0, is max(s - 4, 0) >> 2, where the sign test reuses the
// flags of the addition. The three reads that do not depend on the chain
// are summed ahead of it.
void CreateFireEffect(unsigned short *Source)
{
    if (!Source)
        return;
    unsigned short *f = Source;
    int right = f[kFilterFirst + 1];
    for (int p = kFilterFirst; p >= kFilterLast; p--) {
        int v = f[p - 400] + f[p - 1] + f[p + 400] - 4 + right;
        v = v < 0 ? 0 : v;
        right = v >> 2;
        f[p] = uint16_t(right);
    }
}

void DoFireEffect(HWND, HDC, long FramesMissed, defZENTRIXPAGE *EffectGFXPage)
{
    if (!Points || !VPage || !FirePalette)
        return;
    if (_MouseDown.load(std::memory_order_relaxed))
        bMoveFirstPoint = 1;
    const long swarms = CurrentPoints < kFireSwarms ? CurrentPoints : kFireSwarms;
    for (long n = 0; n < FramesMissed; n++) {
        if (bMoveFirstPoint)
            MovePoints(0);
        for (long g = 1; g < swarms; g++) {
            MovePoints(g);
            DrawPoints(g, VPage);
        }
    }
    CreateFireEffect(VPage);
    ShowField(EffectGFXPage);
}
