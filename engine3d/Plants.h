// Plants: a three-dimensional tree that grows on screen branch by branch,
// turning about its vertical axis, drawn as depth-sorted shaded lines of
// three widths with green leaves.
// Owns the generated segment list (TreeLines) and its per-frame working copy.
#pragma once

#include "WinTypes.h"
#include "zentrix.h"

#include <cstdint>

// One segment: start, end and kind (5 and 4 trunk and main limbs, 3 and 2
// branches, 0 twigs, -1 leaves). x to the right, y down, z into the screen.
struct TagTTree {
    int32_t x1, y1, z1, x2, y2, z2;
    int32_t Color;
};

// The most segments the generator keeps, eight times what the tree needs. A
// generator asked for more stops where the list is full.
constexpr long kMaxTreeLines = 1L << 16;

extern TagTTree *TreeLines;       // generated segments, in generation order
extern long LinesAllocated;       // capacity of TreeLines
extern long TreeLinesUsed;        // segments generated
extern TagTTree *TempBranchList;  // per-frame working copy, TreeLinesUsed entries
extern long TreeBranch;           // segments to draw; set by the sequencer
extern long TreeAngle;            // turn of the tree, 0..5759 (5760 a turn)

int AllocatePlantMemory();
int InitializePlant(defZENTRIXPAGE *EffectGFXPage);
void DoPlantEffect(HWND hWnd, HDC hDrawWindowDC, long FramesMissed, defZENTRIXPAGE *EffectGFXPage);
void FreePlantMemory();
// (Re)allocates the per-frame working copy and drawing order for the
// TreeLinesUsed segments now in the list; 0 when they cannot be had.
int AllocateTreeWorkspace();

// The recursive generator: pushes the segment (x1, y1, z1)-(x2, y2, z2) and
// its branches. Angles in degrees; each branch is the segment's direction
// turned by them and scaled by Scale.
void TransformTree3D(long AngleX, long AngleY, float x1, float y1, float z1, float x2, float y2, float z2,
                     long AngleZ, float Scale, long Color);
// Appends a segment; 0 (and nothing stored) when the list is full.
int PushLine3D(long x1, long y1, long z1, long x2, long y2, long z2, long Color);
// Sorts entries l..r by z2, smallest first.
void QTreeSort(TagTTree *a, long l, long r);
// Draws the first TreeBranch segments (at most TreeLinesUsed), turned by
// Angle (5760 a turn), with the tree's foot at (200, 308).
void DrawTree(defZENTRIXPAGE *EffectGFXPage, long Angle);

// Wide lines written straight into 32-bit pixel memory of TargetWidth x
// TargetHeight; points whose block would leave it are skipped.
// ThickLine32: a 2 x 2 block at each point.
void ThickLine32(long x1, long y1, long x2, long y2, long Color, int32_t *Target, long TargetWidth,
                 long TargetHeight);
// ReallyThickLine32: five pixels from x - 1 to x + 3, brighter in the middle.
void ReallyThickLine32(long x1, long y1, long x2, long y2, long Color, int32_t *Target, long TargetWidth,
                       long TargetHeight);

// Shows the text of the last system error in a message box (a diagnostic aid).
void ReportLastError();
