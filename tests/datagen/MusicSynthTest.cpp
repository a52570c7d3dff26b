// The synthesised instruments: in tune, loops that join cleanly, ends that
// do not click, levels that use the 16 bits; and the score helpers that
// place melodies and parse chords.
#include "MusicScore.h"
#include "MusicSynth.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>

namespace {

const ItModule &Instruments()
{
    static const ItModule m = [] {
        ItModule x;
        AddMusicInstruments(x);
        return x;
    }();
    return m;
}

// Normalised correlation of the sample with itself `lag` samples later.
double Correlation(const std::vector<int16_t> &d, size_t from, size_t to, size_t lag)
{
    double xy = 0, xx = 0, yy = 0;
    for (size_t i = from; i + lag < to; ++i) {
        const double x = d[i], y = d[i + lag];
        xy += x * y;
        xx += x * x;
        yy += y * y;
    }
    return xy / std::sqrt(xx * yy + 1e-9);
}

TEST(MusicSynth, SamplesUseTheRangeAndUnloopedOnesEndInSilence)
{
    ASSERT_EQ(Instruments().samples.size(), size_t(kInsCount));
    for (const ItSample &s : Instruments().samples) {
        int peak = 0;
        for (int16_t v : s.data)
            peak = std::max(peak, std::abs(int(v)));
        EXPECT_GT(peak, 16000) << s.name;
        if (!s.loop) {
            EXPECT_LT(std::abs(int(s.data.back())), 330) << s.name << " ends with a click";
        }
    }
}

TEST(MusicSynth, LoopsJoinWithoutAStep)
{
    for (const ItSample &s : Instruments().samples) {
        if (!s.loop)
            continue;
        ASSERT_LT(s.loopStart, s.loopEnd);
        ASSERT_LE(s.loopEnd, s.data.size());
        // the step across the join is no bigger than the largest step inside
        int largest = 0;
        for (size_t i = s.loopStart + 1; i < s.loopEnd; ++i)
            largest = std::max(largest, std::abs(int(s.data[i]) - int(s.data[i - 1])));
        const int join = std::abs(int(s.data[s.loopStart]) - int(s.data[s.loopEnd - 1]));
        EXPECT_LE(join, largest) << s.name;
    }
}

TEST(MusicSynth, TonalInstrumentsSoundC5AtNoteC5)
{
    // (the bell is left out: its FM partials are inharmonic by design)
    for (int ins : {kInsBass, kInsPad, kInsLead, kInsPluck, kInsKeys}) {
        const ItSample &s = Instruments().samples[size_t(ins - 1)];
        const double period = double(s.c5speed) / kMusicC5Hz;
        const size_t lag = size_t(std::floor(period + 0.5));
        const size_t to = s.loop ? s.loopEnd : std::min(s.data.size(), size_t(4 * s.c5speed / 10));
        const size_t from = s.loop && to - s.loopStart > 4 * lag ? s.loopStart : 0;
        // one period later the wave repeats; half a period later it does not
        EXPECT_GT(Correlation(s.data, from, to, lag), 0.8) << s.name;
        EXPECT_LT(Correlation(s.data, from, to, lag / 2), 0.5) << s.name;
    }
}

TEST(MusicScore, ChordsParseNamesWithFlatsSharpsAndMinor)
{
    const std::vector<Chord> c = ParseChords("Dm Bb F# C");
    ASSERT_EQ(c.size(), 4u);
    EXPECT_EQ(c[0].root, 2);
    EXPECT_TRUE(c[0].minor);
    EXPECT_EQ(c[1].root, 10);
    EXPECT_FALSE(c[1].minor);
    EXPECT_EQ(c[2].root, 6);
    EXPECT_EQ(c[3].root, 0);
    EXPECT_EQ(c[0].Tone(1), 5); // F, the minor third of D
    EXPECT_EQ(c[1].Tone(1), 14); // D, the major third of Bb
    // fewer than four chords: the last one fills the order
    const std::vector<Chord> two = ParseChords("Gm A");
    ASSERT_EQ(two.size(), 4u);
    EXPECT_EQ(two[3].root, 9);
}

TEST(MusicScore, MelodyPlacesNotesRestsAndEcho)
{
    Score s;
    s.Resize(1);
    const int end = PlaceMelody(s, kChLead, 4, "A-5:6 C#6:2 r:4 D-4:1", kInsLead, 40, 0, kChEcho, 3, 16);
    EXPECT_EQ(end, 4 + 6 + 2 + 4 + 1);
    EXPECT_EQ(s.At(4, kChLead).note, 69);
    EXPECT_EQ(s.At(4, kChLead).volume, 40);
    EXPECT_EQ(s.At(10, kChLead).note, 73);  // C#6
    EXPECT_EQ(s.At(12, kChLead).note, kItNoteOff); // the rest
    EXPECT_EQ(s.At(16, kChLead).note, 50);  // D-4
    EXPECT_EQ(s.At(17, kChLead).note, kItNoteOff);
    EXPECT_EQ(s.At(7, kChEcho).note, 69);
    EXPECT_EQ(s.At(7, kChEcho).volume, 16);
    EXPECT_EQ(s.At(15, kChEcho).note, kItNoteOff);
    // a later note wins over an earlier note-off, never the other way round
    s.Off(kChLead, 4);
    EXPECT_EQ(s.At(4, kChLead).note, 69);
}

TEST(MusicScore, IdenticalOrdersShareOnePattern)
{
    Score s;
    s.Resize(3);
    s.Note(kChKick, 0, 60, kInsKick, 50);
    s.Note(kChKick, 64, 60, kInsKick, 50);
    s.Note(kChKick, 128, 62, kInsKick, 50);
    ItModule m;
    ScoreToModule(s, m);
    EXPECT_EQ(m.patterns.size(), 2u);
    ASSERT_EQ(m.orders.size(), 3u);
    EXPECT_EQ(m.orders[0], m.orders[1]);
    EXPECT_NE(m.orders[1], m.orders[2]);
    EXPECT_EQ(m.channels, int(kChCount));
}

} // namespace
