// Plants: a three-dimensional tree that grows on screen branch by branch,
// turning about its vertical axis, drawn as depth-sorted shaded lines of
// three widths with green leaves.
// Owns the generated segment list (TreeLines) and its per-frame working copy.
#include "Plants.h"

#include "CommonStuff.h"
#include "Gen32.h"
#include "General.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <utility>

TagTTree *TreeLines = nullptr;
long LinesAllocated = 0;
long TreeLinesUsed = 0;
TagTTree *TempBranchList = nullptr;
long TreeBranch = 0;
long TreeAngle = 0;

namespace {

constexpr long kTurn = kGeneralTurn;   // 5760 table steps a turn
constexpr long kFirstLines = 100;
// The tree itself is about ten generations deep; a path that goes on past
// this (a scale of 1 or more) ends in a leaf, so the recursion stays shallow.
constexpr int kMaxTreeDepth = 48;
// Pushed coordinates are kept well inside 32 bits, so that turning and
// offsetting them on screen cannot overflow.
constexpr float kMaxCoord = 1.0e8f;

// Depths of the turned tree lie within its radius (about 260); the drawing
// order comes from one counting pass over this many depth values, or from
// QTreeSort for a tree too deep for it.
constexpr long kDepthBins = 2048;
uint32_t DepthCount[kDepthBins + 1];
// The working copy in drawing order, TreeLinesUsed entries.
TagTTree *SortedBranchList = nullptr;

constexpr long kScreenX = 200;   // where the tree's origin lands on the page
constexpr long kScreenY = 268;

// A table index for an angle given in degrees (16 steps a degree).
long DegreeIndex(long degrees)
{
    long d = degrees % 360;
    if (d < 0)
        d += 360;
    return d * 16;
}

// floor(v + 0.5), limited to +-kMaxCoord; not-a-number gives 0.
long RoundCoord(float v)
{
    if (!(v == v))
        return 0;
    if (v > kMaxCoord)
        v = kMaxCoord;
    if (v < -kMaxCoord)
        v = -kMaxCoord;
    return long(std::floor(v + 0.5f));
}

// The three-step rotation: angle a turns the x-z plane, b the x-y plane and
// c the z-y plane, each step using the results of the one before.
void Rotate(long a, long b, long c, float &x, float &y, float &z)
{
    const float sA = GeneralSinTable[a], cA = GeneralCosTable[a];
    const float sB = GeneralSinTable[b], cB = GeneralCosTable[b];
    const float sC = GeneralSinTable[c], cC = GeneralCosTable[c];
    const float x1 = x * cA - z * sA, z1 = x * sA + z * cA;
    const float y1 = x1 * sB + y * cB, x2 = x1 * cB - y * sB;
    const float z2 = z1 * cC - y1 * sC, y2 = z1 * sC + y1 * cC;
    x = x2;
    y = y2;
    z = z2;
}

// Each axis differs by at most 14 once truncated to an integer.
bool IsShort(float d)
{
    return std::fabs(d) < 15.0f;
}

void Grow(long AngleX, long AngleY, float x1, float y1, float z1, float x2, float y2, float z2, long AngleZ,
          float Scale, long Color, int depth)
{
    for (;; depth++) {
        if (ApplicationFin)
            return;
        float dx = x2 - x1, dy = y2 - y1, dz = z2 - z1;
        Rotate(DegreeIndex(AngleX), DegreeIndex(AngleY), DegreeIndex(AngleZ), dx, dy, dz);
        const float nx = x2 + dx * Scale, ny = y2 + dy * Scale, nz = z2 + dz * Scale;

        if ((IsShort(x1 - x2) && IsShort(y1 - y2) && IsShort(z1 - z2)) || depth >= kMaxTreeDepth) {
            PushLine3D(RoundCoord(x1), RoundCoord(y1), RoundCoord(z1), RoundCoord(x2), RoundCoord(y2),
                       RoundCoord(z2), -1);
            return;
        }
        const long kind = Color > 1 ? Color : 0;
        const long child = Color > 1 ? Color - 1 : 0;
        // A full list ends the whole generation.
        if (!PushLine3D(RoundCoord(x1), RoundCoord(y1), RoundCoord(z1), RoundCoord(x2), RoundCoord(y2),
                        RoundCoord(z2), kind))
            return;
        Grow(0, 322, x2, y2, z2, nx, ny, nz, 20, 0.86f, child, depth + 1);
        Grow(0, 38, x2, y2, z2, nx, ny, nz, 30, 0.85f, child, depth + 1);
        // The third branch carries on in this loop.
        x1 = x2;
        y1 = y2;
        z1 = z2;
        x2 = nx;
        y2 = ny;
        z2 = nz;
        AngleX = 0;
        AngleY = 353;
        AngleZ = 310;
        Scale = 0.83f;
        Color = child;
    }
}

// One value of a channel from the depth shade c, kept to a byte so that
// channels never spill into each other.
inline int32_t Channel(long v)
{
    return int32_t(v < 0 ? 0 : v > 255 ? 255 : v);
}

// Steps along the line from (x1, y1) to (x2, y2) with the integer error
// method (the error starts at half the major length and grows by the minor
// length each step) and calls plot(p) with p pointing at each point of the
// W-wide Target whose x lies in [xlo, xhi] and y in [ylo, yhi].
// A line wholly inside that box is walked without a test per point; any
// other is walked only over the stretch of its major axis inside the box,
// testing the minor coordinate at each point.
template <typename Plot>
void WalkLine(long x1, long y1, long x2, long y2, long xlo, long xhi, long ylo, long yhi, int32_t *Target, long W,
              Plot plot)
{
    if (std::min(x1, x2) >= xlo && std::max(x1, x2) <= xhi && std::min(y1, y2) >= ylo && std::max(y1, y2) <= yhi) {
        const long dx = x2 - x1, dy = y2 - y1;
        const long adx = dx < 0 ? -dx : dx, ady = dy < 0 ? -dy : dy;
        const long sx = dx < 0 ? -1 : 1, sy = dy < 0 ? -W : W;
        const bool xMajor = adx > ady;
        const long longest = xMajor ? adx : ady, shortest = xMajor ? ady : adx;
        const long majorStep = xMajor ? sx : sy, minorStep = xMajor ? sy : sx;
        int32_t *p = Target + y1 * W + x1;
        long error = longest >> 1;
        for (long k = 0; k <= longest; k++) {
            plot(p);
            p += majorStep;
            error += shortest;
            if (error >= longest) {
                error -= longest;
                p += minorStep;
            }
        }
        return;
    }

    // Ends far off the page are brought in to +-2^30 first (on the same side
    // of the page), so that no product below can overflow.
    auto limit = [](long v) { return v < -(1L << 30) ? -(1L << 30) : v > (1L << 30) ? (1L << 30) : v; };
    x1 = limit(x1);
    y1 = limit(y1);
    x2 = limit(x2);
    y2 = limit(y2);
    const int64_t dx = int64_t(x2) - x1, dy = int64_t(y2) - y1;
    const int64_t adx = dx < 0 ? -dx : dx, ady = dy < 0 ? -dy : dy;
    const bool xMajor = adx > ady;
    const int64_t longest = xMajor ? adx : ady, shortest = xMajor ? ady : adx;
    const int64_t majorStart = xMajor ? x1 : y1, minorStart = xMajor ? y1 : x1;
    const int64_t majorStep = xMajor ? (dx < 0 ? -1 : 1) : (dy < 0 ? -1 : 1);
    const int64_t minorStep = xMajor ? (dy < 0 ? -1 : 1) : (dx < 0 ? -1 : 1);
    const int64_t lo = xMajor ? xlo : ylo, hi = xMajor ? xhi : yhi;
    const int64_t minorLo = xMajor ? ylo : xlo, minorHi = xMajor ? yhi : xhi;

    // Steps k in [k0, k1] keep the major coordinate within [lo, hi].
    int64_t k0, k1;
    if (majorStep > 0) {
        k0 = lo - majorStart;
        k1 = hi - majorStart;
    } else {
        k0 = majorStart - hi;
        k1 = majorStart - lo;
    }
    if (k0 < 0)
        k0 = 0;
    if (k1 > longest)
        k1 = longest;
    if (k0 > k1)
        return;
    int64_t error = longest >> 1, minor = minorStart;
    if (k0 > 0 && longest > 0) {
        const int64_t sum = error + k0 * shortest;   // below 2^31 times 2^31: no overflow
        error = sum % longest;
        minor += (sum / longest) * minorStep;
    }
    int64_t major = majorStart + k0 * majorStep;
    for (int64_t k = k0; k <= k1; k++) {
        if (minor >= minorLo && minor <= minorHi)
            plot(xMajor ? Target + minor * W + major : Target + major * W + minor);
        major += majorStep;
        error += shortest;
        if (error >= longest) {
            error -= longest;
            minor += minorStep;
        }
    }
}

} // namespace

