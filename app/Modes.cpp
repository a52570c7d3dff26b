// Display modes: the low-resolution mode table, SetMCGA and its helpers on
// the platform's mode list, and the virtual screen used where the display
// offers no such mode. (The original also listed each mode in the registry;
// nothing here needs that.)
#include "Modes.h"

#include "Platform.h"

const TVideoMode VideoModes[8] = {
    {400, 300, 32}, {400, 300, 24}, {400, 300, 16}, {512, 384, 24},
    {512, 384, 16}, {640, 480, 24}, {640, 480, 16}, {0, 0, 0},
};

int GetDevMode(int XRes, int YRes, int BPP)
{
    PlatDisplayMode m;
    for (int i = 0; PlatEnumDisplayMode(i, &m); i++)
        if (m.BPP == BPP && m.Width == XRes && m.Height == YRes)
            return i;
    return -1;
}

int SetDevMode(unsigned nNewMode)
{
    PlatDisplayMode m;
    if (nNewMode > 0x7FFFFFFFu || !PlatEnumDisplayMode(static_cast<int>(nNewMode), &m))
        return 0;
    if (!PlatChangeDisplayMode(&m, true))
        return 0;
    return PlatChangeDisplayMode(&m, false) ? 1 : 0;
}

int SetMCGA(long Width, long Height, long BPP)
{
    if (BPP == 0)
        return 0;
    const int i = GetDevMode(static_cast<int>(Width), static_cast<int>(Height), static_cast<int>(BPP));
    if (i == -1)
        return 0;
    SetDevMode(static_cast<unsigned>(i));
    return 1;
}

void SetDefaultMode()
{
    PlatChangeDisplayMode(nullptr, false);
}

void ChooseDisplayMode(long UserWidth, long UserHeight, long UserBPP)
{
    if (SetMCGA(UserWidth, UserHeight, UserBPP))
        return;
    for (int row = 0; VideoModes[row].BPP != 0; row++)
        if (SetMCGA(VideoModes[row].Width, VideoModes[row].Height, VideoModes[row].BPP))
            return;
    // Today's displays rarely offer these modes, and a 400 x 300 picture in
    // the middle of a large screen is a stamp: emulate the mode instead.
    if (UserBPP != 0 && UserWidth > 0 && UserHeight > 0)
        PlatEmulateDisplayMode(UserWidth, UserHeight);
    else
        PlatEmulateDisplayMode(VideoModes[0].Width, VideoModes[0].Height);
}
