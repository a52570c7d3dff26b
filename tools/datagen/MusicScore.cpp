// Score grid helpers: placing notes, note-offs and effects at global rows,
// chord and melody parsing, and cutting the grid into shared patterns.
#include "MusicScore.h"

#include <cstddef>
#include <map>

void Score::Resize(int orders)
{
    rows = orders * 64;
    cells.assign(size_t(rows) * kChCount, ItCell{});
    bars.assign(size_t(rows / 16), Chord{});
}

void Score::Note(int ch, int g, int note, int instrument, int volume)
{
    if (g < 0 || g >= rows || note < 0 || note > 119)
        return;
    ItCell &c = At(g, ch);
    c.note = uint8_t(note);
    c.instrument = uint8_t(instrument);
    c.volume = uint8_t(volume < 0 ? 0 : volume > 64 ? 64 : volume);
}

void Score::Off(int ch, int g)
{
    if (g < 0 || g >= rows)
        return;
    ItCell &c = At(g, ch);
    if (c.note == kItNoteNone) {
        c.note = kItNoteOff;
        c.instrument = 0;
        c.volume = kItVolNone;
    }
}

void Score::Effect(int ch, int g, uint8_t command, uint8_t param)
{
    if (g < 0 || g >= rows)
        return;
    At(g, ch).command = command;
    At(g, ch).param = param;
}

namespace {

// Pitch class of a note letter, -1 if not one.
int PitchClass(char letter)
{
    switch (letter) {
    case 'C': return 0;
    case 'D': return 2;
    case 'E': return 4;
    case 'F': return 5;
    case 'G': return 7;
    case 'A': return 9;
    case 'B': return 11;
    default: return -1;
    }
}

} // namespace

std::vector<Chord> ParseChords(const char *text)
{
    std::vector<Chord> out;
    const char *p = text;
    while (*p) {
        while (*p == ' ')
            ++p;
        if (!*p)
            break;
        Chord c;
        const int pc = PitchClass(*p++);
        c.root = pc < 0 ? 2 : pc;
        c.minor = false;
        if (*p == 'b') {
            c.root = (c.root + 11) % 12;
            ++p;
        } else if (*p == '#') {
            c.root = (c.root + 1) % 12;
            ++p;
        }
        if (*p == 'm') {
            c.minor = true;
            ++p;
        }
        while (*p && *p != ' ')
            ++p;
        out.push_back(c);
    }
    while (out.size() < 4)
        out.push_back(out.empty() ? Chord{} : out.back());
    out.resize(4);
    return out;
}

int PlaceMelody(Score &s, int ch, int g, const char *line, int instrument, int volume, int transpose,
                int echoCh, int echoDelay, int echoVolume)
{
    const char *p = line;
    bool sounding = false;
    while (*p) {
        while (*p == ' ' || *p == '|')
            ++p;
        if (!*p)
            break;
        int note = -1;
        if (*p == 'r') {
            ++p;
        } else {
            const int pc = PitchClass(p[0]);
            const int sharp = p[1] == '#' ? 1 : 0;
            const int octave = p[2] - '0';
            note = pc < 0 ? -1 : octave * 12 + pc + sharp + transpose;
            p += 3;
        }
        int len = 1;
        if (*p == ':') {
            ++p;
            len = 0;
            while (*p >= '0' && *p <= '9')
                len = len * 10 + (*p++ - '0');
        }
        while (*p && *p != ' ' && *p != '|')
            ++p;
        if (note >= 0) {
            s.Note(ch, g, note, instrument, volume);
            if (echoCh >= 0)
                s.Note(echoCh, g + echoDelay, note, instrument, echoVolume);
            sounding = true;
        } else if (sounding) {
            s.Off(ch, g);
            if (echoCh >= 0)
                s.Off(echoCh, g + echoDelay);
            sounding = false;
        }
        g += len;
    }
    if (sounding) {
        s.Off(ch, g);
        if (echoCh >= 0)
            s.Off(echoCh, g + echoDelay);
    }
    return g;
}

void ScoreToModule(const Score &s, ItModule &m)
{
    m.channels = kChCount;
    std::map<std::vector<uint8_t>, uint8_t> seen;
    const int orders = s.rows / 64;
    for (int o = 0; o < orders; ++o) {
        ItPattern p;
        p.rows = 64;
        p.channels = kChCount;
        p.cells.assign(s.cells.begin() + std::ptrdiff_t(size_t(o) * 64 * kChCount),
                       s.cells.begin() + std::ptrdiff_t(size_t(o + 1) * 64 * kChCount));
        std::vector<uint8_t> key;
        key.reserve(p.cells.size() * 5);
        for (const ItCell &c : p.cells)
            key.insert(key.end(), {c.note, c.instrument, c.volume, c.command, c.param});
        auto it = seen.find(key);
        if (it != seen.end()) {
            m.orders.push_back(it->second);
            continue;
        }
        const uint8_t index = uint8_t(m.patterns.size());
        seen.emplace(std::move(key), index);
        m.patterns.push_back(std::move(p));
        m.orders.push_back(index);
    }
}
