// The score the soundtrack is written into: one grid of cells over the whole
// song (global row = order * 64 + row), chords, and the placing helpers that
// the arrangement uses. Cut into one pattern per order at the end.
#pragma once

#include "ItWriter.h"

#include <cstdint>
#include <string>
#include <vector>

enum MusicChannel : int {
    kChKick,
    kChSnare,
    kChHat,
    kChPerc,
    kChCrash,
    kChFx,
    kChBass,
    kChPad1,
    kChPad2,
    kChPad3,
    kChKeys1,
    kChKeys2,
    kChKeys3,
    kChLead,
    kChEcho,
    kChArp,
    kChBell,
    kChCount
};

// A triad: root pitch class (0 = C) and quality.
struct Chord {
    int root = 2;
    bool minor = true;
    int Tone(int i) const { return root + (i == 0 ? 0 : i == 1 ? (minor ? 3 : 4) : 7); }
};

struct Score {
    int rows = 0;
    std::vector<ItCell> cells; // rows * kChCount
    std::vector<Chord> bars;   // the chord of each 16-row bar

    void Resize(int orders);
    ItCell &At(int g, int ch) { return cells[size_t(g) * kChCount + size_t(ch)]; }
    // Puts a note (replacing whatever was in the cell).
    void Note(int ch, int g, int note, int instrument, int volume);
    // Puts a note-off at g unless the cell already holds a note.
    void Off(int ch, int g);
    // Puts an effect in the cell's effect column.
    void Effect(int ch, int g, uint8_t command, uint8_t param);
    const Chord &ChordAt(int g) const { return bars[size_t(g / 16)]; }
};

// Parses "Dm Bb F C" (one chord a bar) into four chords. Unknown names read as D minor.
std::vector<Chord> ParseChords(const char *text);

// Parses a melody line "A-5:6 G-5:2 r:4 ..." (tracker note names, lengths in
// rows) and places it from global row g on channel ch; a copy delayed by
// `echoDelay` rows at `echoVolume` goes to channel `echoCh` when echoCh >= 0.
// Returns the row after the last note.
int PlaceMelody(Score &s, int ch, int g, const char *line, int instrument, int volume, int transpose,
                int echoCh = -1, int echoDelay = 3, int echoVolume = 0);

// Cuts the score into one pattern per order, sharing identical patterns.
void ScoreToModule(const Score &s, ItModule &m);
