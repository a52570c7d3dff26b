// The soundtrack's arrangement: the harmony of every order, the sections
// (which follow the demo's timeline: a section changes where a scene or
// sub-scene changes), and the layers written from them: drums, bass, pads,
// keys, arpeggios, bells, lead with echo, fills, risers and accents.
#include "Datagen.h"
#include "DataFile.h"
#include "Music.h"
#include "MusicScore.h"
#include "MusicSynth.h"

#include <cstdio>

// The energy of every timeline step, from what the viewer sees.
const MusicStep kMusicPlan[kMusicSteps] = {
    {100, 1},  //  1 black screen
    {200, 2},  //  2 the title quivers in
    {230, 2},  //  3 the title glows
    {300, 3},  //  4 the title burns in swirling fire
    {450, 3},  //  5 splot
    {630, 3},  //  6 splot under light beams
    {800, 4},  //  7 spirals grow
    {900, 3},  //  8 spirals shrink, the title fades
    {1140, 3}, //  9 spirals turn at random in the feedback
    {1200, 2}, // 10 spirals shrink away
    {1420, 3}, // 11 bump mapping with lens flares
    {1500, 2}, // 12 bump mapping fades
    {1510, 2}, // 13 water assembles
    {1600, 2}, // 14 first drops
    {1800, 3}, // 15 the bar, drops everywhere
    {1900, 3}, // 16 the bar again, calm water
    {2000, 3}, // 17 the water flies apart
    {2020, 4}, // 18 white flash over the landscape
    {2330, 4}, // 19 flight down into the landscape
    {2430, 3}, // 20 the camera settles
    {2500, 2}, // 21 the landscape melts away
    {2700, 2}, // 22 trees grow
    {2732, 3}, // 23 swirling fire
    {2932, 5}, // 24 particle fire
    {2820, 5}, // 25 (no time)
    {3000, 5}, // 26 particle fire
    {3100, 3}, // 27 a water curtain falls over the fire
    {3200, 3}, // 28 a picture pressed into the water
    {3410, 3}, // 29 water and fire
    {3430, 3}, // 30 the curtain rises over the warped background
    {3500, 3}, // 31 warped background
    {3700, 3}, // 32 glass dolphin
    {3800, 4}, // 33 the dolphin turns to metal
    {3900, 4}, // 34 metal dolphin
    {3940, 3}, // 35 the dolphin swims away
    {4100, 4}, // 36 helix
    {4230, 4}, // 37 the man in the helix
    {4620, 5}, // 38 points stream over the man: the climax
    {4900, 5}, // 39 white-out, then fade to black
    {5350, 2}, // 40 scroller
    {5360, 1}, // 41 the end
};

