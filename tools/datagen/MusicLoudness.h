// Loudness of rendered stereo audio as a listener's meter reads it: the
// K-weighted short-term loudness (3 s window), integrated loudness, loudness
// range and true peak, at 48 kHz; and the soundtrack's plan per timeline step
// held against the measured loudness. Pure arithmetic, no player.
#pragma once

#include <vector>

constexpr int kLoudnessRate = 48000;

struct LoudnessReport {
    std::vector<double> shortTerm; // LUFS of the 3 s window ending every 100 ms
    double integrated = -70.0;     // LUFS, gated
    double range = 0.0;            // LU, 10th to 95th percentile of gated short-term values
    double truePeak = -120.0;      // dBTP, 4x oversampled
    double samplePeak = -120.0;    // dBFS
};

// `stereo` is interleaved left, right at 48 kHz.
LoudnessReport MeasureLoudness(const std::vector<float> &stereo);

// The short-term value whose 3 s window ends at `seconds` (clamped to the series).
double ShortTermAt(const LoudnessReport &r, double seconds);

// Median of the short-term values whose windows end inside [from, to) seconds.
double MedianShortTerm(const LoudnessReport &r, double from, double to);

// Energy of the mono mix between `lowHz` and `highHz` (fourth-order
// Butterworth edges; 0 or the Nyquist frequency leave that edge open)
// relative to its whole energy, in dB.
double BandEnergyShare(const std::vector<float> &stereo, double lowHz, double highHz);

// One timeline step as heard: start and end in seconds, planned energy, median loudness.
struct StepLoudness {
    int step;      // 1-based, as the timeline counts
    double from, to;
    int energy;
    double loudness; // median short-term LUFS over the step
};

// Every step of the soundtrack's plan with its measured loudness.
std::vector<StepLoudness> MeasureSteps(const LoudnessReport &r);

// Spearman rank correlation of planned energy and loudness over the steps
// at least `minSeconds` long.
double PlanCorrelation(const std::vector<StepLoudness> &steps, double minSeconds);
