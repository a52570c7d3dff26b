// Loudness meter for the soundtrack: K-weighting, 100 ms blocks, the 3 s
// short-term series, gated integrated loudness, loudness range and a 4x
// oversampled true peak, as a broadcast meter computes them at 48 kHz.
#include "MusicLoudness.h"

#include "Music.h"

#include <algorithm>
#include <cmath>
#include <cstddef>

namespace {

constexpr int kBlock = kLoudnessRate / 10; // 100 ms
constexpr int kShortBlocks = 30;           // 3 s
constexpr int kMomentaryBlocks = 4;        // 400 ms

// Second-order section, direct form I.
struct Biquad {
    double b0, b1, b2, a1, a2;
    double x1 = 0, x2 = 0, y1 = 0, y2 = 0;
    double Run(double x)
    {
        const double y = b0 * x + b1 * x1 + b2 * x2 - a1 * y1 - a2 * y2;
        x2 = x1;
        x1 = x;
        y2 = y1;
        y1 = y;
        return y;
    }
};

// The K-weighting of a 48 kHz signal: a high shelf (+4 dB above about
// 1.5 kHz, the head's effect) and a high-pass near 38 Hz.
struct KWeighting {
    Biquad shelf{1.53512485958697, -2.69169618940638, 1.19839281085285, -1.69065929318241, 0.73248077421585};
    Biquad highPass{1.0, -2.0, 1.0, -1.99004745483398, 0.99007225036621};
    double Run(double x) { return highPass.Run(shelf.Run(x)); }
};

double Lufs(double meanSquare) { return meanSquare > 0 ? -0.691 + 10.0 * std::log10(meanSquare) : -120.0; }

// Mean square (both channels summed) of `count` blocks ending at block `last`;
// blocks before the start count as silence.
double WindowPower(const std::vector<double> &blocks, size_t last, size_t count)
{
    double sum = 0;
    for (size_t k = 0; k < count && k <= last; ++k)
        sum += blocks[last - k];
    return sum / double(count * kBlock);
}

// Gated mean of block powers: absolute gate -70 LUFS, then the relative gate
// `relativeLu` below the mean of what passed.
double GatedMean(const std::vector<double> &powers, double relativeLu, std::vector<double> *kept)
{
    double sum = 0;
    size_t n = 0;
    for (double p : powers)
        if (Lufs(p) > -70.0) {
            sum += p;
            ++n;
        }
    if (n == 0)
        return 0.0;
    const double gate = Lufs(sum / double(n)) - relativeLu;
    sum = 0;
    n = 0;
    for (double p : powers)
        if (Lufs(p) > -70.0 && Lufs(p) > gate) {
            sum += p;
            ++n;
            if (kept)
                kept->push_back(Lufs(p));
        }
    return n ? sum / double(n) : 0.0;
}

// Polyphase 4x interpolator: a Hann-windowed sinc of 12 taps per phase.
// Phase 0 is the sample itself; phases 1 to 3 fall between samples.
struct Oversampler {
    static constexpr int kTaps = 12;
    double h[4][kTaps] = {};
    Oversampler()
    {
        constexpr double kPi = 3.14159265358979323846;
        for (int p = 1; p < 4; ++p)
            for (int k = 0; k < kTaps; ++k) {
                // distance in input samples from the output point
                const double t = double(k - kTaps / 2) + double(p) / 4.0;
                const double w = 0.5 + 0.5 * std::cos(kPi * t / (kTaps / 2 + 1));
                h[p][k] = std::sin(kPi * t) / (kPi * t) * w;
            }
    }
};

double TruePeak(const std::vector<float> &stereo)
{
    static const Oversampler os;
    const size_t frames = stereo.size() / 2;
    double peak = 0;
    for (int ch = 0; ch < 2; ++ch) {
        for (size_t n = 0; n < frames; ++n) {
            const double x = std::fabs(double(stereo[2 * n + size_t(ch)]));
            peak = std::max(peak, x);
            if (n < Oversampler::kTaps || n + Oversampler::kTaps >= frames)
                continue;
            // y(n + p/4) = sum_k h[p][k] * x(n + kTaps/2 - k)
            for (int p = 1; p < 4; ++p) {
                double y = 0;
                for (int k = 0; k < Oversampler::kTaps; ++k)
                    y += os.h[p][k] * double(stereo[2 * (n + Oversampler::kTaps / 2 - size_t(k)) + size_t(ch)]);
                peak = std::max(peak, std::fabs(y));
            }
        }
    }
    return peak;
}

double Db(double v) { return v > 0 ? 20.0 * std::log10(v) : -120.0; }

// Butterworth sections (RBJ cookbook) at 48 kHz.
Biquad Pass(bool high, double hz, double q)
{
    const double w = 2.0 * 3.14159265358979323846 * hz / kLoudnessRate;
    const double c = std::cos(w), alpha = std::sin(w) / (2.0 * q), a0 = 1.0 + alpha;
    const double b0 = (high ? (1.0 + c) : (1.0 - c)) / 2.0 / a0;
    return Biquad{b0, high ? -2.0 * b0 : 2.0 * b0, b0, -2.0 * c / a0, (1.0 - alpha) / a0};
}

} // namespace