int AllocatePlantMemory()
{
    return 1;
}

int InitializePlant(defZENTRIXPAGE * /*EffectGFXPage*/)
{
    FreePlantMemory();
    if (GeneralSinTable)
        TransformTree3D(0, 0, 0, 40, 0, 0, -10, 0, 0, 1.0f, 5);
    return AllocateTreeWorkspace();
}

int AllocateTreeWorkspace()
{
    FreeUp(TempBranchList);
    FreeUp(SortedBranchList);
    // At least one entry, so that a tree cut short still has a working copy.
    const size_t count = size_t(TreeLinesUsed > 0 ? TreeLinesUsed : 1);
    TempBranchList = static_cast<TagTTree *>(std::calloc(count, sizeof(TagTTree)));
    SortedBranchList = static_cast<TagTTree *>(std::calloc(count, sizeof(TagTTree)));
    return TempBranchList != nullptr && SortedBranchList != nullptr;
}

void DoPlantEffect(HWND /*hWnd*/, HDC /*hDrawWindowDC*/, long FramesMissed, defZENTRIXPAGE *EffectGFXPage)
{
    DrawTree(EffectGFXPage, TreeAngle);
    // 20 steps a frame; 288 frames make a whole turn, so the product stays
    // small whatever the frame time.
    long step = (FramesMissed % 288) * 20;
    TreeAngle = ((TreeAngle % kTurn) + step) % kTurn;
    if (TreeAngle < 0)
        TreeAngle += kTurn;
}

