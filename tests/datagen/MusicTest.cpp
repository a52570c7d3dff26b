// The soundtrack through libopenmpt: shape, timing, end, loudness floor and
// peak of the rendered audio, its loudness against the plan, the calm loop,
// determinism; the IT writer's limits and its packed patterns read back by a
// real player.
#include "ItWriter.h"
#include "Music.h"
#include "MusicLoudness.h"
#include "MusicSynth.h"

#include <libopenmpt/libopenmpt.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <string>
#include <vector>

namespace {

struct ModuleDeleter {
    void operator()(openmpt_module *m) const { openmpt_module_destroy(m); }
};
using ModulePtr = std::unique_ptr<openmpt_module, ModuleDeleter>;

ModulePtr Load(const std::vector<uint8_t> &bytes)
{
    ModulePtr m(openmpt_module_create_from_memory2(bytes.data(), bytes.size(), nullptr, nullptr, nullptr, nullptr,
                                                   nullptr, nullptr, nullptr));
    if (m)
        openmpt_module_ctl_set_integer(m.get(), "dither", 0);
    return m;
}

constexpr int kRate = kLoudnessRate;
constexpr double kOrderSeconds = 64.0 * kMusicSpeed * 2.5 / kMusicTempo; // 7.68 s

// Per-order figures of one rendering.
struct OrderLevels {
    std::vector<double> sumSquares, frames;
    double peak = 0;
};

// Renders from the current position until the song ends or `maxSeconds`;
// keeps the interleaved audio in `audio` when given.
OrderLevels Render(openmpt_module *m, double maxSeconds, std::vector<float> *audio = nullptr)
{
    OrderLevels lv;
    lv.sumSquares.assign(kMusicOrders, 0.0);
    lv.frames.assign(kMusicOrders, 0.0);
    std::vector<float> buf(2 * 512);
    double seconds = 0;
    while (seconds < maxSeconds) {
        const int order = openmpt_module_get_current_order(m);
        const size_t n = openmpt_module_read_interleaved_float_stereo(m, kRate, 512, buf.data());
        if (n == 0)
            break;
        seconds += double(n) / kRate;
        if (audio)
            audio->insert(audio->end(), buf.begin(), buf.begin() + std::ptrdiff_t(2 * n));
        for (size_t i = 0; i < 2 * n; ++i) {
            lv.peak = std::fmax(lv.peak, std::fabs(double(buf[i])));
            if (order >= 0 && order < kMusicOrders) {
                lv.sumSquares[size_t(order)] += double(buf[i]) * double(buf[i]);
                lv.frames[size_t(order)] += 1;
            }
        }
    }
    return lv;
}

double Db(double v) { return 20.0 * std::log10(std::fmax(v, 1e-12)); }
double RmsDb(const OrderLevels &lv, int order)
{
    const size_t o = size_t(order);
    return lv.frames[o] > 0 ? 10.0 * std::log10(std::fmax(lv.sumSquares[o] / lv.frames[o], 1e-24)) : -240.0;
}

// The song is built and rendered once for all of these checks (a rendering
// takes seconds): shape, timing, end, audibility, loudness against the
// plan, the calm loop, determinism.
TEST(Soundtrack, BuiltRenderedAndMeasured)
{
    std::vector<uint8_t> bytes;
    std::string error;
    ASSERT_TRUE(BuildSoundtrack(bytes, error)) << error;
    OrderLevels song;
    LoudnessReport loudness;
    double highShare = 0;
    {
        ModulePtr m = Load(bytes);
        ASSERT_TRUE(m);
        std::vector<float> audio;
        song = Render(m.get(), 600.0, &audio);
        loudness = MeasureLoudness(audio);
        highShare = BandEnergyShare(audio, 16000, kLoudnessRate);
    }
    {
        SCOPED_TRACE("OrdersOf64RowsAtSpeed6Tempo125");
        ModulePtr m = Load(bytes);
        ASSERT_TRUE(m);
        EXPECT_EQ(openmpt_module_get_num_orders(m.get()), kMusicOrders);
        EXPECT_EQ(openmpt_module_get_current_speed(m.get()), 6);
        EXPECT_EQ(openmpt_module_get_current_tempo(m.get()), 125);
        for (int o = 0; o < kMusicOrders; ++o) {
            const int p = openmpt_module_get_order_pattern(m.get(), o);
            EXPECT_EQ(openmpt_module_get_pattern_num_rows(m.get(), p), 64) << "order " << o;
        }
    }

    {
        SCOPED_TRACE("EndsRightAfterTheDemosLastPosition");
        ModulePtr m = Load(bytes);
        ASSERT_TRUE(m);
        const double duration = openmpt_module_get_duration_seconds(m.get());
        EXPECT_NEAR(duration, kMusicSongOrders * kOrderSeconds, 0.05);
        // 53:60, where the demo's last step ends, is inside the song...
        openmpt_module_set_position_seconds(m.get(), (53 * 64 + 60) * kOrderSeconds / 64.0 + 0.01);
        EXPECT_EQ(openmpt_module_get_current_order(m.get()), 53);
        EXPECT_NEAR(openmpt_module_get_current_row(m.get()), 60, 1);
        // ...and the rendering plays orders 0 to 53 once, never the calm loop,
        // and stops within a second of 54:00.
        for (int o = 0; o < kMusicOrders; ++o) {
            if (o < kMusicSongOrders)
                EXPECT_NEAR(song.frames[size_t(o)] / 2.0 / kRate, kOrderSeconds, 0.2) << "order " << o;
            else
                EXPECT_EQ(song.frames[size_t(o)], 0.0) << "order " << o;
        }
        double rendered = 0;
        for (double f : song.frames)
            rendered += f / 2.0 / kRate;
        EXPECT_NEAR(rendered, duration, 1.0);
    }

    {
        SCOPED_TRACE("EveryOrderAfterTheIntroIsAudible");
        // The intro (order 0) may be quiet; every later order must carry real
        // sound: a silent-file trap (zero volumes, disabled channels) fails here.
        EXPECT_GT(RmsDb(song, 0), -50.0);
        for (int o = 1; o < kMusicSongOrders; ++o)
            EXPECT_GT(RmsDb(song, o), -30.0) << "order " << o;
    }

    {
        SCOPED_TRACE("LoudnessHasHeadroomAndABroadcastLevel");
        EXPECT_GE(loudness.integrated, -16.0);
        EXPECT_LE(loudness.integrated, -13.0);
        EXPECT_LE(loudness.truePeak, -1.0);
        EXPECT_GT(Db(song.peak), -9.0) << "the peak is not far too quiet either";
        EXPECT_LE(highShare, -32.0) << "little hiss above 16 kHz";
    }

    {
        SCOPED_TRACE("LoudnessOfEveryStepFollowsThePlan");
        const std::vector<StepLoudness> steps = MeasureSteps(loudness);
        ASSERT_EQ(steps.size(), size_t(kMusicSteps));
        EXPECT_GE(PlanCorrelation(steps, 5.0), 0.8);
        double quietest = 0, loudest = -120;
        for (const StepLoudness &s : steps)
            if (s.to - s.from >= 5.0) {
                quietest = std::min(quietest, s.loudness);
                loudest = std::max(loudest, s.loudness);
            }
        EXPECT_LE(quietest, -22.0);
        EXPECT_GE(loudest, -13.0);
        // where the plan changes from one long step to the next, the music
        // changes its loudness the same way
        for (size_t i = 1; i < steps.size(); ++i) {
            const StepLoudness &a = steps[i - 1], &b = steps[i];
            if (a.to - a.from < 5.0 || b.to - b.from < 5.0 || a.energy == b.energy)
                continue;
            if (b.energy > a.energy)
                EXPECT_GT(b.loudness, a.loudness) << "lift into step " << b.step;
            else
                EXPECT_LT(b.loudness, a.loudness) << "drop into step " << b.step;
        }
    }

    {
        SCOPED_TRACE("CalmLoopPlaysAfterJumpingToOrder60AndLoops");
        ModulePtr m = Load(bytes);
        ASSERT_TRUE(m);
        openmpt_module_set_position_order_row(m.get(), 60, 0);
        const OrderLevels lv = Render(m.get(), 5 * kOrderSeconds);
        for (int o : {60, 61, 62, 63})
            EXPECT_GT(RmsDb(lv, o), -30.0) << "order " << o;
        EXPECT_GT(lv.frames[kMusicLoopStart], 0.0) << "order 63 goes on to the loop's start";
        EXPECT_LT(Db(lv.peak), -1.0);
    }

    {
        SCOPED_TRACE("GenerationIsDeterministic");
        std::vector<uint8_t> again;
        ASSERT_TRUE(BuildSoundtrack(again, error)) << error;
        EXPECT_EQ(again, bytes);
    }
}

TEST(MusicSin, MatchesTheLibraryWithinRounding)
{
    for (int i = -100; i <= 100; ++i) {
        const double turns = i * 0.0137;
        EXPECT_NEAR(MusicSin(turns), std::sin(turns * 2.0 * 3.14159265358979323846), 1e-12) << turns;
    }
}

// A one-channel module with one looping sample.
ItModule TinyModule()
{
    ItModule m;
    m.channels = 2;
    for (int c = 0; c < 2; ++c) {
        m.channelPan[c] = 32;
        m.channelVolume[c] = 64;
    }
    ItSample s;
    s.name = "square";
    for (int i = 0; i < 64; ++i)
        s.data.push_back(i < 32 ? 12000 : -12000);
    s.c5speed = 16744;
    s.loop = true;
    s.loopEnd = 64;
    m.samples.push_back(s);
    ItInstrument ins;
    ins.volumeEnvelope.enabled = true;
    ins.volumeEnvelope.points = {{64, 0}, {64, 4}, {0, 10}};
    ins.volumeEnvelope.sustainPoint = 1;
    m.instruments.push_back(ins);
    ItPattern p;
    p.channels = 2;
    p.cells.assign(size_t(64 * 2), ItCell{});
    for (int r = 0; r < 64; r += 4) {
        p.At(r, 0) = ItCell{uint8_t(48 + r / 4), 1, uint8_t(40 + r / 4), kItCmdNone, 0};
        p.At(r + 2, 0).note = kItNoteOff;
    }
    p.At(5, 1) = ItCell{72, 1, 20, kItCmdVibrato, 0x44};
    m.patterns.push_back(p);
    m.orders = {0, 0};
    return m;
}

TEST(ItWriter, PackedCellsReadBackThroughAPlayer)
{
    std::vector<uint8_t> bytes;
    std::string error;
    ASSERT_TRUE(WriteItModule(TinyModule(), bytes, error)) << error;
    ModulePtr m = Load(bytes);
    ASSERT_TRUE(m);
    EXPECT_EQ(openmpt_module_get_num_orders(m.get()), 2);
    EXPECT_EQ(openmpt_module_get_num_channels(m.get()), 2);
    auto cell = [&m](int row, int ch, int what) {
        return openmpt_module_get_pattern_row_channel_command(m.get(), 0, row, ch, what);
    };
    for (int r = 0; r < 64; r += 4) {
        // the player counts notes from 1 (C-0 = 1)
        EXPECT_EQ(cell(r, 0, OPENMPT_MODULE_COMMAND_NOTE), 48 + r / 4 + 1);
        EXPECT_EQ(cell(r, 0, OPENMPT_MODULE_COMMAND_INSTRUMENT), 1);
        EXPECT_EQ(cell(r, 0, OPENMPT_MODULE_COMMAND_VOLUME), 40 + r / 4);
        EXPECT_EQ(cell(r + 2, 0, OPENMPT_MODULE_COMMAND_NOTE), 255);
    }
    EXPECT_EQ(cell(5, 1, OPENMPT_MODULE_COMMAND_NOTE), 73);
    EXPECT_EQ(cell(5, 1, OPENMPT_MODULE_COMMAND_PARAMETER), 0x44);
    // and it sounds: not one of the silent traps
    const OrderLevels lv = Render(m.get(), 20.0);
    EXPECT_GT(RmsDb(lv, 0), -30.0);
}

TEST(ItWriter, RefusesModulesOutsideTheFormat)
{
    const std::pair<const char *, void (*)(ItModule &)> breaks[] = {
        {"no such sample", [](ItModule &m) { m.instruments[0].sample = 2; }},
        {"envelope not rising", [](ItModule &m) { m.instruments[0].volumeEnvelope.points[2].tick = 4; }},
        {"no such pattern", [](ItModule &m) { m.orders.push_back(3); }},
        {"loop past the data", [](ItModule &m) { m.samples[0].loopEnd = 65; }},
        {"volume over 64", [](ItModule &m) { m.patterns[0].At(3, 0).volume = 65; }},
    };
    for (const auto &b : breaks) {
        ItModule m = TinyModule();
        b.second(m);
        std::vector<uint8_t> bytes;
        std::string error;
        EXPECT_FALSE(WriteItModule(m, bytes, error)) << b.first;
        EXPECT_FALSE(error.empty()) << b.first;
        EXPECT_TRUE(bytes.empty()) << b.first << ": nothing is written on failure";
    }
}

} // namespace
