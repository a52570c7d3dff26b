// The demo's soundtrack, Data/Kestrun.it: its shape (orders, rows, speed,
// tempo, where it ends) and the builder that composes it into module bytes.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

constexpr int kMusicRowsPerOrder = 64;
constexpr int kMusicSpeed = 6;
constexpr int kMusicTempo = 125;
// Orders 0 to 53 play in sequence (the demo's last step ends at 53:60); the
// last row of order 53 jumps back to the start, which players take as the
// end of the song.
constexpr int kMusicSongOrders = 54;
// Orders 54 to 63 are a calm loop heard only by jumping there (the test
// picture jumps to order 60); the end of order 63 jumps back to order 54.
constexpr int kMusicLoopStart = 54;
constexpr int kMusicOrders = 64;

// The demo's timeline as the soundtrack plays it: where each of its 41 steps
// ends (order * 100 + row, as the timeline writes it) and the energy the
// music gives it, 1 (still) to 5 (the climax). The score's levels, drums and
// layers follow this table.
constexpr int kMusicSteps = 41;
struct MusicStep {
    int end;
    int energy;
};
extern const MusicStep kMusicPlan[kMusicSteps];

// Global row (order * 64 + row) of a position written order * 100 + row.
constexpr int MusicRowOf(int position) { return position / 100 * kMusicRowsPerOrder + position % 100; }
// Seconds from the start of the song to a global row (rows last 2.5 * speed / tempo s).
constexpr double MusicSeconds(int globalRow) { return globalRow * 2.5 * kMusicSpeed / kMusicTempo; }

// The chords of an order, one a bar ("Dm Bb F C"); empty outside the song.
const char *MusicHarmony(int order);

// Composes the soundtrack and serialises it. False, with the reason in
// `error`, only if the module breaks a limit of the format.
bool BuildSoundtrack(std::vector<uint8_t> &out, std::string &error);
