// Spin: six additive pinwheels bouncing around the page, and the zoom and
// rotation offsets that steer the feedback effect's trails.
// Owns the pinwheels, their sine tables and the feedback wander state.
#include "Spin.h"

#include "Feedback.h"
#include "General.h"
#include "Random.h"

#include <atomic>
#include <cmath>
#include <cstdlib>

namespace {

constexpr int kTableSize = 256;
constexpr long kFeedbackSteps = 5760;   // steps of the shared sine table per turn
constexpr int32_t kBound = 200;
constexpr int32_t kMaxShrink = 255;

// Messages arrive on the window thread and are applied on the render thread,
// so the pinwheel and feedback state has a single writer. One producer, one
// consumer; a full queue drops the newest message.
struct QueuedMessage {
    unsigned Message;
    WPARAM wParam;
};
constexpr uint32_t kQueueSize = 64;
QueuedMessage Queue[kQueueSize];
std::atomic<uint32_t> QueueHead{0};   // next to read (consumer)
std::atomic<uint32_t> QueueTail{0};   // next to write (producer)

int32_t ClampShrink(long size)
{
    return int32_t(size < 0 ? 0 : size > kMaxShrink ? kMaxShrink : size);
}

void NewColor(tdefSpiral &s)
{
    if (bPlainColor) {
        s.r = 0;
        s.g = 0;
        s.b = (Rand15() & 127) + 127;
    } else {
        s.r = Rand15() & 255;
        s.g = Rand15() & 255;
        s.b = Rand15() & 255;
    }
}

// One axis of a pinwheel's motion: truncated step, bounce at +-200 with a new
// colour. The sum is limited first so that a huge frame time cannot overflow
// the conversion; inside that limit the result is the plain truncated sum.
void MoveAxis(int32_t &pos, int32_t &vel, float F, tdefSpiral &s)
{
    float next = float(pos) + float(vel) * F;
    if (next > 1.0e6f)
        next = 1.0e6f;
    if (next < -1.0e6f)
        next = -1.0e6f;
    pos = int32_t(next);
    if (pos > kBound) {
        pos = kBound;
        vel = -vel;
        NewColor(s);
    } else if (pos < -kBound) {
        pos = -kBound;
        vel = -vel;
        NewColor(s);
    }
}

void ApplyMessage(unsigned uMessage, WPARAM wParam)
{
    if (uMessage == kSpinSizeMessage) {
        SetSpinSize(long(wParam > WPARAM(kMaxShrink) ? kMaxShrink : wParam));
        return;
    }
    if (uMessage != WM_KEYDOWN)
        return;
    switch (wParam) {
    case '9':
        FeedBackAngle = -FeedBackAngle;
        if (FeedBackAngle < 0)
            FeedBackAngle += kFeedbackSteps;
        ComputeSpinOffsets();
        break;
    case VK_MULTIPLY: // keypad "*"
        Radius += 0.01f;
        ComputeSpinOffsets();
        break;
    case VK_DIVIDE: // keypad "/"
        Radius -= 0.01f;
        ComputeSpinOffsets();
        break;
    case VK_ADD:
        FeedBackAngle = (FeedBackAngle + 1) % kFeedbackSteps;
        ComputeSpinOffsets();
        break;
    case VK_SUBTRACT:
        FeedBackAngle = FeedBackAngle <= 0 ? kFeedbackSteps - 1 : FeedBackAngle - 1;
        ComputeSpinOffsets();
        break;
    case VK_F1:
        for (auto &s : Spirals)
            s.Shrink = s.Shrink + 10 > kMaxShrink ? kMaxShrink : s.Shrink + 10;
        break;
    case VK_F2:
        for (auto &s : Spirals)
            s.Shrink = s.Shrink - 10 < 0 ? 0 : s.Shrink - 10;
        break;
    case VK_F3:
        DoSpinRandom = !DoSpinRandom;
        break;
    case VK_F4:
        bPlainColor = !bPlainColor;
        break;
    default:
        break;
    }
}

// Truncation of a sine-scaled coordinate; the values stay small because the
// centre is within +-200 of the page centre and Shrink within 0..255.
int32_t Trunc(float v)
{
    return int32_t(v);
}

} // namespace

tdefSpiral Spirals[kSpiralCount];
float *SpiralSinTable;
float *SpiralCosTable;
int bPlainColor = 0;
int DoSpinRandom = 0;
float AngleFeedBack = 0, AngleChange = 0, AngleAccel = 0.05f;
float Radius = 1.0f, RadiusChange = 0, RadiusAccel = 0.0001f;
long FeedBackAngle = 0;
float GenTempX, GenTempY;

int AllocateSpinMemory()
{
    SpiralSinTable = static_cast<float *>(std::calloc(kTableSize, sizeof(float)));
    SpiralCosTable = static_cast<float *>(std::calloc(kTableSize, sizeof(float)));
    return SpiralSinTable && SpiralCosTable ? 1 : 0;
}

long InitializeSpin()
{
    if (SpiralSinTable && SpiralCosTable) {
        for (int i = 0; i < kTableSize; i++) {
            SpiralSinTable[i] = float(std::sin(i * 0.02454369260617026));
            SpiralCosTable[i] = float(std::cos(i * 0.02454369260617026));
        }
    }
    for (auto &s : Spirals) {
        s.x = 100 - (Rand15() % 200);
        s.dx = 3 - (Rand15() % 6);
        s.y = 100 - (Rand15() % 200);
        s.dy = 3 - (Rand15() % 6);
        s.Angle = 0;
        s.DAngle = (Rand15() & 1) + 1;
        s.r = Rand15() & 255;
        s.g = Rand15() & 255;
        s.b = Rand15() & 255;
        s.Shrink = 0;
    }
    return 1;
}