namespace {

constexpr int Pos(int order, int row) { return order * 64 + row; }

// Harmony, one line an order, one chord a bar. D minor; the water, the
// curtain and the glass dolphin turn to the relative major (F); the climax
// rises a tone to E minor; the scroller comes home to D minor.
const char *const kHarmony[kMusicOrders] = {
    "Dm Dm Bb Bb", "Dm Bb F C",   "Dm Bb F C",   "Dm Bb F C",   "Dm Bb F C",     // 0-4 intro, title, splot
    "Dm Bb F C",   "Dm Bb Gm A",  "Gm Bb Dm A",  "Gm Bb Dm A",  "Gm Bb Dm A",    // 5-9 beams, spirals
    "Dm Bb F C",   "Dm Bb Gm A",  "Dm C Bb A",   "Dm C Bb A",   "Dm C Bb A",     // 10-14 spirals, bump
    "F Am Bb C",   "F Am Bb C",   "F Am Bb C",   "F Am Bb C",   "Gm Bb C A",     // 15-19 water (F major)
    "Dm Bb F C",   "Dm Bb F C",   "Gm Bb Dm A",  "Dm Bb F C",   "Bb Bb C C",     // 20-24 landscape
    "Dm Am Bb F",  "Dm Am Bb F",  "Gm Bb A A",   "Dm Bb Gm A",  "Dm Bb Gm A",    // 25-29 trees, fire
    "Dm C Bb A",   "F Am Bb C",   "Gm Bb Dm A",  "Gm Bb Dm A",  "Gm Bb A A",     // 30-34 curtain
    "F Am Bb C",   "F Am Bb C",   "Gm Bb Dm A",  "Gm Bb Dm A",  "Gm Bb A A",     // 35-39 dolphin
    "Dm Dm Bb Bb", "Dm Dm Bb C",  "Gm Bb C B",   "Em C G D",    "Em C G D",      // 40-44 helix, man, climax (E minor)
    "Am C Em B",   "Em C G D",    "Em C G D",    "Gm Bb A A",   "Dm Am Bb F",    // 45-49 white-out, scroller
    "F Am Bb C",   "Dm Bb F C",   "Gm Bb C A",   "Dm Dm Dm Dm",                  // 50-53 scroller, end
    "Dm Bb F C",   "Gm Bb Dm A",  "Dm Bb F C",   "Gm Bb Dm A",  "F Am Bb C",     // 54-58 calm loop
    "Gm Bb Dm A",  "Dm Bb F C",   "Gm Bb Dm A",  "F Am Bb C",   "Gm Bb A A",     // 59-63
};

// How each layer plays in a section.
enum Drums : uint8_t { kDrNone, kDrPulse, kDrFull, kDrBreak, kDrHalf, kDrSparse, kDrDrive };
enum BassStyle : uint8_t { kBsNone, kBsHeld, kBsEighths, kBsGroove, kBsQuarters, kBsOffbeat };
enum PadStyle : uint8_t { kPdNone, kPdPad, kPdKeys, kPdBoth };
enum ArpStyle : uint8_t { kArNone, kArSixteenths, kArEighths, kArDropsSparse, kArDropsDense };

struct Section {
    int start;      // global row where the section begins
    Drums drums;
    BassStyle bass;
    PadStyle pad;
    ArpStyle arp;
    int energy;     // 0: the planned energy of the timeline step; else 1 to 5 for a change inside a step
};

// The sections: every timeline step begins one (the arrangement follows the
// plan's energy: 1 pad alone, 2 sparse, 3 half time or a light groove, 4 the
// full groove, 5 the driving climax); a few more change inside a step.
const Section kSections[] = {
    {Pos(0, 0), kDrNone, kBsNone, kPdPad, kArNone, 0},              // black
    {Pos(1, 0), kDrNone, kBsHeld, kPdPad, kArDropsSparse, 0},       // title quivers
    {Pos(2, 0), kDrSparse, kBsHeld, kPdPad, kArEighths, 0},         // title glows
    {Pos(2, 30), kDrPulse, kBsEighths, kPdPad, kArSixteenths, 0},   // swirl fire
    {Pos(3, 0), kDrHalf, kBsEighths, kPdPad, kArEighths, 0},        // splot
    {Pos(4, 50), kDrBreak, kBsGroove, kPdPad, kArSixteenths, 0},    // light beams
    {Pos(6, 30), kDrFull, kBsGroove, kPdPad, kArSixteenths, 0},     // spirals grow
    {Pos(8, 0), kDrHalf, kBsHeld, kPdPad, kArSixteenths, 0},        // spirals shrink
    {Pos(9, 0), kDrBreak, kBsGroove, kPdPad, kArEighths, 0},        // spirals
    {Pos(11, 40), kDrNone, kBsHeld, kPdPad, kArNone, 0},            // spirals fade
    {Pos(12, 0), kDrBreak, kBsGroove, kPdPad, kArEighths, 0},       // bump mapping
    {Pos(14, 20), kDrNone, kBsHeld, kPdPad, kArDropsSparse, 0},     // bump mapping ends
    {Pos(15, 0), kDrNone, kBsNone, kPdPad, kArNone, 0},             // water assembles
    {Pos(15, 10), kDrNone, kBsHeld, kPdPad, kArDropsSparse, 0},     // random drops
    {Pos(16, 0), kDrHalf, kBsQuarters, kPdPad, kArDropsDense, 0},   // drops and bar
    {Pos(18, 0), kDrHalf, kBsGroove, kPdPad, kArDropsSparse, 0},    // water, calm
    {Pos(19, 0), kDrPulse, kBsEighths, kPdPad, kArSixteenths, 0},   // water flies apart
    {Pos(20, 0), kDrNone, kBsHeld, kPdPad, kArNone, 0},             // white flash
    {Pos(20, 20), kDrFull, kBsEighths, kPdPad, kArSixteenths, 0},   // landscape descent
    {Pos(23, 30), kDrHalf, kBsHeld, kPdPad, kArSixteenths, 0},      // camera settles
    {Pos(24, 30), kDrNone, kBsNone, kPdPad, kArDropsSparse, 0},     // landscape fades
    {Pos(25, 0), kDrSparse, kBsHeld, kPdKeys, kArNone, 0},          // trees grow
    {Pos(27, 0), kDrPulse, kBsEighths, kPdPad, kArSixteenths, 0},   // swirl fire
    {Pos(27, 32), kDrDrive, kBsOffbeat, kPdBoth, kArSixteenths, 0}, // particle fire
    {Pos(30, 0), kDrHalf, kBsGroove, kPdPad, kArDropsDense, 0},     // curtain falls
    {Pos(32, 0), kDrBreak, kBsEighths, kPdPad, kArEighths, 0},      // water and fire
    {Pos(34, 10), kDrNone, kBsHeld, kPdPad, kArDropsSparse, 0},     // curtain rises
    {Pos(34, 30), kDrNone, kBsHeld, kPdPad, kArEighths, 0},         // warped background
    {Pos(35, 0), kDrHalf, kBsHeld, kPdBoth, kArDropsSparse, 0},     // dolphin
    {Pos(37, 0), kDrFull, kBsGroove, kPdPad, kArSixteenths, 0},     // dolphin, metal
    {Pos(38, 0), kDrFull, kBsEighths, kPdPad, kArSixteenths, 0},    // dolphin, metal
    {Pos(39, 0), kDrPulse, kBsEighths, kPdPad, kArEighths, 0},      // dolphin leaves
    {Pos(39, 40), kDrFull, kBsGroove, kPdPad, kArSixteenths, 0},    // helix
    {Pos(41, 0), kDrFull, kBsGroove, kPdPad, kArSixteenths, 0},     // the man
    {Pos(42, 16), kDrNone, kBsHeld, kPdPad, kArNone, 0},            // the break before the climax
    {Pos(42, 30), kDrDrive, kBsOffbeat, kPdBoth, kArSixteenths, 0}, // points on the man: climax
    {Pos(46, 20), kDrDrive, kBsOffbeat, kPdBoth, kArSixteenths, 0}, // white-out
    {Pos(48, 0), kDrNone, kBsHeld, kPdPad, kArNone, 2},             // fade to black
    {Pos(49, 0), kDrSparse, kBsHeld, kPdBoth, kArDropsSparse, 0},   // scroller
    {Pos(50, 0), kDrSparse, kBsEighths, kPdPad, kArEighths, 0},     // scroller
    {Pos(53, 0), kDrNone, kBsHeld, kPdPad, kArNone, 0},             // last chord
    {Pos(54, 0), kDrSparse, kBsHeld, kPdBoth, kArDropsSparse, 2},   // calm loop
};
constexpr int kSectionCount = int(sizeof kSections / sizeof kSections[0]);

// Planned energy of the timeline step playing at global row g.
int PlannedEnergy(int g)
{
    int start = 0;
    for (const MusicStep &st : kMusicPlan) {
        const int end = MusicRowOf(st.end);
        if (end > start && g < end)
            return st.energy;
        start = end > start ? end : start;
    }
    return kMusicPlan[kMusicSteps - 1].energy;
}

struct Playing {
    const Section *sec;
    int energy;
};

Playing SectionAt(int g)
{
    int i = 0;
    while (i + 1 < kSectionCount && kSections[i + 1].start <= g)
        ++i;
    return Playing{&kSections[i], kSections[i].energy ? kSections[i].energy : PlannedEnergy(g)};
}

// Deterministic choices (drops, ghost notes): a hash of the row.
uint32_t Hash(uint32_t x)
{
    x ^= x >> 16;
    x *= 0x7feb352dU;
    x ^= x >> 15;
    x *= 0x846ca68bU;
    x ^= x >> 16;
    return x;
}

// Cell volumes follow the energy, about 1 dB a level; the global volume
// (GlobalLevel) and the arrangement make the rest of the difference.
int Scaled(int volume, int energy)
{
    static const int kPercent[6] = {60, 66, 74, 82, 91, 100};
    const int v = volume * kPercent[energy < 0 ? 0 : energy > 5 ? 5 : energy] / 100;
    return v > 64 ? 64 : v;
}
int HatLevel(int volume, int energy) { return Scaled(volume, energy); }

// Rows that a fill takes over from the normal drums.
struct Fill {
    int start, end;
    bool build; // snare roll growing to the end (a build), else a tom fill
};

const Fill kFills[] = {
    {Pos(2, 32), Pos(3, 0), true},    {Pos(4, 48), Pos(4, 50), false}, {Pos(6, 24), Pos(6, 30), false},
    {Pos(8, 56), Pos(9, 0), false},   {Pos(10, 56), Pos(11, 0), false}, {Pos(11, 40), Pos(12, 0), true},
    {Pos(13, 56), Pos(14, 0), false}, {Pos(17, 56), Pos(18, 0), false}, {Pos(19, 32), Pos(20, 0), true},
    {Pos(22, 56), Pos(23, 0), false}, {Pos(26, 56), Pos(27, 0), false}, {Pos(27, 16), Pos(27, 32), true},
    {Pos(29, 48), Pos(30, 0), false},  {Pos(31, 56), Pos(32, 0), false}, {Pos(33, 56), Pos(34, 0), false},
    {Pos(36, 56), Pos(37, 0), false}, {Pos(37, 56), Pos(38, 0), false}, {Pos(38, 48), Pos(39, 0), false},
    {Pos(39, 24), Pos(39, 40), true}, {Pos(42, 22), Pos(42, 30), true}, {Pos(44, 56), Pos(45, 0), false},
    {Pos(45, 48), Pos(46, 0), false}, {Pos(46, 8), Pos(46, 20), true},
    {Pos(50, 56), Pos(51, 0), false}, {Pos(51, 56), Pos(52, 0), false}, {Pos(52, 48), Pos(53, 0), false},
};

const Fill *FillAt(int g)
{
    for (const Fill &f : kFills)
        if (g >= f.start && g < f.end)
            return &f;
    return nullptr;
}

void WriteFill(Score &s, const Fill &f, int g, int energy)
{
    const int len = f.end - f.start;
    const int i = g - f.start;
    if (f.build) {
        // eighths, then sixteenths in the last half, rising in volume
        const bool dense = i >= len / 2;
        if (dense || i % 2 == 0)
            s.Note(kChSnare, g, 60, kInsSnare, Scaled(26 + 34 * i / len, energy));
        if (i % 4 == 0)
            s.Note(kChKick, g, 60, kInsKick, Scaled(52, energy));
    } else {
        // toms falling in pitch, kick under the first
        static const int kTomNotes[4] = {67, 62, 57, 52};
        if (i % 2 == 0 || len <= 4)
            s.Note(kChPerc, g, kTomNotes[(i * 4 / len) & 3], kInsTom, Scaled(36, energy));
        if (i == 0)
            s.Note(kChKick, g, 60, kInsKick, Scaled(58, energy));
        if (i % 2 == 1)
            s.Note(kChSnare, g, 60, kInsSnare, Scaled(30 + 4 * i, energy));
    }
}

// A clap on the kick's beat, one tick (20 ms) late: the two transients
// follow each other instead of adding up into one peak, and the clap
// sits a little behind the beat.
void LaidBackClap(Score &s, int g, int volume)
{
    s.Note(kChSnare, g, 60, kInsClap, volume);
    s.Effect(kChSnare, g, kItCmdSpecial, 0xD1);
}

void WriteDrums(Score &s, int endRow)
{
    for (int g = 0; g < endRow; ++g) {
        const Playing now = SectionAt(g);
        const Section &sec = *now.sec;
        const int e = now.energy;
        if (const Fill *f = FillAt(g)) {
            WriteFill(s, *f, g, e);
            if (g % 2 == 0)
                s.Note(kChHat, g, 60, kInsHatClosed, HatLevel(26, e));
            continue;
        }
        const int r = g % 16;           // row in the bar
        const int bar = (g % 64) / 16;  // bar in the order
        const uint32_t h = Hash(uint32_t(g) * 7u + 1u);
        switch (sec.drums) {
        case kDrNone:
            break;
        case kDrSparse:
            if (r == 0)
                s.Note(kChKick, g, 60, kInsKick, Scaled(50, e));
            if (r % 4 == 2)
                s.Note(kChHat, g, 60, kInsHatClosed, HatLevel(22 + (r == 10 ? 8 : 0), e));
            if (bar % 2 == 1 && r == 8)
                s.Note(kChSnare, g, 60, kInsClap, Scaled(25, e));
            break;
        case kDrPulse:
            if (r % 4 == 0)
                s.Note(kChKick, g, 60, kInsKick, Scaled(58, e));
            if (r % 4 == 2)
                s.Note(kChHat, g, 60, kInsHatOpen, HatLevel(30, e));
            else if (r % 2 == 1 && (h & 3) == 0)
                s.Note(kChHat, g, 60, kInsHatClosed, HatLevel(16, e));
            break;
        case kDrFull:
            if (r % 4 == 0)
                s.Note(kChKick, g, 60, kInsKick, Scaled(r % 8 ? 42 : 60, e)); // lighter under the clap
            if (r == 4 || r == 12) {
                LaidBackClap(s, g, Scaled(42, e));
                s.Note(kChPerc, g, 60, kInsSnare, Scaled(34, e));
            }
            if (r % 4 == 2)
                s.Note(kChHat, g, 60, kInsHatOpen, HatLevel(30, e));
            else
                s.Note(kChHat, g, 60, kInsHatClosed, HatLevel(r % 2 ? 18 : 28, e));
            if (r == 15 && bar == 3)
                s.Note(kChSnare, g, 60, kInsSnare, Scaled(28, e));
            break;
        case kDrBreak:
            if (r == 0 || r == 6 || (r == 10 && bar % 2 == 1))
                s.Note(kChKick, g, 60, kInsKick, Scaled(64, e));
            if (r == 4 || r == 12)
                s.Note(kChSnare, g, 60, kInsSnare, Scaled(64, e));
            else if ((r == 7 || r == 15) && (h & 1))
                s.Note(kChSnare, g, 60, kInsSnare, Scaled(16, e));
            if (r % 2 == 0)
                s.Note(kChHat, g, 60, kInsHatClosed, HatLevel(r % 4 ? 20 : 30, e));
            if (r == 14 && bar == 3)
                s.Note(kChHat, g, 60, kInsHatOpen, HatLevel(28, e));
            break;
        case kDrDrive:
            // the full groove pushed: a syncopated extra kick, sixteenth hats
            // with accents, ghost snares before the backbeat
            if (r % 4 == 0 || (r == 14 && bar % 2 == 1))
                s.Note(kChKick, g, 60, kInsKick, Scaled(r % 8 == 0 ? 62 : r % 4 == 0 ? 42 : 38, e)); // lighter under the clap
            if (r == 4 || r == 12) {
                LaidBackClap(s, g, Scaled(47, e));
                s.Note(kChPerc, g, 60, kInsSnare, Scaled(32, e));
                s.Effect(kChPerc, g, kItCmdSpecial, 0xD2);
            } else if ((r == 7 || r == 11 || r == 15) && (h & 1))
                s.Note(kChPerc, g, 60, kInsSnare, Scaled(18, e));
            if (r % 4 == 2)
                s.Note(kChHat, g, 60, kInsHatOpen, HatLevel(34, e));
            else
                s.Note(kChHat, g, 60, kInsHatClosed, HatLevel(r % 2 ? 20 : 32, e));
            break;
        case kDrHalf:
            if (r == 0 || (r == 10 && bar % 2 == 0) || (r == 11 && bar % 2 == 1))
                s.Note(kChKick, g, 60, kInsKick, Scaled(64, e));
            if (r == 8)
                s.Note(kChSnare, g, 60, kInsSnare, Scaled(64, e));
            if (r % 2 == 0)
                s.Note(kChHat, g, 60, kInsHatClosed, HatLevel(r % 4 ? 18 : 26, e));
            break;
        }
    }
}

// Accents where a scene begins: a crash, and an impact on the big changes.
void WriteAccents(Score &s)
{
    struct Accent {
        int at;
        bool impact;
    };
    static const Accent kAccents[] = {
        {Pos(1, 0), true},    {Pos(2, 0), false},   {Pos(2, 30), false},  {Pos(3, 0), true},
        {Pos(4, 50), true},   {Pos(6, 30), true},   {Pos(8, 0), false},   {Pos(9, 0), true},
        {Pos(12, 0), true},   {Pos(14, 20), false}, {Pos(15, 0), true},   {Pos(16, 0), false},
        {Pos(18, 0), false},  {Pos(19, 0), false},  {Pos(20, 0), true},   {Pos(20, 20), true},
        {Pos(23, 30), false}, {Pos(24, 30), false}, {Pos(25, 0), true},   {Pos(27, 0), false},
        {Pos(27, 32), true},  {Pos(30, 0), true},   {Pos(31, 0), false},  {Pos(32, 0), true},
        {Pos(34, 10), false}, {Pos(34, 30), true},  {Pos(35, 0), false},  {Pos(37, 0), false},
        {Pos(38, 0), true},   {Pos(39, 0), false},  {Pos(39, 40), true},  {Pos(41, 0), true},
        {Pos(42, 16), false}, {Pos(42, 30), true},  {Pos(46, 20), true},  {Pos(48, 0), true},
        {Pos(49, 0), false},  {Pos(50, 0), false},  {Pos(53, 0), true},
    };
    for (const Accent &a : kAccents) {
        s.Note(kChCrash, a.at, 60, kInsCrash, 42);
        if (a.impact) {
            // the impact takes the kick's place: both at once only add peak
            s.Note(kChFx, a.at, 60, kInsBoom, 36);
            s.At(a.at, kChKick) = ItCell{};
        }
        else if (s.At(a.at, kChKick).note == kItNoteNone)
            s.Note(kChKick, a.at, 60, kInsKick, 46);
    }
}

// Risers ending exactly where a new scene begins.
void WriteRisers(Score &s)
{
    static const int kRiserEnds[] = {Pos(1, 0), Pos(3, 0), Pos(12, 0), Pos(15, 0), Pos(20, 0), Pos(25, 0),
                                     Pos(27, 32), Pos(34, 30), Pos(42, 30), Pos(46, 20)};
    for (int end : kRiserEnds) {
        // 32 rows at C-5; a shorter run plays an octave up (twice as fast)
        int len = 32;
        for (const Section &sec : kSections)
            if (sec.start < end && sec.start > end - 32)
                len = 16;
        s.Note(kChFx, end - len, len == 32 ? 60 : 72, kInsRiser, 44);
    }
}

int BassNote(const Chord &c) { return 33 + (c.root + 3) % 12; } // A-2 .. G#3

void WriteBass(Score &s, int endRow)
{
    bool sounding = false;
    for (int g = 0; g < endRow; ++g) {
        const Playing now = SectionAt(g);
        const Section &sec = *now.sec;
        const int e = now.energy;
        const int r = g % 16;
        const Chord &c = s.ChordAt(g);
        const int root = BassNote(c);
        const bool sectionStart = sec.start == g;
        int note = -1, vol = Scaled(50, e), offAfter = 0;
        switch (sec.bass) {
        case kBsNone:
            if (sounding) {
                s.Off(kChBass, g);
                sounding = false;
            }
            break;
        case kBsHeld:
            if (r == 0 || sectionStart) {
                note = root;
                offAfter = 15 - r;
                // a held bass under a quiet scene stays in the background
                vol = Scaled(e <= 2 ? 36 : 50, e);
            }
            break;
        case kBsEighths:
            if (r % 2 == 0) {
                note = r % 8 == 6 ? root + 12 : root;
                offAfter = 1;
            }
            break;
        case kBsGroove: {
            static const int kRows[] = {0, 3, 6, 8, 10, 12, 14};
            static const int kOct[] = {0, 0, 12, 0, 12, 0, 7};
            for (int k = 0; k < 7; ++k)
                if (r == kRows[k]) {
                    note = root + kOct[k];
                    offAfter = k == 0 ? 2 : 1;
                }
            break;
        }
        case kBsQuarters:
            if (r % 4 == 0) {
                note = r == 12 ? root + 7 : root;
                offAfter = 3;
            }
            break;
        case kBsOffbeat:
            // between the kicks only: the bass and the kick take turns
            if (r % 4 == 2) {
                note = root + (r == 14 ? 12 : 0);
                offAfter = 2;
            }
            break;
        }
        if (note >= 0) {
            s.Note(kChBass, g, note, kInsBass, vol);
            s.Off(kChBass, g + offAfter);
            sounding = true;
        }
    }
}

// Three-voice chord closest to `prev` (smooth voice leading), in F-4 .. D-6.
void Voice(const Chord &c, const int prev[3], int out[3])
{
    int best = 1 << 30;
    for (int inv = 0; inv < 3; ++inv) {
        for (int base = 48; base <= 72; base += 12) {
            int v[3];
            int lowest = base + c.Tone(inv) % 12;
            v[0] = lowest;
            v[1] = v[0] + ((c.Tone((inv + 1) % 3) - c.Tone(inv)) % 12 + 12) % 12;
            v[2] = v[1] + ((c.Tone((inv + 2) % 3) - c.Tone((inv + 1) % 3)) % 12 + 12) % 12;
            if (v[0] < 53 || v[2] > 74)
                continue;
            int d = 0;
            for (int k = 0; k < 3; ++k)
                d += v[k] > prev[k] ? v[k] - prev[k] : prev[k] - v[k];
            if (d < best) {
                best = d;
                out[0] = v[0];
                out[1] = v[1];
                out[2] = v[2];
            }
        }
    }
}

void WriteChords(Score &s, int endRow)
{
    int prev[3] = {57, 62, 65};
    int held[3] = {-1, -1, -1};
    bool padOn = false;
    for (int g = 0; g < endRow; ++g) {
        const Playing now = SectionAt(g);
        const Section &sec = *now.sec;
        const int r = g % 16;
        const bool pad = sec.pad == kPdPad || sec.pad == kPdBoth;
        const bool keys = sec.pad == kPdKeys || sec.pad == kPdBoth;
        if (r != 0 && sec.start != g)
            continue;
        // the calm loop is entered by jumping into any order: every order
        // there starts its chord afresh
        const bool orderStart = g >= Pos(kMusicLoopStart, 0) && g % 64 == 0;
        int v[3];
        Voice(s.ChordAt(g), prev, v);
        prev[0] = v[0];
        prev[1] = v[1];
        prev[2] = v[2];
        const int e = now.energy;
        if (pad) {
            for (int k = 0; k < 3; ++k) {
                if (v[k] != held[k] || !padOn || sec.start == g || orderStart) {
                    // without drums the pads carry the music and sit higher
                    const int level = (k == 2 ? 36 : 34) * (sec.drums == kDrNone ? 5 : 4) / 4;
                    // the filter opens with the energy: dark, warm, bright
                    // (and at 4 and 5 the pads open an octave higher)
                    const int ins = e <= 2 ? kInsPadDark : e == 3 ? kInsPad : kInsPadBright;
                    s.Note(kChPad1 + k, g, v[k] + (e >= 4 ? 12 : 0), ins, Scaled(level, e));
                    held[k] = v[k];
                }
            }
            padOn = true;
        } else if (padOn) {
            for (int k = 0; k < 3; ++k)
                s.Off(kChPad1 + k, g);
            padOn = false;
        }
        if (keys && r == 0) {
            // syncopated stabs on the "and" of 1, 2 and 3: off the kick and
            // the backbeat, so the three never pile up into one peak
            static const int kStabs[3] = {2, 6, 10};
            for (int st : kStabs)
                for (int k = 0; k < 3; ++k) {
                    s.Note(kChKeys1 + k, g + st, v[k] + (k == 0 ? 12 : 0), kInsKeys, Scaled(st == 2 ? 26 : 21, e));
                    s.Off(kChKeys1 + k, g + st + 3);
                }
        }
    }
}

// Under a four-to-the-floor kick the pads duck on every beat and swell back
// (the "pumping" of a side-chained pad): the groove breathes, and the pads
// stay out of the kick's way, which saves headroom.
void PumpPads(Score &s, int endRow)
{
    static const int kDuck[4] = {42, 86, 100, 100}; // percent, by row in the beat
    int base[3] = {0, 0, 0};
    bool pumpedBefore = false;
    for (int g = 0; g < endRow; ++g) {
        const Section &sec = *SectionAt(g).sec;
        const bool pump = (sec.drums == kDrPulse || sec.drums == kDrFull || sec.drums == kDrDrive) && !FillAt(g);
        for (int k = 0; k < 3; ++k) {
            ItCell &c = s.At(g, kChPad1 + k);
            if (c.note == kItNoteOff || c.note == kItNoteCut) {
                base[k] = 0;
                continue;
            }
            if (c.note != kItNoteNone)
                base[k] = c.volume;
            if (base[k] == 0)
                continue;
            if (pump)
                c.volume = uint8_t(base[k] * kDuck[g % 4] / 100);
            else if (pumpedBefore)
                c.volume = uint8_t(base[k]);
        }
        pumpedBefore = pump;
    }
}

void WriteArps(Score &s, int endRow)
{
    for (int g = 0; g < endRow; ++g) {
        const Playing now = SectionAt(g);
        const Section &sec = *now.sec;
        const int e = now.energy;
        const Chord &c = s.ChordAt(g);
        const int r = g % 16;
        // the chord's tones rising from D-5 over two octaves and more
        int base[3];
        for (int k = 0; k < 3; ++k)
            base[k] = 62 + (c.Tone(k) - 2 + 24) % 12;
        for (int a = 0; a < 3; ++a)
            for (int b = a + 1; b < 3; ++b)
                if (base[b] < base[a]) {
                    const int t = base[a];
                    base[a] = base[b];
                    base[b] = t;
                }
        int tones[7];
        for (int k = 0; k < 7; ++k)
            tones[k] = base[k % 3] + 12 * (k / 3);
        const uint32_t h = Hash(uint32_t(g) * 13u + 5u);
        switch (sec.arp) {
        case kArNone:
            break;
        case kArSixteenths: {
            static const int kUp[8] = {0, 1, 2, 3, 4, 3, 2, 1};
            s.Note(kChArp, g, tones[kUp[g % 8]], kInsPluck, Scaled(r % 4 == 0 ? 40 : 30, e));
            break;
        }
        case kArEighths: {
            static const int kGate[8] = {0, 2, 1, 3, 2, 4, 3, 5};
            if (r % 2 == 0)
                s.Note(kChArp, g, tones[kGate[(g / 2) % 8]], kInsPluck, Scaled(r % 4 == 0 ? 38 : 30, e));
            break;
        }
        case kArDropsSparse:
            if (h % 7 == 0)
                s.Note(kChBell, g, tones[2 + (h >> 8) % 5], kInsBell, 18 + int((h >> 16) % 16));
            break;
        case kArDropsDense:
            if (r % 2 == 0 && (h & 1))
                s.Note(kChBell, g, tones[(h >> 8) % 7], kInsBell, 20 + int((h >> 16) % 16));
            break;
        }
    }
}

// ---- melodies -------------------------------------------------------------
// Tracker note names (A-5 is 440 Hz), lengths in rows, "r" a rest, "|" a bar.

// Main theme, over Dm Bb F C, and its answers.
const char kThemeA1[] = "A-5:6 G-5:2 A-5:4 D-6:4 | C-6:6 A#5:2 A-5:4 F-5:4 | A-5:6 C-6:2 F-6:4 E-6:4 | E-6:8 D-6:4 C-6:4";
const char kThemeA2[] = "D-6:6 C-6:2 A-5:4 F-5:4 | G-5:6 F-5:2 D-5:4 F-5:4 | C-6:6 A-5:2 F-5:4 A-5:4 | G-5:12 r:4";
// The answer over Dm Bb Gm A, leaning on the leading tone.
// The main theme turning to the leading tone, over Dm Bb Gm A.
const char kThemeA4[] = "A-5:6 G-5:2 A-5:4 D-6:4 | C-6:6 A#5:2 A-5:4 F-5:4 | G-5:6 A#5:2 D-6:4 C-6:4 | C#6:8 E-6:4 A-5:4";
// The answer cut short where a scene ends at row 30 or 40.
const char kThemeA2to30[] = "D-6:6 C-6:2 A-5:4 F-5:4 | G-5:6 F-5:2 D-5:6";
const char kThemeA2to32[] = "D-6:6 C-6:2 A-5:4 F-5:4 | G-5:6 F-5:2 D-5:4 F-5:4";
const char kThemeA3to40[] = "D-6:6 C-6:2 A-5:4 F-5:4 | G-5:6 F-5:2 D-5:4 F-5:4 | G-5:6 A#5:2";
// Second theme, syncopated, over Gm Bb Dm A.
const char kThemeB1[] = "G-5:3 A#5:3 D-6:4 C-6:2 A#5:4 | A-5:3 A#5:3 F-5:10 | F-5:3 A-5:3 D-6:4 E-6:2 F-6:4 | E-6:6 C#6:6 A-5:4";
const char kThemeB2[] = "A#5:3 A-5:3 G-5:4 D-6:6 | D-6:3 C-6:3 A#5:4 F-5:6 | A-5:3 D-6:3 F-6:4 E-6:2 D-6:4 | C#6:8 A-5:4 E-5:4";
// Bump-mapping riff, over Dm C Bb A.
const char kThemeD1[] = "D-6:2 r:1 D-6:1 C-6:2 A-5:2 r:2 F-5:2 G-5:2 A-5:2 | G-5:2 r:1 G-5:1 E-5:2 C-5:2 r:2 E-5:2 G-5:2 C-6:2 | "
                        "A#5:2 r:1 A#5:1 A-5:2 F-5:2 r:2 D-5:2 F-5:2 A#5:2 | A-5:4 G-5:2 F-5:2 E-5:4 C#5:4";
const char kThemeD2[] = "D-6:2 r:1 D-6:1 C-6:2 A-5:2 r:2 F-5:2 G-5:2 A-5:2 | G-5:2 r:1 G-5:1 E-5:2 C-5:2 r:2 E-5:2 G-5:2 C-6:2 | "
                        "A#5:2 r:1 A#5:1 A-5:2 F-5:2 r:2 D-5:2 F-5:2 A#5:2 | C#6:4 E-6:4 A-6:4 G-6:4";
const char kThemeD1to20[] = "D-6:2 r:1 D-6:1 C-6:2 A-5:2 r:2 F-5:2 G-5:2 A-5:2 | G-5:4";
// Calm theme, long notes, over F C Dm Bb.
const char kThemeC1[] = "A-5:12 C-6:4 | G-5:8 E-5:4 G-5:4 | F-5:8 A-5:4 D-6:4 | C-6:6 A#5:2 A-5:8";
const char kThemeC2[] = "C-6:12 A-5:4 | G-5:8 C-6:4 E-6:4 | F-6:8 E-6:4 D-6:4 | D-6:12 r:4";
// Trees: a gentle bell line over Dm Am Bb F.
const char kThemeE[] = "F-5:4 A-5:4 D-6:4 A-5:4 | E-6:4 C-6:4 A-5:8 | D-6:4 F-6:4 D-6:4 A#5:4 | C-6:8 A-5:8";
// Intro: a distant bell over Dm Dm Bb Bb.
const char kIntro[] = "r:8 A-5:4 D-6:4 F-6:8 E-6:8 | D-6:8 r:8 A#5:4 D-6:4 F-6:8";
// Pickups and single lines that bridge a scene change inside an order.
const char kRunTo5[] = "D-5:2 E-5:2 F-5:2 G-5:2 A-5:2 A#5:2 C-6:2";
const char kDescent[] = "D-6:12 F-6:16 E-6:12 r:4";
const char kFireCall[] = "A-5:2 C#6:2 E-6:2 A-6:10 G-6:4 F-6:4 E-6:4 C#6:4";
const char kLeaving[] = "G-5:6 A#5:2 D-6:8 | D-6:4 F-6:4";
const char kMan[] = "D-5:8 F-5:8 | A-5:8 G-5:8 | F-5:8 D-5:8 | E-5:16";
const char kPointsOnMan[] = "A#5:8 G-5:8 | F-5:8 D-6:6";
// Into the climax: up through C to B, the door to E minor.
const char kClimb[] = "C-6:4 E-6:4 G-6:8 | F#6:6 D#6:2 B-5:8";
const char kBeforePeak[] = "D-6:8 C-6:4 A-5:8";
const char kPeak[] = "D-6:12 | C-6:6 A-5:2 F-6:8 | E-6:16";
const char kFadeToBlack[] = "D-6:8 A#5:8 | F-5:8 D-6:8 | C#6:16 | E-6:8";
const char kToTheEnd[] = "A#5:6 A-5:2 G-5:8 | D-6:6 C-6:2 A#5:8 | G-5:6 E-5:2 C-6:8 | C#6:16";
const char kLastNote[] = "D-6:48";
// The title: the intro's bell, now over the main progression.
const char kTitleBell[] = "A-5:8 D-6:8 | F-6:8 D-6:8 | C-6:8 A-5:8 | G-5:16";

enum LeadVoice : uint8_t { kVoLead, kVoDouble, kVoKeys, kVoBell };

struct Phrase {
    int at;
    const char *line;
    LeadVoice voice;
    int volume;
    int transpose;
};

const Phrase kPhrases[] = {
    {Pos(0, 0), kIntro, kVoBell, 30, 0},
    {Pos(2, 0), kTitleBell, kVoBell, 36, 0},
    {Pos(4, 50), kRunTo5, kVoLead, 40, 0},
    {Pos(5, 0), kThemeA1, kVoLead, 46, 0},
    {Pos(6, 0), kThemeA2to30, kVoLead, 46, 0},
    {Pos(7, 0), kThemeB1, kVoLead, 46, 0},
    {Pos(8, 0), kThemeB2, kVoLead, 40, 0},
    {Pos(9, 0), kThemeB1, kVoLead, 46, 0},
    {Pos(10, 0), kThemeA1, kVoLead, 46, 0},
    {Pos(11, 0), kThemeA3to40, kVoLead, 46, 0},
    {Pos(12, 0), kThemeD1, kVoLead, 42, 0},
    {Pos(13, 0), kThemeD2, kVoLead, 42, 0},
    {Pos(14, 0), kThemeD1to20, kVoLead, 42, 0},
    {Pos(17, 0), kThemeC1, kVoLead, 40, 0},
    {Pos(18, 0), kThemeC2, kVoLead, 40, 0},
    {Pos(20, 20), kDescent, kVoLead, 46, 0},
    {Pos(21, 0), kThemeA1, kVoLead, 48, 0},
    {Pos(22, 0), kThemeB1, kVoLead, 48, 0},
    {Pos(23, 0), kThemeA2to30, kVoLead, 46, 0},
    {Pos(25, 0), kThemeE, kVoBell, 48, 0},
    {Pos(26, 0), kThemeE, kVoBell, 48, 0},
    {Pos(27, 32), kFireCall, kVoLead, 44, 0},
    {Pos(28, 0), kThemeA4, kVoDouble, 46, 0},
    {Pos(29, 0), kThemeA2to32, kVoLead, 46, 0},
    {Pos(31, 0), kThemeC1, kVoKeys, 44, 0},
    {Pos(32, 0), kThemeB1, kVoLead, 46, 0},
    {Pos(33, 0), kThemeB2, kVoLead, 46, 0},
    {Pos(35, 0), kThemeC1, kVoLead, 42, 0},
    {Pos(36, 0), kThemeC2, kVoLead, 42, 0},
    {Pos(37, 0), kThemeB1, kVoDouble, 44, 0},
    {Pos(38, 0), kThemeB2, kVoDouble, 46, 0},
    {Pos(39, 0), kLeaving, kVoLead, 44, 0},
    {Pos(40, 0), kIntro, kVoDouble, 42, 0}, // the opening's bell motif returns as the lead
    {Pos(41, 0), kMan, kVoLead, 42, 0},
    {Pos(42, 0), kPointsOnMan, kVoLead, 42, 0},
    {Pos(42, 32), kClimb, kVoDouble, 48, 0},
    {Pos(43, 0), kThemeA1, kVoDouble, 44, 2},
    {Pos(44, 0), kThemeA2, kVoDouble, 44, 2},
    {Pos(45, 0), kThemeB1, kVoDouble, 42, 2},
    {Pos(46, 0), kBeforePeak, kVoLead, 48, 2},
    {Pos(46, 20), kPeak, kVoDouble, 46, 2},
    {Pos(47, 0), kThemeA1, kVoDouble, 46, 2},
    {Pos(48, 0), kFadeToBlack, kVoLead, 38, 0},
    {Pos(50, 0), kThemeC1, kVoLead, 40, 0},
    {Pos(51, 0), kThemeA1, kVoLead, 40, 0},
    {Pos(52, 0), kToTheEnd, kVoLead, 40, 0},
    {Pos(53, 0), kLastNote, kVoLead, 40, 0},
    {Pos(56, 0), kThemeA1, kVoKeys, 40, 0},
    {Pos(58, 0), kThemeC1, kVoLead, 34, 0},
    {Pos(60, 0), kThemeA1, kVoKeys, 42, 0},
    {Pos(62, 0), kThemeC2, kVoLead, 34, 0},
};

void WriteMelodies(Score &s)
{
    for (const Phrase &p : kPhrases) {
        switch (p.voice) {
        case kVoLead:
            PlaceMelody(s, kChLead, p.at, p.line, kInsLead, p.volume, p.transpose, kChEcho, 3, p.volume * 2 / 5);
            break;
        case kVoDouble:
            PlaceMelody(s, kChLead, p.at, p.line, kInsLead, p.volume, p.transpose);
            PlaceMelody(s, kChEcho, p.at, p.line, kInsLead, p.volume * 3 / 5, p.transpose + 12);
            break;
        case kVoKeys:
            PlaceMelody(s, kChLead, p.at, p.line, kInsKeys, p.volume, p.transpose, kChEcho, 3, p.volume * 2 / 5);
            break;
        case kVoBell:
            PlaceMelody(s, kChBell, p.at, p.line, kInsBell, p.volume, p.transpose, kChEcho, 3, p.volume * 2 / 5);
            break;
        }
    }
}

// The master level of each energy, as IT global volume (0 to 128), set where
// a section begins and again at every order start, so that a jump into any
// order (the test picture's, a key's) plays at the right level.
int GlobalLevel(int energy)
{
    static const int kLevel[6] = {0, 40, 66, 114, 128, 128};
    return kLevel[energy < 1 ? 1 : energy > 5 ? 5 : energy];
}

void WriteLevels(Score &s, int endRow)
{
    for (int g = 0; g < endRow; ++g) {
        const Playing now = SectionAt(g);
        if (g % 64 == 0 || now.sec->start == g || PlannedEnergy(g) != PlannedEnergy(g - 1))
            s.Effect(kChFx, g, kItCmdGlobalVol, uint8_t(GlobalLevel(now.energy)));
    }
}

void BuildScore(Score &s)
{
    s.Resize(kMusicOrders);
    for (int o = 0; o < kMusicOrders; ++o) {
        const std::vector<Chord> bars = ParseChords(kHarmony[o]);
        for (int b = 0; b < 4; ++b)
            s.bars[size_t(o * 4 + b)] = bars[size_t(b)];
    }
    const int end = s.rows;
    WriteDrums(s, end);
    WriteBass(s, end);
    WriteChords(s, end);
    PumpPads(s, end);
    WriteArps(s, end);
    WriteMelodies(s);
    WriteAccents(s);
    WriteRisers(s);
    WriteLevels(s, end);
    // The end of the song: a held chord, then a jump back to the start,
    // which players read as the end. The calm loop closes on itself.
    for (int ch = 0; ch < kChCount; ++ch)
        s.Off(ch, Pos(53, 48));
    s.Effect(kChFx, Pos(kMusicSongOrders - 1, 63), kItCmdJumpOrder, 0);
    s.Effect(kChFx, Pos(kMusicOrders - 1, 63), kItCmdJumpOrder, uint8_t(kMusicLoopStart));
}

void SetUpChannels(ItModule &m)
{
    static const uint8_t kPan[kChCount] = {32, 30, 46, 38, 30, 32, 32, 8, 22, 56, 14, 36, 52, 38, 24, 12, 50};
    // kick, snare, hat, perc, crash, fx, bass, pads, keys, lead, echo, arp, bell
    static const uint8_t kVol[kChCount] = {46, 51, 56, 48, 44, 40, 31, 46, 46, 46, 44, 44, 44, 56, 38, 64, 48};
    for (int c = 0; c < kChCount; ++c) {
        m.channelPan[c] = kPan[c];
        m.channelVolume[c] = kVol[c];
    }
}

} // namespace

const char *MusicHarmony(int order) { return order >= 0 && order < kMusicOrders ? kHarmony[order] : ""; }

bool BuildSoundtrack(std::vector<uint8_t> &out, std::string &error)
{
    ItModule m;
    m.title = "Kestrun";
    m.speed = kMusicSpeed;
    m.tempo = kMusicTempo;
    m.globalVolume = 128;
    m.mixVolume = 111;
    Score s;
    BuildScore(s);
    ScoreToModule(s, m);
    SetUpChannels(m);
    AddMusicInstruments(m);
    return WriteItModule(m, out, error);
}

bool GenerateMusic(const std::string &dir)
{
    std::vector<uint8_t> bytes;
    std::string error;
    if (!BuildSoundtrack(bytes, error)) {
        std::fprintf(stderr, "datagen: cannot build Kestrun.it: %s\n", error.c_str());
        return false;
    }
    return WriteDataFile(dir, "Kestrun.it", bytes);
}
