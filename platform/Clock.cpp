// The millisecond clock: the steady clock since start-up for the SDL
// backend, a virtual clock for the headless one, which moves only when the
// program waits for its next frame (and then carries the music along).
#include "PlatformInternal.h"

#include <atomic>
#include <chrono>
#include <thread>

namespace {

const std::chrono::steady_clock::time_point gStart = std::chrono::steady_clock::now();
// Starts above 0: the pacing treats a last-frame time of 0 as "no frame yet".
std::atomic<uint32_t> gVirtualMs{1000};
PlatClockHook gClockHook = nullptr;
void *gClockUser = nullptr;

} // namespace

double RealMilliseconds()
{
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - gStart).count();
}

void VirtualClockSet(uint32_t ms)
{
    gVirtualMs.store(ms);
}

uint32_t PlatVirtualTime()
{
    return gVirtualMs.load();
}

void PlatSetClockHook(PlatClockHook hook, void *user)
{
    gClockHook = hook;
    gClockUser = user;
}

uint32_t timeGetTime()
{
    if (gPlatBackend == PLAT_HEADLESS)
        return gVirtualMs.load();
    return static_cast<uint32_t>(static_cast<uint64_t>(RealMilliseconds()));
}

unsigned timeBeginPeriod(unsigned)
{
    return 0; // the steady clock is always fine-grained
}

unsigned timeEndPeriod(unsigned)
{
    return 0;
}

long ClockMilliseconds()
{
    return static_cast<long>(timeGetTime());
}

void WaitForClock(uint32_t due)
{
    if (gPlatBackend == PLAT_HEADLESS) {
        // Always move on by at least a millisecond, so a caller that asks for
        // a time already reached cannot loop for ever.
        const uint32_t now = gVirtualMs.load();
        const uint32_t next = static_cast<int32_t>(due - now) > 0 ? due : now + 1;
        MusicAdvanceTo(next);
        gVirtualMs.store(next);
        if (gClockHook)
            gClockHook(now, next, gClockUser);
        return;
    }
    // Sleep until about a millisecond before the frame is due; the caller
    // polls the rest, so the frame times stay those of a busy loop.
    const double left = static_cast<double>(static_cast<int32_t>(due - timeGetTime())) - 1.0;
    if (left > 0)
        std::this_thread::sleep_for(std::chrono::duration<double, std::milli>(left));
}
