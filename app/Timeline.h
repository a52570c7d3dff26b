// The demo script as data: the 41 timeline steps (scene, sub-state, end
// position) that HandleDemo plays against the music, and the small pieces of
// sequencer logic the steps share (the random water drops).
#pragma once

constexpr int kTimelineSteps = 41;
// A step's SubState when it leaves DemoSubState1 as it was.
constexpr long kKeepSubState = -1000;

struct TimelineStep {
    long State;      // DemoState for the step
    long SubState;   // DemoSubState1 at its start, or kKeepSubState
    long EndPos;     // music position (order * 100 + row) that ends it
};

extern const TimelineStep TimelineScript[kTimelineSteps];

// Music position as read at the last paced frame (order * 100 + row).
extern long MusicTime;
// Drop divisor of step 14: the chance of a drop a frame is 16 in D.
extern long DropDivisor;

// One frame's chance of a random drop: r = rand() mod D; when r < 16 a drop
// falls and its place is drawn as NextDropPlace does (result 1). Then D
// shrinks by one down to 8.
int NextRandomDrop(long *Divisor, long *x, long *y, long *s);
// A drop's size and place, three draws in this order: s = rand() mod 600,
// y = |rand() mod 150 - 8| + 4, x = |rand() mod 100 - 8| + 4.
void NextDropPlace(long *x, long *y, long *s);