double BandEnergyShare(const std::vector<float> &stereo, double lowHz, double highHz)
{
    Biquad f[4] = {Pass(true, lowHz > 0 ? lowHz : 1.0, 0.5412), Pass(true, lowHz > 0 ? lowHz : 1.0, 1.3066),
                   Pass(false, highHz, 0.5412), Pass(false, highHz, 1.3066)};
    const bool highEdge = highHz < kLoudnessRate / 2;
    double all = 0, band = 0;
    for (size_t n = 0; n + 1 < stereo.size(); n += 2) {
        const double x = 0.5 * (double(stereo[n]) + double(stereo[n + 1]));
        double y = x;
        if (lowHz > 0)
            y = f[1].Run(f[0].Run(y));
        if (highEdge)
            y = f[3].Run(f[2].Run(y));
        all += x * x;
        band += y * y;
    }
    return 10.0 * std::log10(std::max(band, 1e-30) / std::max(all, 1e-30));
}

LoudnessReport MeasureLoudness(const std::vector<float> &stereo)
{
    LoudnessReport r;
    const size_t frames = stereo.size() / 2;
    std::vector<double> blocks((frames + kBlock - 1) / kBlock, 0.0);
    KWeighting kl, kr;
    double samplePeak = 0;
    for (size_t n = 0; n < frames; ++n) {
        const double l = stereo[2 * n], rr = stereo[2 * n + 1];
        samplePeak = std::max(samplePeak, std::max(std::fabs(l), std::fabs(rr)));
        const double yl = kl.Run(l), yr = kr.Run(rr);
        blocks[n / kBlock] += yl * yl + yr * yr;
    }
    std::vector<double> momentary, shortPower;
    for (size_t i = 0; i < blocks.size(); ++i) {
        if (i + 1 >= kMomentaryBlocks)
            momentary.push_back(WindowPower(blocks, i, kMomentaryBlocks));
        const double p = WindowPower(blocks, i, kShortBlocks);
        shortPower.push_back(p);
        r.shortTerm.push_back(Lufs(p));
    }
    r.integrated = Lufs(GatedMean(momentary, 10.0, nullptr));
    std::vector<double> kept;
    GatedMean(shortPower, 20.0, &kept);
    if (!kept.empty()) {
        std::sort(kept.begin(), kept.end());
        const auto at = [&](double q) { return kept[size_t(std::floor(q * double(kept.size() - 1) + 0.5))]; };
        r.range = at(0.95) - at(0.10);
    }
    r.samplePeak = Db(samplePeak);
    r.truePeak = Db(TruePeak(stereo));
    return r;
}

double ShortTermAt(const LoudnessReport &r, double seconds)
{
    if (r.shortTerm.empty())
        return -120.0;
    const double i = std::floor(seconds * 10.0 + 0.5) - 1.0;
    const size_t k = i < 0 ? 0 : std::min(size_t(i), r.shortTerm.size() - 1);
    return r.shortTerm[k];
}

double MedianShortTerm(const LoudnessReport &r, double from, double to)
{
    std::vector<double> v;
    // the value of block i belongs to the window ending at (i + 1) / 10 s
    for (size_t i = 0; i < r.shortTerm.size(); ++i) {
        const double end = double(i + 1) / 10.0;
        if (end > from && end <= to)
            v.push_back(r.shortTerm[i]);
    }
    if (v.empty())
        return ShortTermAt(r, to);
    std::sort(v.begin(), v.end());
    const size_t n = v.size();
    return n % 2 ? v[n / 2] : 0.5 * (v[n / 2 - 1] + v[n / 2]);
}

std::vector<StepLoudness> MeasureSteps(const LoudnessReport &r)
{
    std::vector<StepLoudness> out;
    int start = 0;
    for (int i = 0; i < kMusicSteps; ++i) {
        const MusicStep &s = kMusicPlan[i];
        // a step whose end has already passed when it begins lasts no time
        const int end = std::max(start, MusicRowOf(s.end));
        StepLoudness st;
        st.step = i + 1;
        st.from = MusicSeconds(start);
        st.to = MusicSeconds(end);
        st.energy = s.energy;
        st.loudness = MedianShortTerm(r, st.from, st.to);
        out.push_back(st);
        start = end;
    }
    return out;
}

double PlanCorrelation(const std::vector<StepLoudness> &steps, double minSeconds)
{
    std::vector<double> a, b;
    for (const StepLoudness &s : steps)
        if (s.to - s.from >= minSeconds) {
            a.push_back(double(s.energy));
            b.push_back(s.loudness);
        }
    // ranks, ties sharing their mean rank
    const auto ranks = [](const std::vector<double> &v) {
        std::vector<double> out(v.size());
        for (size_t i = 0; i < v.size(); ++i) {
            double below = 0, equal = 0;
            for (double w : v) {
                below += w < v[i] ? 1 : 0;
                equal += w == v[i] ? 1 : 0;
            }
            out[i] = below + (equal + 1) / 2;
        }
        return out;
    };
    const std::vector<double> ra = ranks(a), rb = ranks(b);
    const size_t n = ra.size();
    if (n < 2)
        return 0.0;
    double ma = 0, mb = 0;
    for (size_t i = 0; i < n; ++i) {
        ma += ra[i] / double(n);
        mb += rb[i] / double(n);
    }
    double sab = 0, saa = 0, sbb = 0;
    for (size_t i = 0; i < n; ++i) {
        sab += (ra[i] - ma) * (rb[i] - mb);
        saa += (ra[i] - ma) * (ra[i] - ma);
        sbb += (rb[i] - mb) * (rb[i] - mb);
    }
    return saa > 0 && sbb > 0 ? sab / std::sqrt(saa * sbb) : 0.0;
}
