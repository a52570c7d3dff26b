#include "Random.h"

#include <atomic>

namespace {
// Atomic so that a message handler on the window thread may draw too.
std::atomic<uint32_t> rand15State{1};
}

void SeedRand15(uint32_t seed) { rand15State.store(seed, std::memory_order_relaxed); }

int Rand15()
{
    uint32_t s = rand15State.load(std::memory_order_relaxed) * 214013u + 2531011u;
    rand15State.store(s, std::memory_order_relaxed);
    return static_cast<int>((s >> 16) & 0x7FFF);
}
