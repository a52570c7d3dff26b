// The 3D object effect's state.
#include "3DStuff.h"

long Angle3DX = 0, Angle3DY = 512, Angle3DZ = 0;
long TransX = 0, TransY = 0, TransZ = 0;