void ComputeSpinOffsets()
{
    float fx = Radius * -200.0f;
    float fy = Radius * -154.0f;
    float c = 1.0f, s = 0.0f;
    long step = FeedBackAngle % kFeedbackSteps;
    if (step < 0)
        step += kFeedbackSteps;
    if (GeneralSinTable && GeneralCosTable) {
        c = GeneralCosTable[step];
        s = GeneralSinTable[step];
    }
    GenTempX = fx * c - fy * s;
    GenTempY = fy * c + fx * s;
    // SetOffsets keeps the offsets in a range the quad rasterizer can walk;
    // limiting here first keeps the conversion defined for any Radius.
    double ox = std::floor(double(GenTempX) + 200.0);
    double oy = std::floor(double(GenTempY) + 154.0);
    ox = ox > 1.0e6 ? 1.0e6 : ox < -1.0e6 ? -1.0e6 : ox;
    oy = oy > 1.0e6 ? 1.0e6 : oy < -1.0e6 ? -1.0e6 : oy;
    SetOffsets(long(ox), long(oy));
}

void SetSpinSize(long size)
{
    int32_t shrink = ClampShrink(size);
    for (auto &s : Spirals)
        s.Shrink = shrink;
}

void SetSpiralColor(long n)
{
    if (n >= 0 && n < kSpiralCount)
        NewColor(Spirals[n]);
}

void HandleSpinMessage(HWND, unsigned uMessage, WPARAM wParam, LPARAM)
{
    if (uMessage != WM_KEYDOWN && uMessage != kSpinSizeMessage)
        return;
    uint32_t tail = QueueTail.load(std::memory_order_relaxed);
    uint32_t head = QueueHead.load(std::memory_order_acquire);
    if (tail - head >= kQueueSize)
        return;
    Queue[tail % kQueueSize] = QueuedMessage{uMessage, wParam};
    QueueTail.store(tail + 1, std::memory_order_release);
}

void ApplySpinMessages()
{
    uint32_t head = QueueHead.load(std::memory_order_relaxed);
    uint32_t tail = QueueTail.load(std::memory_order_acquire);
    while (head != tail) {
        QueuedMessage m = Queue[head % kQueueSize];
        QueueHead.store(++head, std::memory_order_release);
        ApplyMessage(m.Message, m.wParam);
    }
}

void DoSpinEffect(HWND, HDC, float FramesMissed, defZENTRIXPAGE *EffectGFXPage)
{
    ApplySpinMessages();
    const float F = FramesMissed;

    if (DoSpinRandom) {
        AngleChange += AngleAccel;
        AngleFeedBack += AngleChange;
        if (Rand15() % 20 == 0)
            AngleAccel = -AngleAccel;

        RadiusChange += RadiusAccel;
        RadiusChange = RadiusChange > 1.0f ? 1.0f : RadiusChange < -1.0f ? -1.0f : RadiusChange;
        Radius += RadiusChange;
        if (Radius > 1.3f) {
            Radius = 1.3f;
            RadiusChange = -RadiusChange;
        }
        if (Radius < 0.7f) {
            Radius = 0.7f;
            RadiusChange = -RadiusChange;
        }
        if (Rand15() % 7 == 0)
            RadiusAccel = -RadiusAccel;

        // The angle is reduced in floating point, so that however far it has
        // wandered the conversion to an integer step stays defined.
        double step = std::fmod(std::floor(double(AngleFeedBack) + 0.5), double(kFeedbackSteps));
        if (step < 0)
            step += kFeedbackSteps;
        FeedBackAngle = long(step) % kFeedbackSteps;
        ComputeSpinOffsets();
    }

    if (!SpiralSinTable || !SpiralCosTable)
        return;
    for (auto &s : Spirals) {
        // The angle is used modulo 256; keeping it there changes no pixel
        // and keeps it from overflowing over a long run.
        double angle = std::fmod(double(s.Angle) + double(s.DAngle) * F, double(kTableSize));
        s.Angle = int32_t(angle) & (kTableSize - 1);
        MoveAxis(s.x, s.dx, F, s);
        MoveAxis(s.y, s.dy, F, s);

        if (!EffectGFXPage)
            continue;
        const int32_t cx = s.x + 200, cy = s.y + 154;
        const int32_t S = s.Shrink, R = S / 2;
        const int32_t kr = (s.r * S) >> 8, kg = (s.g * S) >> 8, kb = (s.b * S) >> 8;
        for (int k = 0; k < kTableSize; k += 16) {
            const int a1 = (s.Angle + k) & 255;
            const int a2 = (s.Angle + k + 16) & 255;
            ShadeTriLight(cx, cy, 0, 0, 0,
                          Trunc(cx + SpiralSinTable[a1] * S), Trunc(cy + SpiralCosTable[a1] * S), 0, 0, 0,
                          Trunc(cx + SpiralSinTable[a2] * R), Trunc(cy + SpiralCosTable[a2] * R), kr, kg, kb,
                          EffectGFXPage);
        }
    }
}

long FreeSpinMemory()
{
    std::free(SpiralSinTable);
    SpiralSinTable = nullptr;
    std::free(SpiralCosTable);
    SpiralCosTable = nullptr;
    return 1;
}
