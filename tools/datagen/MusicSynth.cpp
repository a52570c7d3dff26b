// Instrument synthesis for the soundtrack: drums from swept sines and shaped
// noise, tonal instruments by additive synthesis over whole periods (so their
// loops join without a click), bell and keys by FM. Owns no state.
#include "MusicSynth.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

namespace {

constexpr double kPi = 3.14159265358979323846;

// Noise from a 32-bit LCG: the same sequence everywhere.
struct Noise {
    uint32_t state;
    double Next()
    {
        state = state * 1664525u + 1013904223u;
        return double(int32_t(state)) / 2147483648.0;
    }
};

// Per-sample multiplier that shrinks a value to 1/1000 in `seconds`
// (a rational approximation of exp(-6.9 / n), exact enough for a decay).
double DecayFactor(double seconds, double rate)
{
    const double n = seconds * rate;
    const double k = 6.9 / n;
    return 1.0 / (1.0 + k + 0.5 * k * k);
}

// Soft saturation, odd and monotonic.
double Soft(double x) { return x / (1.0 + std::fabs(x)); }

// State-variable filter (Chamberlin), low-pass and band-pass outputs.
struct Svf {
    double low = 0, band = 0;
    double Run(double in, double cutoffHz, double rate, double q, double *bandOut)
    {
        double f = 2.0 * MusicSin(std::fmin(cutoffHz / rate, 0.16) * 0.5);
        const double high = in - low - q * band;
        band += f * high;
        low += f * band;
        if (bandOut)
            *bandOut = band;
        return low;
    }
};

// Scales to a peak of `peak` (of full scale) and rounds to 16 bits. A
// sample that does not loop fades out over its last 5 ms, so that its end
// never clicks.
std::vector<int16_t> ToPcm(std::vector<double> x, double peak = 0.92, bool loops = false)
{
    const size_t fade = loops ? 0 : std::min<size_t>(x.size() / 4, 220);
    for (size_t i = 0; i < fade; ++i)
        x[x.size() - 1 - i] *= double(i) / double(fade);
    double m = 1e-12;
    for (double v : x)
        m = std::fmax(m, std::fabs(v));
    const double g = peak * 32767.0 / m;
    std::vector<int16_t> out(x.size());
    for (size_t i = 0; i < x.size(); ++i) {
        double v = std::floor(x[i] * g + 0.5);
        v = std::fmin(32767.0, std::fmax(-32768.0, v));
        out[i] = int16_t(v);
    }
    return out;
}

// Drives a hit into the soft saturation: the transient's tip is rounded
// off, so the hit sounds louder for the same peak and cuts through the mix.
std::vector<double> Drive(std::vector<double> x, double drive)
{
    double m = 1e-12;
    for (double v : x)
        m = std::fmax(m, std::fabs(v));
    for (double &v : x)
        v = Soft(drive * v / m);
    return x;
}

// The table of one sine period in `size` steps, for additive synthesis
// over whole periods: harmonic h at step n is table[(n * h) mod size].
std::vector<double> SineTable(size_t size)
{
    std::vector<double> t(size);
    for (size_t i = 0; i < size; ++i)
        t[i] = MusicSin(double(i) / double(size));
    return t;
}

// ---- drums --------------------------------------------------------------

ItSample Kick()
{
    const double rate = 22050;
    std::vector<double> x(size_t(0.42 * rate));
    double phase = 0, sweep = 1, amp = 1, click = 1;
    const double kSweep = DecayFactor(0.09, rate), kAmp = DecayFactor(0.32, rate), kClick = DecayFactor(0.006, rate);
    Noise n{1};
    for (size_t i = 0; i < x.size(); ++i) {
        const double f = 52.0 + 130.0 * sweep;
        phase += f / rate;
        const double body = MusicSin(phase) * amp;
        x[i] = Soft(2.6 * body) + 0.25 * click * n.Next();
        sweep *= kSweep;
        amp *= kAmp;
        click *= kClick;
    }
    return ItSample{"kick", ToPcm(x), 22050};
}

ItSample Snare()
{
    const double rate = 22050;
    std::vector<double> x(size_t(0.3 * rate));
    double p1 = 0, p2 = 0, tone = 1, noise = 1;
    const double kTone = DecayFactor(0.09, rate), kNoise = DecayFactor(0.22, rate);
    Noise n{2};
    Svf hp;
    for (size_t i = 0; i < x.size(); ++i) {
        p1 += 185.0 / rate;
        p2 += 330.0 / rate;
        const double raw = n.Next();
        const double low = hp.Run(raw, 2500, rate, 1.0, nullptr);
        const double bright = raw - 0.6 * low;
        x[i] = (0.55 * MusicSin(p1) + 0.3 * MusicSin(p2)) * tone + 0.7 * bright * noise;
        tone *= kTone;
        noise *= kNoise;
    }
    return ItSample{"snare", ToPcm(Drive(x, 5.0)), 22050};
}

ItSample Clap()
{
    const double rate = 22050;
    std::vector<double> x(size_t(0.28 * rate));
    Noise n{3};
    Svf bp;
    const double kTail = DecayFactor(0.2, rate);
    double tail = 1;
    for (size_t i = 0; i < x.size(); ++i) {
        const double t = double(i) / rate;
        double env;
        if (t < 0.03) {
            const double burst = std::fmod(t, 0.01) / 0.01; // three quick hand hits
            env = 1.0 - burst;
        } else {
            env = tail;
            tail *= kTail;
        }
        double band;
        bp.Run(n.Next(), 1700, rate, 0.6, &band);
        x[i] = band * env;
    }
    return ItSample{"clap", ToPcm(Drive(x, 6.0)), 22050};
}

// Metallic noise: six detuned square waves plus noise, high-passed.
std::vector<double> Metal(double seconds, double decaySeconds, double rate, uint32_t seed, double noiseMix = 0.7)
{
    static const double kFreqs[6] = {205.3, 304.4, 369.6, 522.7, 540.0, 800.0};
    std::vector<double> x(size_t(seconds * rate));
    double ph[6] = {};
    double amp = 1, prevIn = 0, prevOut = 0, prev2In = 0, prev2Out = 0;
    const double kAmp = DecayFactor(decaySeconds, rate);
    Noise n{seed};
    for (size_t i = 0; i < x.size(); ++i) {
        double s = 0;
        for (int k = 0; k < 6; ++k) {
            ph[k] += kFreqs[k] * 2.9 / rate;
            ph[k] -= std::floor(ph[k]);
            s += ph[k] < 0.5 ? 1.0 : -1.0;
        }
        const double in = 0.08 * s + noiseMix * n.Next();
        // two one-pole high-passes, corner about 6 kHz at 44.1 kHz
        const double a = 0.45;
        const double o1 = a * (prevOut + in - prevIn);
        prevIn = in;
        prevOut = o1;
        const double o2 = a * (prev2Out + o1 - prev2In);
        prev2In = o1;
        prev2Out = o2;
        x[i] = o2 * amp;
        amp *= kAmp;
    }
    return x;
}

// Hats at 32 kHz, so nothing above 16 kHz (no hiss): the metallic squares
// carry the tone, little noise, and a soft top cut near 11 kHz.
std::vector<double> Hat(double seconds, double decaySeconds, uint32_t seed)
{
    std::vector<double> x = Metal(seconds, decaySeconds, 32000, seed, 0.25);
    double low = 0;
    for (double &v : x) {
        low += 0.85 * (v - low);
        v = low;
    }
    for (size_t i = 0; i < 32 && i < x.size(); ++i)
        x[i] *= double(i + 1) / 32.0;
    return x;
}

ItSample HatClosed() { return ItSample{"closed hat", ToPcm(Hat(0.07, 0.06, 4)), 32000}; }
ItSample HatOpen() { return ItSample{"open hat", ToPcm(Hat(0.3, 0.26, 5)), 32000}; }

ItSample Crash()
{
    const double rate = 32000;
    std::vector<double> m = Metal(2.0, 1.9, rate, 6);
    Noise n{7};
    double amp = 1;
    const double k = DecayFactor(1.6, rate);
    for (size_t i = 0; i < m.size(); ++i) {
        m[i] += 0.25 * n.Next() * amp;
        amp *= k;
        if (i < 64)
            m[i] *= double(i) / 64.0;
    }
    return ItSample{"crash", ToPcm(m), 32000};
}

ItSample Tom()
{
    const double rate = 22050;
    std::vector<double> x(size_t(0.45 * rate));
    double phase = 0, sweep = 1, amp = 1;
    const double kSweep = DecayFactor(0.25, rate), kAmp = DecayFactor(0.42, rate);
    Noise n{8};
    for (size_t i = 0; i < x.size(); ++i) {
        phase += (kMusicC5Hz * 0.5 * (1.0 + 0.6 * sweep)) / rate;
        x[i] = (MusicSin(phase) + 0.04 * n.Next()) * amp;
        sweep *= kSweep;
        amp *= kAmp;
    }
    // C-5 sounds as the pitch the sweep settles towards.
    return ItSample{"tom", ToPcm(x), 44100};
}

ItSample Boom()
{
    const double rate = 11025;
    std::vector<double> x(size_t(1.8 * rate));
    double phase = 0, sweep = 1, amp = 1, noise = 1;
    const double kSweep = DecayFactor(0.6, rate), kAmp = DecayFactor(1.7, rate), kNoise = DecayFactor(0.25, rate);
    Noise n{9};
    Svf lp;
    for (size_t i = 0; i < x.size(); ++i) {
        phase += (34.0 + 50.0 * sweep) / rate;
        const double rumble = lp.Run(n.Next(), 400, rate, 1.0, nullptr);
        x[i] = Soft(1.5 * MusicSin(phase) * amp) + 0.8 * rumble * noise;
        sweep *= kSweep;
        amp *= kAmp;
        noise *= kNoise;
    }
    return ItSample{"impact", ToPcm(x), 11025};
}

// White noise through a band-pass sweeping up, growing louder: 32 rows long at C-5.
ItSample Riser()
{
    const double rate = 16000;
    const double seconds = 32 * 0.12;
    std::vector<double> x(size_t(seconds * rate));
    Noise n{10};
    Svf bp;
    double cutoff = 180;
    const double grow = 1.0 / DecayFactor(seconds / 1.55, rate); // about x30 over the length
    double phase = 0;
    for (size_t i = 0; i < x.size(); ++i) {
        const double t = double(i) / double(x.size());
        double band;
        bp.Run(n.Next(), cutoff, rate, 0.35, &band);
        phase += (cutoff * 0.25) / rate;
        const double env = t * t * (1.0 - 0.1 * t);
        double fade = 1.0;
        if (i + 400 > x.size())
            fade = double(x.size() - i) / 400.0;
        x[i] = (band + 0.15 * MusicSin(phase)) * env * fade;
        cutoff *= grow;
    }
    return ItSample{"riser", ToPcm(x, 0.8), 16000};
}

// ---- tonal --------------------------------------------------------------

// Bass: saw and sub sine whose brightness falls from a pluck to a steady
// tone; the steady last period loops. Period 128 samples at C-5.
ItSample Bass()
{
    const size_t period = 128;
    const double rate = double(period) * kMusicC5Hz;
    const size_t attack = period * 24;
    const std::vector<double> table = SineTable(period);
    std::vector<double> x(attack + period);
    const int harmonics = 48;
    double bright = 1.0;
    const double kBright = DecayFactor(0.3, rate);
    for (size_t i = 0; i < x.size(); ++i) {
        if (i < attack)
            bright *= kBright;
        // the steady tone keeps harmonics up to the fourth and fifth, which
        // small speakers play where they cannot play the fundamental
        const double hc = 8.0 + 9.0 * bright;
        double s = 0.5 * table[i % period];
        for (int h = 1; h <= harmonics; ++h) {
            const double r = double(h) / hc;
            const double g = 1.0 / (double(h) * (1.0 + r * r));
            s += g * table[(i * size_t(h)) % period];
        }
        x[i] = s;
    }
    ItSample smp{"bass", ToPcm(x, 0.92, true), uint32_t(std::floor(rate + 0.5))};
    smp.loop = true;
    smp.loopStart = uint32_t(attack);
    smp.loopEnd = uint32_t(x.size());
    return smp;
}

// Additive voices over a loop of `cycles` periods: each voice plays `cycles
// + detune` periods in the loop, so every voice closes exactly at the loop end.
std::vector<double> Ensemble(size_t period, size_t cycles, const int *detunes, int voices,
                             int harmonics, double rolloff, double squareMix)
{
    const size_t length = period * cycles;
    const std::vector<double> table = SineTable(length);
    std::vector<double> x(length, 0.0);
    for (int v = 0; v < voices; ++v) {
        const size_t c = size_t(int(cycles) + detunes[v]);
        for (int h = 1; h <= harmonics; ++h) {
            if (size_t(h) * c * 2 >= length)
                break;
            const double r = double(h) / rolloff;
            // the detuned voices a little softer than the first: a fuller
            // sound without the tall peak of equal voices lining up
            double g = (v == 0 ? 1.0 : 0.7) / (double(h) * (1.0 + r * r));
            if (h % 2 == 0)
                g *= 1.0 - squareMix;
            const size_t step = (size_t(h) * c) % length;
            // a fixed phase per voice keeps the voices from starting in unison
            size_t idx = (size_t(v) * 977u * size_t(h)) % length;
            for (size_t i = 0; i < length; ++i) {
                x[i] += g * table[idx];
                idx += step;
                if (idx >= length)
                    idx -= length;
            }
        }
    }
    return x;
}

// Pads: three detuned voices; the rolloff is the filter (dark, warm, bright).
ItSample Pad(const char *name, double rolloff)
{
    const size_t period = 128, cycles = 128;
    static const int kDetunes[3] = {0, -1, 1};
    std::vector<double> x = Ensemble(period, cycles, kDetunes, 3, 60, rolloff, 0.0);
    ItSample smp{name, ToPcm(x, 0.92, true), uint32_t(std::floor(double(period) * kMusicC5Hz + 0.5))};
    smp.loop = true;
    smp.loopStart = 0;
    smp.loopEnd = uint32_t(x.size());
    return smp;
}

ItSample Lead()
{
    const size_t period = 96, cycles = 200;
    static const int kDetunes[2] = {0, 1};
    std::vector<double> x = Ensemble(period, cycles, kDetunes, 2, 46, 20.0, 0.45);
    ItSample smp{"lead", ToPcm(x, 0.92, true), uint32_t(std::floor(double(period) * kMusicC5Hz + 0.5))};
    smp.loop = true;
    smp.loopStart = 0;
    smp.loopEnd = uint32_t(x.size());
    smp.vibratoSpeed = 10;
    smp.vibratoDepth = 3;
    smp.vibratoRate = 6;
    return smp;
}

// Pluck: every harmonic decays, the high ones faster.
ItSample Pluck()
{
    const size_t period = 64;
    const double rate = double(period) * kMusicC5Hz;
    const std::vector<double> table = SineTable(period);
    std::vector<double> x(size_t(0.7 * rate));
    const int harmonics = 30;
    double amp[harmonics + 1], k[harmonics + 1];
    for (int h = 1; h <= harmonics; ++h) {
        amp[h] = (h % 2 ? 1.0 : 0.55) / double(h);
        k[h] = DecayFactor(0.9 / (1.0 + 0.35 * double(h)), rate);
    }
    for (size_t i = 0; i < x.size(); ++i) {
        double s = 0;
        for (int h = 1; h <= harmonics; ++h) {
            s += amp[h] * table[(i * size_t(h)) % period];
            amp[h] *= k[h];
        }
        x[i] = s;
    }
    return ItSample{"pluck", ToPcm(x), uint32_t(std::floor(rate + 0.5))};
}

// FM bell: inharmonic partials that ring and fade.
ItSample Bell()
{
    const double rate = 22050;
    std::vector<double> x(size_t(1.4 * rate));
    double pc = 0, pm = 0, index = 1, amp = 1;
    const double kIndex = DecayFactor(0.5, rate), kAmp = DecayFactor(1.35, rate);
    for (size_t i = 0; i < x.size(); ++i) {
        pc += kMusicC5Hz / rate;
        pm += kMusicC5Hz * 3.5 / rate;
        const double attack = i < 40 ? double(i) / 40.0 : 1.0;
        x[i] = MusicSin(pc + 0.35 * (0.3 + 2.2 * index) * MusicSin(pm)) * amp * attack;
        index *= kIndex;
        amp *= kAmp;
    }
    return ItSample{"bell", ToPcm(x), 22050};
}

// Electric-piano keys: a 1:1 FM tone whose brightness falls, a short tine.
ItSample Keys()
{
    const double rate = 22050;
    std::vector<double> x(size_t(1.6 * rate));
    double pc = 0, pm = 0, pt = 0, index = 1, amp = 1, tine = 1;
    const double kIndex = DecayFactor(0.6, rate), kAmp = DecayFactor(2.2, rate), kTine = DecayFactor(0.08, rate);
    for (size_t i = 0; i < x.size(); ++i) {
        pc += kMusicC5Hz / rate;
        pm += kMusicC5Hz / rate;
        pt += kMusicC5Hz * 14.0 / rate;
        const double attack = i < 30 ? double(i) / 30.0 : 1.0;
        const double body = MusicSin(pc + (0.08 + 0.25 * index) * MusicSin(pm));
        x[i] = (body + 0.12 * tine * MusicSin(pt)) * amp * attack;
        index *= kIndex;
        amp *= kAmp;
        tine *= kTine;
    }
    return ItSample{"keys", ToPcm(x), 22050};
}

ItEnvelope Envelope(std::initializer_list<ItEnvelopePoint> points, int sustain)
{
    ItEnvelope e;
    e.enabled = true;
    e.points = points;
    e.sustainPoint = sustain;
    return e;
}

void Add(ItModule &m, ItSample sample, uint8_t nna, ItEnvelope env, uint8_t globalVolume, uint8_t sampleVolume = 64)
{
    sample.globalVolume = sampleVolume;
    m.samples.push_back(std::move(sample));
    ItInstrument ins;
    ins.name = m.samples.back().name;
    ins.sample = int(m.samples.size());
    ins.newNoteAction = nna;
    ins.fadeout = 64;
    ins.globalVolume = globalVolume;
    ins.volumeEnvelope = std::move(env);
    m.instruments.push_back(std::move(ins));
}

} // namespace

