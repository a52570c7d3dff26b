// musicmeter: renders the soundtrack through libopenmpt at 48 kHz (no
// dither) and prints, per timeline step, the planned energy and the median
// short-term loudness; then the integrated loudness, loudness range, true
// peak, the plan correlation and the spectrum's balance. Optionally draws
// the loudness over time as a PNG and measures each part of the mix alone.
//
//   musicmeter [--module FILE.it] [--png FILE.png] [--parts FROM_ORDER TO_ORDER]
//
// Without --module it composes the module in memory, as datagen would.
#include "Music.h"
#include "MusicLoudness.h"
#include "MusicScore.h"
#include "PngWrite.h"

#include <libopenmpt/libopenmpt.h>
#include <libopenmpt/libopenmpt_ext.h>

#include <algorithm>
#include <cmath>
#include <complex>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

openmpt_module_ext *Load(const std::vector<uint8_t> &bytes)
{
    openmpt_module_ext *m = openmpt_module_ext_create_from_memory(bytes.data(), bytes.size(), nullptr, nullptr,
                                                                  nullptr, nullptr, nullptr, nullptr, nullptr);
    if (m)
        openmpt_module_ctl_set_integer(openmpt_module_ext_get_module(m), "dither", 0);
    return m;
}

// Renders from the current position for at most `seconds` (or to the song's end).
std::vector<float> Render(openmpt_module *m, double seconds)
{
    std::vector<float> out;
    std::vector<float> buf(2 * 4800);
    const size_t limit = size_t(seconds * kLoudnessRate);
    while (out.size() / 2 < limit) {
        const size_t n = openmpt_module_read_interleaved_float_stereo(m, kLoudnessRate, 4800, buf.data());
        if (n == 0)
            break;
        out.insert(out.end(), buf.begin(), buf.begin() + std::ptrdiff_t(2 * n));
    }
    out.resize(std::min(out.size(), 2 * limit));
    return out;
}

// Power-weighted spectral centroid of the mono mix per 4096-sample frame
// (Hann window): sums of f * power and of power, one pair a frame.
struct Centroids {
    static constexpr size_t kFrame = 4096;
    std::vector<double> weighted, power;
};

void Fft(std::vector<std::complex<double>> &a)
{
    const size_t n = a.size();
    for (size_t i = 1, j = 0; i < n; ++i) {
        size_t bit = n >> 1;
        for (; j & bit; bit >>= 1)
            j ^= bit;
        j ^= bit;
        if (i < j)
            std::swap(a[i], a[j]);
    }
    for (size_t len = 2; len <= n; len <<= 1) {
        const double ang = -2.0 * 3.14159265358979323846 / double(len);
        const std::complex<double> wl(std::cos(ang), std::sin(ang));
        for (size_t i = 0; i < n; i += len) {
            std::complex<double> w(1.0);
            for (size_t k = 0; k < len / 2; ++k) {
                const std::complex<double> u = a[i + k], v = a[i + k + len / 2] * w;
                a[i + k] = u + v;
                a[i + k + len / 2] = u - v;
                w *= wl;
            }
        }
    }
}

Centroids MeasureCentroids(const std::vector<float> &stereo)
{
    Centroids c;
    const size_t n = Centroids::kFrame;
    std::vector<std::complex<double>> a(n);
    for (size_t start = 0; (start + n) * 2 <= stereo.size(); start += n) {
        for (size_t i = 0; i < n; ++i) {
            const double w = 0.5 - 0.5 * std::cos(2.0 * 3.14159265358979323846 * double(i) / double(n));
            a[i] = 0.5 * (double(stereo[2 * (start + i)]) + double(stereo[2 * (start + i) + 1])) * w;
        }
        Fft(a);
        double fw = 0, p = 0;
        for (size_t k = 1; k < n / 2; ++k) {
            const double pk = std::norm(a[k]);
            fw += double(k) * kLoudnessRate / double(n) * pk;
            p += pk;
        }
        c.weighted.push_back(fw);
        c.power.push_back(p);
    }
    return c;
}

