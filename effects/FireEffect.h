// Particle fire: swarms of burning particles chase each other's leaders and
// leave flames behind. They are stamped into an 8-bit intensity field that a
// cooling filter smears every frame, shown through a fire palette.
// Owns Points, the field VPage and FirePalette.
#pragma once

#include "WinTypes.h"
#include "zentrix.h"

#include <cstdint>

// One particle; positions and speeds in 1/32 pixel, positions relative to
// the page centre (200, 154).
struct TPoint {
    int32_t x, y;
    int32_t dx, dy;
    int32_t MaxAccel;   // steering acceleration (a swarm's leader only)
    int32_t MaxSpeed;   // speed limit of the steering (leader only)
    int32_t Decay;      // steps of life left; it stamps Decay / 2
};

constexpr int kFireSwarms = 5;
constexpr int kFireSwarmSize = 500;   // particle 0 of each swarm leads it
constexpr int kFirePoints = kFireSwarms * kFireSwarmSize;
constexpr int kFireFieldValues = 400 * 309;   // one spare row below the page
constexpr int kFirePageValues = 400 * 308;
constexpr int kFirePaletteEntries = 1024;     // 0 to 255 are set

extern TPoint *Points;
extern long CurrentPoints;        // swarms in use (5)
extern uint16_t *VPage;           // the intensity field, 400 a row, 0..255
extern uint32_t *FirePalette;     // colour of each intensity, 0x00RRGGBB
extern int bMoveFirstPoint;       // swarm 0's leader jumps about when set

int AllocateFireMemory();
long InitializeFire();
void DoFireEffect(HWND hWnd, HDC hDrawWindowDC, long FramesMissed, defZENTRIXPAGE *EffectGFXPage);
long FreeFireMemory();
// The particle fire has no controls: every message is ignored.
void HandleFireMessage(HWND hWnd, unsigned uMessage, WPARAM wParam, LPARAM lParam);

// One step of swarm g: swarm 0's leader may jump to a random place; the
// particles of the others move or respawn at their leader, which steers
// towards the leader of swarm g - 1.
void MovePoints(long PointNo);
// Stamps swarm g's particles (and their four neighbours) into the field;
// the additions wrap within the low byte.
void DrawPoints(long PointNo, unsigned short *Where);
// One backward pass of the cooling filter over values 122800 down to 801.
void CreateFireEffect(unsigned short *Source);
// The plain loop of the same pass, kept beside the fast one for the test
// that both give the same field.
void CreateFireEffectScalar(unsigned short *Source);
