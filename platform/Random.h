// The one random generator of the program: a 15-bit linear congruential
// generator (seed * 214013 + 2531011, bits 16 to 30: 0 to 32767), the same
// on every host, so that every headless frame is reproducible.
#pragma once

#include <cstdint>

void SeedRand15(uint32_t seed);
int Rand15();   // 0 .. 32767