void FreePlantMemory()
{
    std::free(TreeLines);
    TreeLines = nullptr;
    LinesAllocated = 0;
    TreeLinesUsed = 0;
    FreeUp(TempBranchList);
    TempBranchList = nullptr;
    FreeUp(SortedBranchList);
    SortedBranchList = nullptr;
    TreeBranch = 0;
}

void TransformTree3D(long AngleX, long AngleY, float x1, float y1, float z1, float x2, float y2, float z2,
                     long AngleZ, float Scale, long Color)
{
    if (!GeneralSinTable)
        return;
    Grow(AngleX, AngleY, x1, y1, z1, x2, y2, z2, AngleZ, Scale, Color, 0);
}

int PushLine3D(long x1, long y1, long z1, long x2, long y2, long z2, long Color)
{
    // One entry is always kept spare, as the list has always been grown.
    // The list doubles (from 100) up to its capacity.
    if (TreeLinesUsed >= LinesAllocated - 1) {
        if (LinesAllocated >= kMaxTreeLines)
            return 0;
        const long size = LinesAllocated ? std::min(2 * LinesAllocated, kMaxTreeLines) : kFirstLines;
        void *grown = std::realloc(TreeLines, size_t(size) * sizeof(TagTTree));
        if (!grown)
            return 0;
        TreeLines = static_cast<TagTTree *>(grown);
        LinesAllocated = size;
    }
    TreeLines[TreeLinesUsed++] = TagTTree{int32_t(x1), int32_t(y1), int32_t(z1), int32_t(x2), int32_t(y2),
                                          int32_t(z2), int32_t(Color)};
    return 1;
}

void QTreeSort(TagTTree *a, long l, long r)
{
    // Hoare's partition around the middle entry's z2. The smaller side is
    // sorted by recursion and the larger one in this loop, which keeps the
    // stack to a logarithm of the count; each side is partitioned just as it
    // would be in any other order, so the result is the same.
    while (l < r) {
        const int32_t pivot = a[l + (r - l) / 2].z2;
        long i = l, j = r;
        do {
            while (a[i].z2 < pivot)
                i++;
            while (a[j].z2 > pivot)
                j--;
            if (i <= j) {
                std::swap(a[i], a[j]);
                i++;
                j--;
            }
        } while (i <= j);
        if (j - l < r - i) {
            if (l < j)
                QTreeSort(a, l, j);
            l = i;
        } else {
            if (i < r)
                QTreeSort(a, i, r);
            r = j;
        }
    }
}

