// The 3D object effect: a rotating mesh (the dolphin or the man) drawn by
// the renderer and lit by three coloured lights. Its angles and translation
// are also driven by the sequencer's scenes.
#pragma once

// Rotation angles in 1/1024 turn; masked into 0..1023 before any table.
extern long Angle3DX, Angle3DY, Angle3DZ;
// Offset added to the working copy after the ripple.
extern long TransX, TransY, TransZ;
