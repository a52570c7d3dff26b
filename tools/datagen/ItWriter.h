// Impulse Tracker module records and their serialiser: an instrument-mode
// .it file with 16-bit signed mono samples, volume envelopes and packed
// patterns. Every byte written is defined, so equal modules give equal files.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

constexpr int kItMaxChannels = 64;
constexpr uint8_t kItNoteNone = 253;   // "no note" in a cell (never written)
constexpr uint8_t kItNoteOff = 255;
constexpr uint8_t kItNoteCut = 254;
constexpr uint8_t kItVolNone = 255;    // "no volume column" in a cell

// Effect command numbers (A = 1 ... Z = 26).
enum ItCommand : uint8_t {
    kItCmdNone = 0,
    kItCmdSpeed = 1,         // Axx
    kItCmdJumpOrder = 2,     // Bxx
    kItCmdBreak = 3,         // Cxx
    kItCmdVolSlide = 4,      // Dxy
    kItCmdPortaDown = 5,     // Exx
    kItCmdPortaUp = 6,       // Fxx
    kItCmdTonePorta = 7,     // Gxx
    kItCmdVibrato = 8,       // Hxy
    kItCmdArpeggio = 10,     // Jxy
    kItCmdChanVol = 13,      // Mxx
    kItCmdChanVolSlide = 14, // Nxy
    kItCmdOffset = 15,       // Oxx
    kItCmdRetrig = 17,       // Qxy
    kItCmdSpecial = 19,      // Sxy
    kItCmdTempo = 20,        // Txx
    kItCmdGlobalVol = 22,    // Vxx
    kItCmdPan = 24,          // Xxx
};

struct ItCell {
    uint8_t note = kItNoteNone; // 0..119 (60 = C-5), kItNoteOff, kItNoteCut
    uint8_t instrument = 0;     // 1-based; 0 = none
    uint8_t volume = kItVolNone; // 0..64 set volume, kItVolNone = empty
    uint8_t command = kItCmdNone;
    uint8_t param = 0;
};

struct ItPattern {
    int rows = 64;
    int channels = 0;
    std::vector<ItCell> cells; // rows * channels, row-major

    ItCell &At(int row, int channel) { return cells[size_t(row) * size_t(channels) + size_t(channel)]; }
    const ItCell &At(int row, int channel) const { return cells[size_t(row) * size_t(channels) + size_t(channel)]; }
};

struct ItEnvelopePoint {
    uint8_t value; // 0..64
    uint16_t tick;
};

struct ItEnvelope {
    bool enabled = false;
    int sustainPoint = -1; // index of the sustained node, -1 for none
    std::vector<ItEnvelopePoint> points; // at most 25, ticks rising
};

struct ItSample {
    std::string name;
    std::vector<int16_t> data;
    uint32_t c5speed = 22050;   // playback rate of C-5
    uint8_t globalVolume = 64;  // 0..64
    uint8_t defaultVolume = 64; // 0..64
    bool loop = false;
    uint32_t loopStart = 0, loopEnd = 0;
    uint8_t vibratoSpeed = 0, vibratoDepth = 0, vibratoRate = 0;
};

struct ItInstrument {
    std::string name;
    int sample = 1;               // 1-based sample played by every note
    uint8_t newNoteAction = 0;    // 0 cut, 1 continue, 2 note off, 3 fade
    uint16_t fadeout = 0;         // 0..256
    uint8_t globalVolume = 128;   // 0..128
    ItEnvelope volumeEnvelope;
};

struct ItModule {
    std::string title;
    uint8_t speed = 6, tempo = 125;
    uint8_t globalVolume = 128, mixVolume = 48;
    int channels = 0;
    uint8_t channelPan[kItMaxChannels] = {};    // 0..64, 32 = centre
    uint8_t channelVolume[kItMaxChannels] = {}; // 0..64
    std::vector<uint8_t> orders;                // pattern numbers
    std::vector<ItPattern> patterns;
    std::vector<ItInstrument> instruments;
    std::vector<ItSample> samples;
};

// Serialises `module`. Returns false, with the reason in `error`, when the
// module breaks a limit of the format (counts, ranges, references).
bool WriteItModule(const ItModule &module, std::vector<uint8_t> &out, std::string &error);