double MusicSin(double turns)
{
    double t = turns - std::floor(turns);
    double sign = 1.0;
    if (t >= 0.5) {
        t -= 0.5;
        sign = -1.0;
    }
    if (t > 0.25)
        t = 0.5 - t;
    const double x = t * 2.0 * kPi; // 0 .. pi/2
    const double x2 = x * x;
    // Taylor series to x^17: error below 1e-13 on [0, pi/2]
    double s = 1.0 / 355687428096000.0; // 1/17!
    s = 1.0 / 1307674368000.0 - x2 * s;  // 1/15!
    s = 1.0 / 6227020800.0 - x2 * s;     // 1/13!
    s = 1.0 / 39916800.0 - x2 * s;       // 1/11!
    s = 1.0 / 362880.0 - x2 * s;         // 1/9!
    s = 1.0 / 5040.0 - x2 * s;           // 1/7!
    s = 1.0 / 120.0 - x2 * s;            // 1/5!
    s = 1.0 / 6.0 - x2 * s;              // 1/3!
    s = 1.0 - x2 * s;
    return sign * x * s;
}

void AddMusicInstruments(ItModule &m)
{
    const ItEnvelope none;
    Add(m, Kick(), 0, none, 128);
    Add(m, Snare(), 0, none, 128);
    Add(m, Clap(), 0, none, 128);
    Add(m, HatClosed(), 0, none, 128);
    Add(m, HatOpen(), 0, none, 110);
    Add(m, Crash(), 1, none, 100);
    Add(m, Tom(), 0, none, 100);
    Add(m, Bass(), 0, Envelope({{64, 0}, {64, 2}, {0, 8}}, 1), 110);
    Add(m, Pad("pad", 16.0), 2, Envelope({{0, 0}, {64, 45}, {0, 130}}, 1), 90);
    Add(m, Lead(), 2, Envelope({{0, 0}, {64, 2}, {50, 24}, {0, 40}}, 2), 80);
    Add(m, Pluck(), 1, Envelope({{64, 0}, {48, 6}, {0, 40}}, -1), 96);
    Add(m, Bell(), 1, none, 60);
    Add(m, Riser(), 0, none, 60);
    Add(m, Boom(), 1, none, 110);
    Add(m, Keys(), 2, Envelope({{64, 0}, {64, 2}, {0, 30}}, 1), 110);
    Add(m, Pad("dark pad", 6.0), 2, Envelope({{0, 0}, {64, 45}, {0, 130}}, 1), 90);
    Add(m, Pad("bright pad", 16.0), 2, Envelope({{0, 0}, {64, 30}, {0, 110}}, 1), 90);
}
