// Helix: 1000 glowing sprites added to the page, each flying from where it
// is toward its place on a turning helix, or on a mesh's vertices when the
// sequencer asks. Owns the point array and the 10 x 10 glow sprite.
#include "Helix.h"

#include "CommonStuff.h"
#include "General.h"
#include "Random.h"

#include <cmath>
#include <cstdlib>

TDHelixPoint *HelixPoints = nullptr;
long HelixAngle = 0;
defZENTRIXSPRITE HelixSprite{};

namespace {

constexpr long kTurn = kGeneralTurn;   // 5760 table steps a turn
constexpr int kSpriteSize = 10;
// Six turns over the 1000 points: i x 0.006 turns, in radians.
constexpr double kHelixTwist = 0.03769911184307752;
// Points at or behind this depth are not drawn.
constexpr float kNearest = -300.0f;
// Projected positions further out than this are off any page: they are
// dropped before the conversion to an integer.
constexpr float kFarOff = 1.0e6f;

} // namespace

int AllocateHelixMemory()
{
    HelixPoints = static_cast<TDHelixPoint *>(std::calloc(kHelixPoints, sizeof(TDHelixPoint)));
    return HelixPoints != nullptr;
}

int InitializeHelix(defZENTRIXPAGE * /*EffectGFXPage*/)
{
    // A second initialisation loads the sprite afresh instead of leaking it.
    FreeSprite32(&HelixSprite);
    HelixSprite.BPP = 32;
    LoadSprite32("Data\\Sprite.raw", kSpriteSize, kSpriteSize, &HelixSprite);
    if (!HelixPoints)
        return 0;
    for (int i = 0; i < kHelixPoints; i++) {
        TDHelixPoint &p = HelixPoints[i];
        // Scattered over -300..300 on each axis (drawn in the order x, y, z).
        p.x = float(300 - Rand15() % 601);
        p.y = float(300 - Rand15() % 601);
        p.z = float(300 - Rand15() % 601);
        const double a = i * kHelixTwist;
        p.tx = float(20.0 * std::sin(a));
        p.tz = float(20.0 * std::cos(a));
        p.ty = float(i / 4 - 125);
        p.tempx = p.tx;
        p.tempy = p.ty;
        p.tempz = p.tz;
        p.StepNum = 0;
    }
    return 1;
}

int FreeHelixMemory()
{
    FreeSprite32(&HelixSprite);
    FreeUp(HelixPoints);
    HelixPoints = nullptr;
    return 1;
}

void DoHelixEffect(HWND /*hWnd*/, HDC /*hDrawWindowDC*/, long FramesMissed, defZENTRIXPAGE *EffectGFXPage)
{
    const float f = float(FramesMissed);
    RotateHelixPoints(f);
    MoveHelixPoints(f);
    DrawHelixPoints(EffectGFXPage);
}

void ResetHelixPoints()
{
    if (!HelixPoints)
        return;
    for (int i = 0; i < kHelixPoints; i++)
        HelixPoints[i].StepNum = 0;
}

void InitPointsFrom3D(Object3D *TheObject)
{
    if (!HelixPoints || !TheObject || !TheObject->Points || TheObject->NumPoints <= 0)
        return;
    const long n = TheObject->NumPoints < kHelixPoints ? TheObject->NumPoints : kHelixPoints;
    for (long i = 0; i < n; i++) {
        HelixPoints[i].tx = TheObject->Points[i].x;
        HelixPoints[i].ty = TheObject->Points[i].y;
        HelixPoints[i].tz = TheObject->Points[i].z;
    }
}

void RotateHelixPoints(float f)
{
    // 56.25 steps a frame, rounded. Whole turns are taken off in floating
    // point, so that no frame time, however long, overflows the conversion.
    double step = std::floor(0.5 + 56.25 * double(f));
    step = std::isfinite(step) ? std::fmod(step, double(kTurn)) : 0.0;
    HelixAngle = (long(step) + HelixAngle) % kTurn;
    if (HelixAngle < 0)
        HelixAngle += kTurn;
    if (!HelixPoints || !GeneralSinTable)
        return;
    // The turn about the vertical axis: the three-step rotation with only
    // its first angle.
    const float c = GeneralCosTable[HelixAngle], s = GeneralSinTable[HelixAngle];
    for (int i = 0; i < kHelixPoints; i++) {
        TDHelixPoint &p = HelixPoints[i];
        p.tempx = c * p.tx - s * p.tz;
        p.tempz = s * p.tx + c * p.tz;
        p.tempy = p.ty;
    }
}

void MoveHelixPoints(float f)
{
    if (!HelixPoints)
        return;
    // Frames of progress, rounded; a flight is 1200 steps, so a longer frame
    // counts as 1200 (which also keeps the count far from overflowing).
    const double rounded = std::floor(double(f) + 0.5);
    const int32_t step = rounded >= kHelixFlightSteps ? kHelixFlightSteps : rounded > 0 ? int32_t(rounded) : 0;
    for (int i = 0; i < kHelixPoints; i++) {
        TDHelixPoint &p = HelixPoints[i];
        if (p.StepNum < kHelixFlightSteps) {
            // The fraction of the remaining way grows every frame: slow to
            // start, closing in faster.
            p.StepNum += step;
            const float k = float(p.StepNum) * (1.0f / 1200.0f);
            p.x += (p.tempx - p.x) * k;
            p.y += (p.tempy - p.y) * k;
            p.z += (p.tempz - p.z) * k;
        } else {
            p.x = p.tempx;
            p.y = p.tempy;
            p.z = p.tempz;
        }
    }
}

void DrawHelixPoints(defZENTRIXPAGE *EffectGFXPage)
{
    if (!HelixPoints || !EffectGFXPage)
        return;
    const long W = EffectGFXPage->Width, H = EffectGFXPage->Height;
    // A parallel projection at scale 4: the renderer's scale at depth 0.
    const float cx = float(W >> 1), cy = float(H >> 1);
    for (int i = 0; i < kHelixPoints; i++) {
        const TDHelixPoint &p = HelixPoints[i];
        if (!(p.z > kNearest))
            continue;
        const float fx = std::floor(cx + 4.0f * p.x + 0.5f), fy = std::floor(cy + 4.0f * p.y + 0.5f);
        if (!(std::fabs(fx) < kFarOff && std::fabs(fy) < kFarOff))
            continue;
        const long sx = long(fx), sy = long(fy);
        if (sx > -5 && sx < W + 5 && sy > -5 && sy < H + 5)
            AddPut32(EffectGFXPage, int32_t(sx - 5), int32_t(sy - 5), kSpriteSize, kSpriteSize, &HelixSprite, 0, 0);
    }
}
