// Stand-ins for the platform calls the sequencer makes (clock, pacing wait,
// music position, presentation), linked into the test binary so the
// sequencer runs against a scripted clock and song.
#pragma once

#include "Gen32.h"

#include <cstdint>
#include <functional>
#include <vector>

namespace fake {

extern uint32_t Clock;          // timeGetTime
extern long LibClock;           // ClockMilliseconds
extern bool WaitJumps;          // WaitForClock: jump to due (else 1 ms, as polling would)
extern long WaitCalls;
extern long MsPerRow;           // the song: 64 rows an order, MsPerRow ms a row
extern long SongStart;          // clock value of order 0, row 0
extern std::vector<int> SetOrders;
extern std::vector<uint32_t> PresentTimes;
extern std::vector<defZENTRIXPAGE *> PresentPages;
extern long CloseAfterPresents; // sets ApplicationFin after this many (0: never)
// Called with every presented page, before CloseAfterPresents is looked at.
extern std::function<void(defZENTRIXPAGE *)> OnPresent;

// Back to a clock at 1000 ms, a song starting there, nothing recorded.
void Reset();

} // namespace fake
