// The 3D object effect's state.
#include "3DStuff.h"

long Angle3DX = 0, Angle3DY = 512, Angle3DZ = 0;
long TransX = 0, TransY = 0, TransZ = 0;

Object3D *obj3D = nullptr, *obj3DTemp = nullptr;
Texture3D FlipperTexture = {nullptr, kFlipperWidth, kFlipperHeight};
defZENTRIXPAGE *MetalTexture = nullptr;

std::atomic<int> RotateLights{0};
std::atomic<long> Changing{0};
std::atomic<long> TargetType{0};
std::atomic<long> GlassOfs{0};
std::atomic<long> TextureTrans{0};

// ---- The effect module --------------------------------------------------
// What the viewer sees: the dolphin or the man turning, rippling and moving
// under three coloured lights in the face type the sequencer or the menu
// chose. Owns the two meshes, their working copies, the object texture's
// pixels and the metal types' environment page.

#include "CommonStuff.h"
#include "Gen32.h"
#include "General.h"
#include "Platform.h"

#include <cmath>
#include <cstdlib>

Object3D objDolphin{}, objMan{}, objDolphinTemp{}, objManTemp{};

std::atomic<int> Ripple{0};
long RippleAngle = 0;
float RippleMagnitude = 0.0f;
std::atomic<long> CurrentFace{0};

long ObjectType = 0;
int Lighted = 1, Smoothed = 1, Textured = 0;
std::atomic<long> CurrentX{0}, CurrentY{0};
POINT DropPt{0, 0};

namespace {

// A change sweeps 1/32 of the faces a frame.
constexpr long kChangeParts = 32;
// Light steps per frame in units of the general tables (5760 a turn).
constexpr int kRedStep = 50, kGreenStep = 40, kBlueStep = 70;

// Angles the window thread received (messages 45007 and 45008), already
// masked into one turn; -1 when none is waiting. The next frame takes them,
// so that only the render thread writes Angle3DX and Angle3DY.
std::atomic<long> PendingAngleX{-1}, PendingAngleY{-1};

// The same three-step turn as Rotate3D, for a light vector, all three angles
// equal: first the x-z plane, then x-y, then z-y.
void TurnVector(double &x, double &y, double &z, double s, double c)
{
    const double x1 = x * c - z * s;
    const double z1 = x * s + z * c;
    const double y1 = x1 * s + y * c;
    const double x2 = x1 * c - y * s;
    const double z2 = z1 * c - y1 * s;
    const double y2 = z1 * s + y1 * c;
    x = x2;
    y = y2;
    z = z2;
}

// A mesh from a file and a working copy of the same counts. When the copy
// can't be had, the mesh is emptied too, so that no frame copies into it.
void ImportMesh(const char *FileName, Object3D *Mesh, Object3D *Work)
{
    Import3D(FileName, Mesh);
    if (!AllocateObject3D(Mesh->NumPoints, Mesh->NumFaces, Work))
        FreeObject3D(Mesh);
}

void Toggle(int &flag) { flag = flag ? 0 : 1; }

} // namespace

long TargetTypeFromMenu(long Type, int Light, int Smooth, int Texture)
{
    switch (Type) {
    case 0:
        if (!Texture)
            return Smooth ? kFaceShaded : kFaceFlat;
        return Light ? kFaceTextureLit : kFaceTextureRank;
    case 1:
        if (!Smooth)
            return Light ? kFaceCrystalLit : kFaceCrystal;
        if (!Texture)
            return Light ? kFaceCrystalSmoothLit : kFaceCrystalSmooth;
        return kFaceCrystalTexture;
    case 2:
        if (!Texture)
            return Light ? kFaceMetalLit : kFaceMetal;
        return Light ? kFaceMetalLit : kFaceMetalTexture;
    default:
        return kFaceWireAA;
    }
}

