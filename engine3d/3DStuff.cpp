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
