// Display modes: the table of low-resolution modes tried at start-up and the
// calls that switch to one of them and back (through the platform's mode
// list; where none is offered, a virtual screen of the size asked for).
#pragma once

struct TVideoMode {
    long Width, Height, BPP;
};
extern const TVideoMode VideoModes[8];

int SetMCGA(long Width, long Height, long BPP);
int GetDevMode(int XRes, int YRes, int BPP);
int SetDevMode(unsigned nNewMode);
void SetDefaultMode();
// Start-up: the command line's mode, else the first row of VideoModes the
// display offers, else a virtual screen of the asked-for (or first) size.
void ChooseDisplayMode(long UserWidth, long UserHeight, long UserBPP);