double CentroidBetween(const Centroids &c, double from, double to)
{
    double fw = 0, p = 0;
    for (size_t i = 0; i < c.power.size(); ++i) {
        const double t = (double(i) + 0.5) * double(Centroids::kFrame) / kLoudnessRate;
        if (t >= from && t < to) {
            fw += c.weighted[i];
            p += c.power[i];
        }
    }
    return p > 0 ? fw / p : 0.0;
}

std::string Position(double seconds)
{
    const int row = int(std::floor(seconds / MusicSeconds(1) + 0.5));
    char b[16];
    std::snprintf(b, sizeof b, "%d:%02d", row / kMusicRowsPerOrder, row % kMusicRowsPerOrder);
    return b;
}

// ---- the loudness picture ---------------------------------------------------

struct Canvas {
    int w, h;
    std::vector<uint8_t> rgb;
    void Dot(int x, int y, uint32_t c)
    {
        if (x < 0 || y < 0 || x >= w || y >= h)
            return;
        uint8_t *p = &rgb[(size_t(y) * size_t(w) + size_t(x)) * 3];
        p[0] = uint8_t(c >> 16);
        p[1] = uint8_t(c >> 8);
        p[2] = uint8_t(c);
    }
    void Line(int x0, int y0, int x1, int y1, uint32_t c)
    {
        const int n = std::max(std::abs(x1 - x0), std::abs(y1 - y0));
        for (int i = 0; i <= n; ++i)
            Dot(x0 + (n ? (x1 - x0) * i / n : 0), y0 + (n ? (y1 - y0) * i / n : 0), c);
    }
    // Digits, minus and colon from a 3 x 5 font, scaled by `s`.
    void Text(int x, int y, const std::string &t, uint32_t c, int s = 2)
    {
        static const char *const kGlyphs[12] = {"111101101101111", "010110010010111", "111001111100111",
                                                "111001111001111", "101101111001001", "111100111001111",
                                                "111100111101111", "111001001001001", "111101111101111",
                                                "111101111001111", "000000111000000", "000010000010000"};
        for (char ch : t) {
            const int g = ch == '-' ? 10 : ch == ':' ? 11 : ch >= '0' && ch <= '9' ? ch - '0' : -1;
            if (g >= 0)
                for (int i = 0; i < 15; ++i)
                    if (kGlyphs[g][i] == '1')
                        for (int dy = 0; dy < s; ++dy)
                            for (int dx = 0; dx < s; ++dx)
                                Dot(x + (i % 3) * s + dx, y + (i / 3) * s + dy, c);
            x += 4 * s;
        }
    }
};

// Short-term loudness (white) from -40 to -5 LUFS over the song, the plan's
// energy as a stepped line (orange, 1 at the bottom band to 5 at the top),
// step boundaries (blue), orders every 8 (dark grey), 5 LU grid lines.
bool DrawPicture(const LoudnessReport &r, const std::vector<StepLoudness> &steps, const std::string &path)
{
    Canvas c{1600, 500, {}};
    c.rgb.assign(size_t(c.w) * size_t(c.h) * 3, 16);
    const int left = 50, top = 20, right = c.w - 10, bottom = c.h - 30;
    const double seconds = steps.back().to;
    const auto X = [&](double s) { return left + int(s / seconds * (right - left)); };
    const auto Y = [&](double lufs) {
        const double t = std::clamp((lufs + 40.0) / 35.0, 0.0, 1.0);
        return bottom - int(t * (bottom - top));
    };
    for (int l = -40; l <= -5; l += 5) {
        c.Line(left, Y(l), right, Y(l), l % 10 ? 0x282828 : 0x404040);
        if (l % 10 == 0)
            c.Text(4, Y(l) - 5, std::to_string(l), 0xA0A0A0);
    }
    for (int o = 0; o <= kMusicSongOrders; o += 8) {
        const double s = MusicSeconds(o * kMusicRowsPerOrder);
        c.Line(X(s), bottom, X(s), bottom + 6, 0xA0A0A0);
        c.Text(X(s) - 4, bottom + 10, std::to_string(o), 0xA0A0A0);
    }
    for (const StepLoudness &s : steps)
        c.Line(X(s.from), top, X(s.from), bottom, 0x2050A0);
    // the plan: energy e drawn at the loudness it aims for
    for (const StepLoudness &s : steps) {
        const int y = Y(-28.0 + 3.5 * s.energy);
        c.Line(X(s.from), y, X(s.to), y, 0xE08020);
        c.Line(X(s.from), y + 1, X(s.to), y + 1, 0xE08020);
    }
    int px = -1, py = 0;
    for (size_t i = 0; i < r.shortTerm.size(); ++i) {
        const double s = double(i + 1) / 10.0;
        if (s > seconds)
            break;
        const int x = X(s), y = Y(r.shortTerm[i]);
        if (px >= 0)
            c.Line(px, py, x, y, 0xF0F0F0);
        px = x;
        py = y;
    }
    return WritePngRgb(path, c.rgb.data(), c.w, c.h);
}

