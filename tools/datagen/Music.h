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

// Composes the soundtrack and serialises it. False, with the reason in
// `error`, only if the module breaks a limit of the format.
bool BuildSoundtrack(std::vector<uint8_t> &out, std::string &error);