int Allocate3DMemory()
{
    FlipperTexture.Width = kFlipperWidth;
    FlipperTexture.Height = kFlipperHeight;
    FlipperTexture.Pixels = static_cast<uint32_t *>(std::calloc(size_t(kFlipperWidth) * kFlipperHeight, 4));

    MetalTexture = new defZENTRIXPAGE{};
    if (CreateGFXPage(MetalTexture, 256, 256, 32))
        LoadPCX24("Data\\MetalTexture.pcx", static_cast<uint32_t *>(MetalTexture->pPageData), 256u * 256u);

    if (!FlipperTexture.Pixels)
        return 0;

    // A missing or broken file leaves an empty mesh, which draws nothing.
    ImportMesh("Data\\objDolphin.3DS", &objDolphin, &objDolphinTemp);
    ImportMesh("Data\\objMan.3DS", &objMan, &objManTemp);
    SelectObject3D(&objDolphin, &objDolphinTemp);
    return 1;
}

long Initialize3D()
{
    FillAngleTables3D();
    LoadPCX24("Data\\Flipper.pcx", FlipperTexture.Pixels, uint32_t(kFlipperWidth * kFlipperHeight));
    return 1;
}

long Free3DMemory()
{
    // Every pointer is cleared as it is released: a second call finds
    // nothing to free.
    if (MetalTexture) {
        DeleteGFXPage(MetalTexture);
        delete MetalTexture;
        MetalTexture = nullptr;
    }
    FreeUp(FlipperTexture.Pixels);
    FlipperTexture.Pixels = nullptr;
    FreeObject3D(&objDolphin);
    FreeObject3D(&objDolphinTemp);
    FreeObject3D(&objMan);
    FreeObject3D(&objManTemp);
    return 1;
}

void StepFaceTypeChange(Object3D *TheObject)
{
    const long n = TheObject->NumFaces;
    if (!Changing.load(std::memory_order_relaxed) || n < kChangeParts || !TheObject->Face)
        return;
    for (long k = n / kChangeParts; k > 0; k--) {
        const long face = CurrentFace.load(std::memory_order_relaxed);
        if (face >= 0 && face < n) {
            TheObject->Face[face].FaceType = int32_t(TargetType.load(std::memory_order_relaxed));
            CurrentFace.store(face + 1, std::memory_order_relaxed);
            continue;
        }
        // A pass is complete: the wire frame fades 27 -> 26 -> 25.
        const long type = TargetType.load(std::memory_order_relaxed);
        if (type == kFaceWireBright)
            TargetType.store(kFaceWireDark, std::memory_order_relaxed);
        else if (type == kFaceWireDim)
            TargetType.store(kFaceWireBright, std::memory_order_relaxed);
        else
            Changing.store(0, std::memory_order_relaxed);
        CurrentFace.store(0, std::memory_order_relaxed);
    }
}

void TurnLights()
{
    if (!GeneralSinTable || !GeneralCosTable)
        return;
    const struct {
        double *x, *y, *z;
        int step;
    } lights[3] = {{&XLR, &YLR, &ZLR, kRedStep}, {&XLG, &YLG, &ZLG, kGreenStep}, {&XLB, &YLB, &ZLB, kBlueStep}};
    for (const auto &l : lights)
        TurnVector(*l.x, *l.y, *l.z, GeneralSinTable[l.step], GeneralCosTable[l.step]);
}

void Do3DEffect(HWND, HDC, float FramesMissed, defZENTRIXPAGE *EffectGFXPage)
{
    Object3D *obj = obj3D, *work = obj3DTemp;
    if (!obj || !work)
        return;
    const long ax = PendingAngleX.exchange(-1, std::memory_order_relaxed);
    if (ax >= 0)
        Angle3DX = ax;
    const long ay = PendingAngleY.exchange(-1, std::memory_order_relaxed);
    if (ay >= 0)
        Angle3DY = ay;

    StepFaceTypeChange(obj);
    Copy3D(work, obj);
    if (Ripple.load(std::memory_order_relaxed)) {
        Ripple3D(RippleAngle, RippleMagnitude, work);
        // The ripple uses its phase modulo one turn: keeping it there changes
        // nothing on screen and the sum never grows without bound.
        RippleAngle = long(double(RippleAngle) + 20.0 * double(FramesMissed)) & (kAngles3D - 1);
    }
    Translate3D(TransX, TransY, TransZ, work);
    if (RotateLights.load(std::memory_order_relaxed))
        TurnLights();
    if (_MouseDown.load(std::memory_order_relaxed)) {
        GetCursorPos(&DropPt);
        Rotate3D(Angle3DX, Angle3DY, Angle3DZ, work);
        Rotate3D((CurrentX.load(std::memory_order_relaxed) - DropPt.x) & (kAngles3D - 1),
                 (CurrentY.load(std::memory_order_relaxed) - DropPt.y) & (kAngles3D - 1), 0, work);
    } else {
        Angle3DX &= kAngles3D - 1;
        Rotate3D(Angle3DX, Angle3DY, Angle3DZ, work);
    }
    zSort(work);
    Draw3D(work, EffectGFXPage);
}

