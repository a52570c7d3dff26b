// Scripted clock, song and presentation for the sequencer tests.
#include "FakePlatform.h"

namespace fake {

uint32_t Clock = 1000;
long LibClock = 0;
bool WaitJumps = true;
long WaitCalls = 0;
long MsPerRow = 10;
long SongStart = 1000;
std::vector<int> SetOrders;
std::vector<uint32_t> PresentTimes;
std::vector<defZENTRIXPAGE *> PresentPages;
long CloseAfterPresents = 0;
std::function<void(defZENTRIXPAGE *)> OnPresent;

void Reset()
{
    Clock = 1000;
    LibClock = 0;
    WaitJumps = true;
    WaitCalls = 0;
    MsPerRow = 10;
    SongStart = 1000;
    SetOrders.clear();
    PresentTimes.clear();
    PresentPages.clear();
    CloseAfterPresents = 0;
    OnPresent = nullptr;
}

namespace {

long SongRows()
{
    return long(Clock) >= SongStart ? (long(Clock) - SongStart) / MsPerRow : 0;
}

} // namespace
} // namespace fake

uint32_t timeGetTime()
{
    return fake::Clock;
}

long ClockMilliseconds()
{
    return fake::LibClock;
}

void WaitForClock(uint32_t due)
{
    fake::WaitCalls++;
    if (!fake::WaitJumps)
        fake::Clock++;
    else if (due > fake::Clock)
        fake::Clock = due;
}

int FMUSIC_GetOrder(FMUSIC_MODULE *)
{
    return int(fake::SongRows() / 64);
}

int FMUSIC_GetRow(FMUSIC_MODULE *)
{
    return int(fake::SongRows() % 64);
}

int FMUSIC_SetOrder(FMUSIC_MODULE *, int order)
{
    fake::SetOrders.push_back(order);
    fake::SongStart = long(fake::Clock) - order * 64L * fake::MsPerRow;
    return 1;
}

void EffectBlt(HWND, HDC, defZENTRIXPAGE *page)
{
    fake::PresentTimes.push_back(fake::Clock);
    fake::PresentPages.push_back(page);
    if (fake::OnPresent)
        fake::OnPresent(page);
    if (fake::CloseAfterPresents && long(fake::PresentTimes.size()) >= fake::CloseAfterPresents)
        ApplicationFin = 1;
}
