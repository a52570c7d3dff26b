// Shared set-up of the scene tests: the program's start-up on a data folder
// against the scripted platform, and the timeline played by HandleDemo from
// a music position for a given number of shown frames.
#pragma once

#include "Gen32.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// The generated data beside the test binary.
std::string GeneratedData();

// Fresh scripted platform, the data folder set, the background pictures and
// the modules' memory made. The random numbers are seeded before the
// modules' start-up (which draws its own: the same maps every run) and, unless
// asked to go on as the program does, again after it, so a scene's randomness
// does not hang on other modules. False if the start-up failed.
bool StartScenes(const std::string &data, bool reseed = true);
// Frees what StartScenes made (if it succeeded) and forgets the data folder.
void StopScenes();

// Plays the script against a song that started order:row before (steps that
// ended earlier only make their settings; step 1 shows one black frame),
// rows msPerRow apart, until `shown` frames after that black one.
void PlayFrom(int order, int row, long msPerRow, long shown);
// One such run until the last of `at` (shown frames after the black one,
// ascending); take(i) is called as the at[i]-th frame is presented, with the
// page and the modules' state as the viewer saw them.
void PlayTaking(int order, int row, long msPerRow, const std::vector<long> &at,
                const std::function<void(size_t)> &take);

inline const uint32_t *PagePixels(const defZENTRIXPAGE &page) { return static_cast<const uint32_t *>(page.pPageData); }
// A pixel's red, green and blue.
inline int R(uint32_t c) { return int(c >> 16 & 255); }
inline int G(uint32_t c) { return int(c >> 8 & 255); }
inline int B(uint32_t c) { return int(c & 255); }

// A copy of a page (the effect page unless another is given) as a viewer saw
// it at the moment it was taken.
struct PageShot {
    std::vector<uint32_t> Pixels;

    explicit PageShot(const defZENTRIXPAGE &page = EffectGFXPage32);
    int Channel(int k, int shift) const { return int(Pixels[size_t(k)] >> shift & 255); }
    int Grey(int k) const { return (Channel(k, 16) + Channel(k, 8) + Channel(k, 0)) / 3; }
    int Grey(int x, int y) const { return Grey(y * 400 + x); }
    // Mean of a channel (16 red, 8 green, 0 blue; -1 the grey level) over a
    // rectangle, the whole page by default.
    double Mean(int x0 = 0, int y0 = 0, int x1 = 400, int y1 = 308, int shift = -1) const;
    // Mean difference of the grey level from another shot's over rows.
    double Difference(const PageShot &o, int y0, int y1) const;
    // Pixels clearly not black.
    long Lit() const;
    // Pixels of a rectangle whose grey level is above `above`.
    long Lit(int x0, int y0, int x1, int y1, int above = 8) const;
};
