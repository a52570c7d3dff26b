// Synthesis of the soundtrack's instruments as IT samples and instruments.
// Everything is computed with +, -, *, / and our own sine and noise, so the
// sample bytes are the same on every machine.
#pragma once

#include "ItWriter.h"

// Instrument numbers (1-based, as written in pattern cells).
enum MusicInstrument : uint8_t {
    kInsKick = 1,
    kInsSnare,
    kInsClap,
    kInsHatClosed,
    kInsHatOpen,
    kInsCrash,
    kInsTom,
    kInsBass,
    kInsPad,
    kInsLead,
    kInsPluck,
    kInsBell,
    kInsRiser,
    kInsBoom,
    kInsKeys,
    kInsPadDark,
    kInsPadBright,
    kInsCount = kInsPadBright
};

// The pitch every tonal sample is synthesised at: C-5 of the tracker.
constexpr double kMusicC5Hz = 261.6255653005986;

// Sine of a phase given in turns (1.0 = one period), deterministic.
double MusicSin(double turns);

// Appends every instrument and its sample to `module`, in MusicInstrument order.
void AddMusicInstruments(ItModule &module);