void Handle3DMessage(HWND, unsigned uMessage, WPARAM wParam, LPARAM)
{
    auto startChange = [](long type) {
        TargetType.store(type, std::memory_order_relaxed);
        Changing.store(1, std::memory_order_relaxed);
        CurrentFace.store(0, std::memory_order_relaxed);
    };
    switch (uMessage) {
    case WM_COMMAND:
        // The window has no menu, so there are no check marks to update.
        switch (wParam) {
        case IDM_3D_LIGHTS:
            Toggle(Lighted);
            Changing.store(1, std::memory_order_relaxed);
            break;
        case IDM_3D_TEXTURED:
            Toggle(Textured);
            Changing.store(1, std::memory_order_relaxed);
            break;
        case IDM_3D_SMOOTHED:
            Toggle(Smoothed);
            Changing.store(1, std::memory_order_relaxed);
            break;
        case IDM_3D_PLAIN:
        case IDM_3D_CRYSTAL:
        case IDM_3D_METAL:
        case IDM_3D_LINES:
            ObjectType = long(wParam - IDM_3D_PLAIN);
            Changing.store(1, std::memory_order_relaxed);
            break;
        default:
            break;
        }
        if (Changing.load(std::memory_order_relaxed)) {
            TargetType.store(TargetTypeFromMenu(ObjectType, Lighted, Smoothed, Textured), std::memory_order_relaxed);
            CurrentFace.store(0, std::memory_order_relaxed);
        }
        break;
    case WM_KEYDOWN:
        switch (wParam) {
        case '1':
            if (GlassOfs.load(std::memory_order_relaxed) < 128)
                GlassOfs.fetch_add(1, std::memory_order_relaxed);
            break;
        case '2':
            if (GlassOfs.load(std::memory_order_relaxed) >= 1)
                GlassOfs.fetch_sub(1, std::memory_order_relaxed);
            break;
        case '3':
            if (TextureTrans.load(std::memory_order_relaxed) < 64)
                TextureTrans.fetch_add(1, std::memory_order_relaxed);
            break;
        case '4':
            if (TextureTrans.load(std::memory_order_relaxed) >= 1)
                TextureTrans.fetch_sub(1, std::memory_order_relaxed);
            break;
        case VK_F1:
            startChange((TargetType.load(std::memory_order_relaxed) + 1) & 15);
            break;
        case VK_F2:
            startChange(kFaceMetal);
            break;
        case VK_F3:
            startChange(kFaceMetalTexture);
            break;
        case VK_F4:
            Ripple.store(Ripple.load(std::memory_order_relaxed) ? 0 : 1, std::memory_order_relaxed);
            break;
        case VK_F5:
            RotateLights.store(RotateLights.load(std::memory_order_relaxed) ? 0 : 1, std::memory_order_relaxed);
            break;
        default:
            break;
        }
        break;
    case WM_LBUTTONDOWN: {
        POINT at{0, 0};
        GetCursorPos(&at);
        CurrentX.store(at.x, std::memory_order_relaxed);
        CurrentY.store(at.y, std::memory_order_relaxed);
        break;
    }
    case WM_3D_ANGLEX:
        PendingAngleX.store(long(wParam & (kAngles3D - 1)), std::memory_order_relaxed);
        break;
    case WM_3D_ANGLEY:
        PendingAngleY.store(long(wParam & (kAngles3D - 1)), std::memory_order_relaxed);
        break;
    default:
        break;
    }
}
