// The loudness meter on signals whose readings are known: a sine's level,
// silence and gating, the range of a signal with two levels, the true peak
// between samples, the band share, and the rank correlation.
#include "MusicLoudness.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace {

constexpr double kPi = 3.14159265358979323846;

// `seconds` of a sine in both channels.
std::vector<float> Sine(double hz, double amplitude, double seconds, double phase = 0.0)
{
    std::vector<float> x;
    const size_t n = size_t(seconds * kLoudnessRate);
    for (size_t i = 0; i < n; ++i) {
        const float v = float(amplitude * std::sin(2.0 * kPi * hz * double(i) / kLoudnessRate + phase));
        x.push_back(v);
        x.push_back(v);
    }
    return x;
}

TEST(MusicLoudness, SineReadsItsLevel)
{
    // a 1 kHz sine of amplitude 0.1 in both channels reads -20 LUFS
    const LoudnessReport r = MeasureLoudness(Sine(997.0, 0.1, 10.0));
    EXPECT_NEAR(r.integrated, -20.0, 0.1);
    EXPECT_NEAR(ShortTermAt(r, 6.0), -20.0, 0.1);
    EXPECT_NEAR(r.samplePeak, -20.0, 0.05);
}

TEST(MusicLoudness, TwoLevelsGiveTheirRangeAndSilenceIsGatedOut)
{
    std::vector<float> x = Sine(997.0, 0.05, 20.0);          // -26 LUFS
    const std::vector<float> loud = Sine(997.0, 0.4, 20.0); // 18 dB louder
    x.insert(x.end(), loud.begin(), loud.end());
    x.resize(x.size() + size_t(20 * kLoudnessRate) * 2, 0.0f); // silence, below the absolute gate
    const LoudnessReport r = MeasureLoudness(x);
    EXPECT_NEAR(r.range, 18.0, 0.5);
    // the quiet half falls under the relative gate (-10 LU): the loud half alone
    EXPECT_NEAR(r.integrated, -7.96, 0.2);
    EXPECT_NEAR(MedianShortTerm(r, 5.0, 18.0), -26.0, 0.1);
    EXPECT_NEAR(MedianShortTerm(r, 25.0, 38.0), -7.96, 0.1);
}

TEST(MusicLoudness, TruePeakFindsThePeakBetweenSamples)
{
    // 12 kHz, a quarter of the rate, sampled 45 degrees off its crests:
    // every sample is at 0.707 of the peak, the waveform reaches 0.5
    const LoudnessReport r = MeasureLoudness(Sine(12000.0, 0.5, 1.0, kPi / 4.0));
    EXPECT_NEAR(r.samplePeak, 20.0 * std::log10(0.5 * std::sqrt(0.5)), 0.05);
    EXPECT_NEAR(r.truePeak, 20.0 * std::log10(0.5), 0.3);
}

TEST(MusicLoudness, BandShareSeparatesHighFromLow)
{
    std::vector<float> x = Sine(200.0, 0.5, 2.0);
    const std::vector<float> hiss = Sine(18000.0, 0.05, 2.0); // 20 dB under
    for (size_t i = 0; i < x.size(); ++i)
        x[i] += hiss[i];
    EXPECT_NEAR(BandEnergyShare(x, 16000, kLoudnessRate), -20.0, 0.5);
    EXPECT_NEAR(BandEnergyShare(x, 0, 1000), 0.0, 0.1);
}

TEST(MusicLoudness, PlanCorrelationRanksWithTies)
{
    std::vector<StepLoudness> steps = {
        {1, 0, 10, 1, -30}, {2, 10, 20, 2, -24}, {3, 20, 30, 2, -22}, {4, 30, 40, 3, -18}, {5, 40, 41, 5, -40},
    };
    // the short last step does not count: the rest rise together, the two
    // steps of equal energy sharing a rank (ranks 1, 2.5, 2.5, 4 against 1 to 4)
    EXPECT_NEAR(PlanCorrelation(steps, 5.0), std::sqrt(0.9), 1e-9);
    EXPECT_LT(PlanCorrelation(steps, 0.5), 0.5);
    for (StepLoudness &s : steps)
        s.loudness = -s.loudness;
    EXPECT_NEAR(PlanCorrelation(steps, 5.0), -std::sqrt(0.9), 1e-9);
}

} // namespace