// ---- parts of the mix -------------------------------------------------------

struct Part {
    const char *name;
    std::vector<int> channels;
};

void MeasureParts(const std::vector<uint8_t> &bytes, int fromOrder, int toOrder)
{
    static const Part kParts[] = {
        {"kick", {kChKick}},  {"snare, clap", {kChSnare}}, {"hats", {kChHat}},
        {"perc", {kChPerc}},  {"bass", {kChBass}},         {"pads", {kChPad1, kChPad2, kChPad3}},
        {"keys", {kChKeys1, kChKeys2, kChKeys3}},          {"lead, echo", {kChLead, kChEcho}},
        {"arp, bell", {kChArp, kChBell}},                  {"crash, fx", {kChCrash, kChFx}},
    };
    std::printf("\nparts alone, orders %d to %d (mean K-weighted loudness, sample peak, share of the part's energy"
                " in two bands):\n",
                fromOrder, toOrder);
    const double seconds = MusicSeconds((toOrder - fromOrder + 1) * kMusicRowsPerOrder);
    for (const Part &p : kParts) {
        openmpt_module_ext *m = Load(bytes);
        openmpt_module_ext_interface_interactive it{};
        if (!m || !openmpt_module_ext_get_interface(m, LIBOPENMPT_EXT_C_INTERFACE_INTERACTIVE, &it, sizeof it)) {
            std::fprintf(stderr, "musicmeter: no interactive interface\n");
            return;
        }
        for (int ch = 0; ch < kChCount; ++ch)
            it.set_channel_mute_status(m, ch, std::find(p.channels.begin(), p.channels.end(), ch) == p.channels.end());
        openmpt_module *mod = openmpt_module_ext_get_module(m);
        openmpt_module_set_position_order_row(mod, fromOrder, 0);
        const std::vector<float> audio = Render(mod, seconds);
        const LoudnessReport r = MeasureLoudness(audio);
        double power = 0;
        size_t n = 0;
        for (double st : r.shortTerm)
            if (st > -70) {
                power += std::pow(10.0, st / 10.0);
                ++n;
            }
        std::printf("  %-12s %7.1f LUFS  %6.1f dBFS   above 200 Hz %6.1f dB, 1-5 kHz %6.1f dB\n", p.name,
                    n ? 10.0 * std::log10(power / double(n)) : -120.0, r.samplePeak,
                    BandEnergyShare(audio, 200, kLoudnessRate), BandEnergyShare(audio, 1000, 5000));
        openmpt_module_ext_destroy(m);
    }
}

int Usage()
{
    std::fprintf(stderr, "usage: musicmeter [--module FILE.it] [--png FILE.png] [--parts FROM_ORDER TO_ORDER]\n");
    return 2;
}

} // namespace