void DrawTree(defZENTRIXPAGE *EffectGFXPage, long Angle)
{
    // Never more than was generated, whatever the sequencer asks for.
    const long n = TreeBranch < TreeLinesUsed ? TreeBranch : TreeLinesUsed;
    if (n <= 0 || !TreeLines || !TempBranchList || !SortedBranchList || !GeneralSinTable || !EffectGFXPage ||
        EffectGFXPage->BPP != 32 || !EffectGFXPage->pPageData)
        return;
    long a = Angle % kTurn;
    if (a < 0)
        a += kTurn;
    // The turn about the vertical axis: the three-step rotation with only
    // its first angle, so y stays as it is.
    const float s = GeneralSinTable[a], c = GeneralCosTable[a];
    int32_t zMin = INT32_MAX, zMax = INT32_MIN;
    for (long k = 0; k < n; k++) {
        const TagTTree &t = TreeLines[k];
        TagTTree &o = TempBranchList[k];
        o.x1 = int32_t(float(t.x1) * c - float(t.z1) * s);
        o.z1 = int32_t(float(t.x1) * s + float(t.z1) * c);
        o.y1 = t.y1;
        o.x2 = int32_t(float(t.x2) * c - float(t.z2) * s);
        o.z2 = int32_t(float(t.x2) * s + float(t.z2) * c);
        o.y2 = t.y2;
        o.Color = t.Color;
        zMin = std::min(zMin, o.z2);
        zMax = std::max(zMax, o.z2);
    }

    // By z2, smallest first, so that segments with larger z2 are drawn over
    // the others; equal depths keep their generation order.
    const TagTTree *list = TempBranchList;
    if (int64_t(zMax) - zMin < kDepthBins) {
        const long bins = long(zMax - zMin) + 1;
        std::fill(DepthCount, DepthCount + bins + 1, 0u);
        for (long k = 0; k < n; k++)
            DepthCount[TempBranchList[k].z2 - zMin + 1]++;
        for (long b = 1; b <= bins; b++)
            DepthCount[b] += DepthCount[b - 1];
        for (long k = 0; k < n; k++)
            SortedBranchList[DepthCount[TempBranchList[k].z2 - zMin]++] = TempBranchList[k];
        list = SortedBranchList;
    } else {
        QTreeSort(TempBranchList, 0, n - 1);
    }

    int32_t *pixels = static_cast<int32_t *>(EffectGFXPage->pPageData);
    const long W = EffectGFXPage->Width, H = EffectGFXPage->Height;
    for (long k = 0; k < n; k++) {
        const TagTTree &t = list[k];
        // Larger z is lighter and drawn later, over the rest: the side
        // facing the viewer.
        const long shade = t.z1 / 2 + 100;
        const long sx1 = t.x1 + kScreenX, sy1 = t.y1 + kScreenY;
        const long sx2 = t.x2 + kScreenX, sy2 = t.y2 + kScreenY;
        const int32_t r = Channel(shade / 2), g = Channel(shade / 3), b = Channel(shade / 4);
        const long bark = long(r) << 16 | long(g) << 8 | b;
        if (t.Color < 0)
            ThickLine32(sx1, sy1, sx2, sy2, long(Channel(shade)) << 8, pixels, W, H);
        else if (t.Color == 0)
            Line32(int32_t(sx1), int32_t(sy1), int32_t(sx2), int32_t(sy2), uint32_t(r), uint32_t(g), uint32_t(b),
                   EffectGFXPage);
        else if (t.Color <= 3)
            ThickLine32(sx1, sy1, sx2, sy2, bark, pixels, W, H);
        else
            ReallyThickLine32(sx1, sy1, sx2, sy2, bark, pixels, W, H);
    }
}

void ThickLine32(long x1, long y1, long x2, long y2, long Color, int32_t *Target, long TargetWidth,
                 long TargetHeight)
{
    if (!Target || TargetWidth < 2 || TargetHeight < 2)
        return;
    const int32_t colour = int32_t(Color);
    const long W = TargetWidth;
    // 0 <= x < W - 1 and 0 <= y < H - 1: the block's right column and lower
    // row stay inside.
    WalkLine(x1, y1, x2, y2, 0, TargetWidth - 2, 0, TargetHeight - 2, Target, W, [colour, W](int32_t *p) {
        p[0] = p[1] = colour;
        p[W] = p[W + 1] = colour;
    });
}

void ReallyThickLine32(long x1, long y1, long x2, long y2, long Color, int32_t *Target, long TargetWidth,
                       long TargetHeight)
{
    if (!Target || TargetWidth < 6 || TargetHeight < 2)
        return;
    // A lit rod: brighter towards the middle. Each channel is kept to a byte.
    auto lift = [](uint32_t c, uint32_t add) {
        uint32_t out = 0;
        for (int shift = 0; shift < 24; shift += 8) {
            const uint32_t v = ((c >> shift) & 0xFF) + add;
            out |= (v > 255 ? 255 : v) << shift;
        }
        return int32_t(out);
    };
    const uint32_t base = uint32_t(Color) & 0xFFFFFF;
    const int32_t c0 = int32_t(base), c1 = lift(base, 6), c2 = lift(base, 15);
    // 1 <= x < W - 4 and 0 <= y < H - 1, as the plotters have always tested.
    WalkLine(x1, y1, x2, y2, 1, TargetWidth - 5, 0, TargetHeight - 2, Target, TargetWidth,
             [c0, c1, c2](int32_t *p) {
                 p[-1] = c0;
                 p[0] = c1;
                 p[1] = c2;
                 p[2] = c1;
                 p[3] = c0;
             });
}