int main(int argc, char **argv)
{
    std::string modulePath, pngPath;
    int partsFrom = -1, partsTo = -1;
    for (int i = 1; i < argc; ++i) {
        if (!std::strcmp(argv[i], "--module") && i + 1 < argc)
            modulePath = argv[++i];
        else if (!std::strcmp(argv[i], "--png") && i + 1 < argc)
            pngPath = argv[++i];
        else if (!std::strcmp(argv[i], "--parts") && i + 2 < argc) {
            partsFrom = std::atoi(argv[++i]);
            partsTo = std::atoi(argv[++i]);
        } else
            return Usage();
    }
    std::vector<uint8_t> bytes;
    if (modulePath.empty()) {
        std::string error;
        if (!BuildSoundtrack(bytes, error)) {
            std::fprintf(stderr, "musicmeter: cannot build the module: %s\n", error.c_str());
            return 1;
        }
    } else {
        std::ifstream f(modulePath, std::ios::binary);
        bytes.assign(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
        if (bytes.empty()) {
            std::fprintf(stderr, "musicmeter: cannot read %s\n", modulePath.c_str());
            return 1;
        }
    }
    openmpt_module_ext *m = Load(bytes);
    if (!m) {
        std::fprintf(stderr, "musicmeter: the module does not load\n");
        return 1;
    }
    const std::vector<float> audio = Render(openmpt_module_ext_get_module(m), 3600.0);
    openmpt_module_ext_destroy(m);
    const LoudnessReport r = MeasureLoudness(audio);
    const std::vector<StepLoudness> steps = MeasureSteps(r);

    const Centroids centroids = MeasureCentroids(audio);
    std::printf("step  from    to      seconds  energy  loudness (median short-term LUFS)  sample peak (dBFS)  "
                "centroid (Hz)\n");
    for (const StepLoudness &s : steps) {
        double peak = 1e-9;
        for (size_t i = size_t(s.from * kLoudnessRate) * 2; i < size_t(s.to * kLoudnessRate) * 2 && i < audio.size(); ++i)
            peak = std::max(peak, double(std::fabs(audio[i])));
        std::printf("%4d  %-6s  %-6s  %6.2f   %4d    %6.1f   %6.1f   %6.0f%s\n", s.step, Position(s.from).c_str(),
                    Position(s.to).c_str(), s.to - s.from, s.energy, s.loudness, 20.0 * std::log10(peak),
                    CentroidBetween(centroids, s.from, s.to), s.to - s.from < 5.0 ? "  (short)" : "");
    }
    double quiet = 0, loud = -120;
    bool first = true;
    for (const StepLoudness &s : steps)
        if (s.to - s.from >= 5.0) {
            quiet = first ? s.loudness : std::min(quiet, s.loudness);
            loud = std::max(loud, s.loudness);
            first = false;
        }
    size_t peakAt = 0;
    for (size_t i = 0; i < audio.size(); ++i)
        if (std::fabs(audio[i]) > std::fabs(audio[peakAt]))
            peakAt = i;
    std::printf("\nrendered %.2f s; the sample peak is at %s\n", double(audio.size() / 2) / kLoudnessRate,
                Position(double(peakAt / 2) / kLoudnessRate).c_str());
    std::printf("integrated %.1f LUFS, loudness range %.1f LU, true peak %.2f dBTP, sample peak %.2f dBFS\n",
                r.integrated, r.range, r.truePeak, r.samplePeak);
    std::printf("steps of 5 s or more: quietest %.1f LUFS, loudest %.1f LUFS, rank correlation with the plan %.3f\n",
                quiet, loud, PlanCorrelation(steps, 5.0));
    std::printf("spectral centroid of the whole song %.0f Hz\n", CentroidBetween(centroids, 0, 1e9));
    std::printf("spectrum (share of the mono energy): below 200 Hz %.1f dB, 200 Hz-1 kHz %.1f dB, 1-5 kHz %.1f dB, "
                "5-16 kHz %.1f dB, above 16 kHz %.1f dB\n",
                BandEnergyShare(audio, 0, 200), BandEnergyShare(audio, 200, 1000), BandEnergyShare(audio, 1000, 5000),
                BandEnergyShare(audio, 5000, 16000), BandEnergyShare(audio, 16000, kLoudnessRate));
    if (!pngPath.empty()) {
        if (!DrawPicture(r, steps, pngPath)) {
            std::fprintf(stderr, "musicmeter: cannot write %s\n", pngPath.c_str());
            return 1;
        }
        std::printf("picture: %s\n", pngPath.c_str());
    }
    if (partsFrom >= 0)
        MeasureParts(bytes, partsFrom, std::max(partsFrom, partsTo));
    return 0;
}
