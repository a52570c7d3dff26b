// Impulse Tracker serialiser: header, order list, offset tables, instrument
// records (554 bytes), sample headers (80 bytes), packed patterns and the
// sample data, in that order. Checks the module against the format's limits.
#include "ItWriter.h"

#include <cstring>

namespace {

constexpr uint16_t kItVersion = 0x0214; // written as both "created with" and "compatible with"

void Put8(std::vector<uint8_t> &o, unsigned v) { o.push_back(uint8_t(v)); }
void Put16(std::vector<uint8_t> &o, unsigned v)
{
    o.push_back(uint8_t(v));
    o.push_back(uint8_t(v >> 8));
}
void Put32(std::vector<uint8_t> &o, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        o.push_back(uint8_t(v >> (8 * i)));
}
void Set32(std::vector<uint8_t> &o, size_t at, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        o[at + size_t(i)] = uint8_t(v >> (8 * i));
}
void PutText(std::vector<uint8_t> &o, const std::string &s, size_t width)
{
    // Zero padded; the last byte stays 0 so readers always find a terminator.
    for (size_t i = 0; i < width; ++i)
        o.push_back(i + 1 < width && i < s.size() ? uint8_t(s[i]) : 0);
}

bool Fail(std::string &error, const std::string &why)
{
    error = why;
    return false;
}

bool Validate(const ItModule &m, std::string &error)
{
    if (m.channels < 1 || m.channels > kItMaxChannels)
        return Fail(error, "channel count out of range");
    if (m.orders.empty() || m.orders.size() > 255)
        return Fail(error, "order count out of range");
    if (m.patterns.empty() || m.patterns.size() > 200)
        return Fail(error, "pattern count out of range");
    if (m.instruments.size() > 99 || m.samples.empty() || m.samples.size() > 99)
        return Fail(error, "instrument or sample count out of range");
    if (m.speed == 0 || m.tempo < 32 || m.globalVolume > 128 || m.mixVolume > 128)
        return Fail(error, "speed, tempo or volume out of range");
    for (int c = 0; c < m.channels; ++c)
        if (m.channelPan[c] > 64 || m.channelVolume[c] > 64)
            return Fail(error, "channel pan or volume out of range");
    for (uint8_t o : m.orders)
        if (o >= m.patterns.size() && o != 254 && o != 255)
            return Fail(error, "order refers to a missing pattern");
    for (const ItPattern &p : m.patterns) {
        if (p.rows < 32 || p.rows > 200 || p.channels != m.channels ||
            p.cells.size() != size_t(p.rows) * size_t(p.channels))
            return Fail(error, "pattern shape out of range");
        for (const ItCell &c : p.cells) {
            if (c.note > 119 && c.note != kItNoteNone && c.note != kItNoteOff && c.note != kItNoteCut)
                return Fail(error, "note out of range");
            if (c.instrument > m.instruments.size())
                return Fail(error, "cell refers to a missing instrument");
            if (c.volume > 64 && c.volume != kItVolNone)
                return Fail(error, "cell volume out of range");
            if (c.command > 26)
                return Fail(error, "effect command out of range");
        }
    }
    for (const ItInstrument &ins : m.instruments) {
        if (ins.sample < 1 || size_t(ins.sample) > m.samples.size())
            return Fail(error, "instrument refers to a missing sample");
        if (ins.fadeout > 256 || ins.globalVolume > 128 || ins.newNoteAction > 3)
            return Fail(error, "instrument setting out of range");
        const ItEnvelope &e = ins.volumeEnvelope;
        if (e.points.size() > 25 || (e.enabled && e.points.size() < 2) ||
            e.sustainPoint >= int(e.points.size()))
            return Fail(error, "volume envelope out of range");
        for (size_t i = 0; i < e.points.size(); ++i) {
            if (e.points[i].value > 64 || (i > 0 && e.points[i].tick <= e.points[i - 1].tick) ||
                (i == 0 && e.points[i].tick != 0))
                return Fail(error, "volume envelope point out of range");
        }
    }
    for (const ItSample &s : m.samples) {
        if (s.data.empty() || s.data.size() > 0x7FFFFFF || s.c5speed == 0 || s.c5speed > 9999999 ||
            s.globalVolume > 64 || s.defaultVolume > 64)
            return Fail(error, "sample setting out of range");
        if (s.loop && (s.loopStart >= s.loopEnd || s.loopEnd > s.data.size()))
            return Fail(error, "sample loop out of range");
    }
    return true;
}

void PutEnvelope(std::vector<uint8_t> &o, const ItEnvelope &e)
{
    unsigned flags = e.enabled ? 1u : 0u;
    if (e.sustainPoint >= 0)
        flags |= 4u;
    Put8(o, flags);
    Put8(o, unsigned(e.points.size()));
    Put8(o, 0); // loop begin
    Put8(o, 0); // loop end
    Put8(o, e.sustainPoint >= 0 ? unsigned(e.sustainPoint) : 0u);
    Put8(o, e.sustainPoint >= 0 ? unsigned(e.sustainPoint) : 0u);
    for (int i = 0; i < 25; ++i) {
        if (size_t(i) < e.points.size()) {
            Put8(o, e.points[size_t(i)].value);
            Put16(o, e.points[size_t(i)].tick);
        } else {
            Put8(o, 0);
            Put16(o, 0);
        }
    }
    Put8(o, 0);
}

void PutInstrument(std::vector<uint8_t> &o, const ItInstrument &ins)
{
    const size_t start = o.size();
    o.insert(o.end(), {'I', 'M', 'P', 'I'});
    PutText(o, "", 12);
    Put8(o, 0);
    Put8(o, ins.newNoteAction);
    Put8(o, 0); // duplicate check type: off
    Put8(o, 0); // duplicate check action
    Put16(o, ins.fadeout);
    Put8(o, 0);   // pitch-pan separation
    Put8(o, 60);  // pitch-pan centre
    Put8(o, ins.globalVolume);
    Put8(o, 32 + 128); // default pan, bit 7: not used
    Put8(o, 0); // random volume
    Put8(o, 0); // random pan
    Put16(o, kItVersion);
    Put8(o, 1); // number of samples
    Put8(o, 0);
    PutText(o, ins.name, 26);
    Put8(o, 0);   // filter cutoff: off
    Put8(o, 0);   // filter resonance: off
    Put8(o, 0);   // MIDI channel
    Put8(o, 255); // MIDI program: none
    Put16(o, 0xFFFF); // MIDI bank: none
    for (int n = 0; n < 120; ++n) {
        Put8(o, unsigned(n));
        Put8(o, unsigned(ins.sample));
    }
    PutEnvelope(o, ins.volumeEnvelope);
    PutEnvelope(o, ItEnvelope{}); // panning
    PutEnvelope(o, ItEnvelope{}); // pitch
    while (o.size() - start < 554)
        Put8(o, 0);
}

// Sample header; the data offset is patched once the data is placed.
void PutSampleHeader(std::vector<uint8_t> &o, const ItSample &s)
{
    o.insert(o.end(), {'I', 'M', 'P', 'S'});
    PutText(o, "", 12);
    Put8(o, 0);
    Put8(o, s.globalVolume);
    unsigned flags = 1u | 2u; // data present, 16-bit
    if (s.loop)
        flags |= 16u;
    Put8(o, flags);
    Put8(o, s.defaultVolume);
    PutText(o, s.name, 26);
    Put8(o, 1);  // signed samples
    Put8(o, 32); // default pan, not used
    Put32(o, uint32_t(s.data.size()));
    Put32(o, s.loop ? s.loopStart : 0);
    Put32(o, s.loop ? s.loopEnd : 0);
    Put32(o, s.c5speed);
    Put32(o, 0); // sustain loop
    Put32(o, 0);
    Put32(o, 0); // data offset, patched later
    Put8(o, s.vibratoSpeed);
    Put8(o, s.vibratoDepth);
    Put8(o, s.vibratoRate);
    Put8(o, 0); // sine
}

void PutPattern(std::vector<uint8_t> &o, const ItPattern &p)
{
    const size_t start = o.size();
    Put16(o, 0); // packed length, patched below
    Put16(o, unsigned(p.rows));
    Put32(o, 0);
    uint8_t lastMask[kItMaxChannels];
    std::memset(lastMask, 0xFF, sizeof lastMask);
    for (int r = 0; r < p.rows; ++r) {
        for (int c = 0; c < p.channels; ++c) {
            const ItCell &cell = p.At(r, c);
            unsigned mask = 0;
            if (cell.note != kItNoteNone)
                mask |= 1;
            if (cell.instrument != 0)
                mask |= 2;
            if (cell.volume != kItVolNone)
                mask |= 4;
            if (cell.command != kItCmdNone)
                mask |= 8;
            if (mask == 0)
                continue;
            if (mask == lastMask[c]) {
                Put8(o, unsigned(c + 1));
            } else {
                Put8(o, unsigned(c + 1) | 0x80u);
                Put8(o, mask);
                lastMask[c] = uint8_t(mask);
            }
            if (mask & 1)
                Put8(o, cell.note);
            if (mask & 2)
                Put8(o, cell.instrument);
            if (mask & 4)
                Put8(o, cell.volume);
            if (mask & 8) {
                Put8(o, cell.command);
                Put8(o, cell.param);
            }
        }
        Put8(o, 0); // end of row
    }
    const size_t packed = o.size() - start - 8;
    o[start] = uint8_t(packed);
    o[start + 1] = uint8_t(packed >> 8);
}

} // namespace

bool WriteItModule(const ItModule &m, std::vector<uint8_t> &out, std::string &error)
{
    if (!Validate(m, error))
        return false;
    std::vector<uint8_t> o;
    o.insert(o.end(), {'I', 'M', 'P', 'M'});
    PutText(o, m.title, 26);
    Put8(o, 4);  // rows per beat (highlight)
    Put8(o, 16); // rows per measure
    // The order list ends with the 255 marker, counted here.
    Put16(o, unsigned(m.orders.size() + 1));
    Put16(o, unsigned(m.instruments.size()));
    Put16(o, unsigned(m.samples.size()));
    Put16(o, unsigned(m.patterns.size()));
    Put16(o, kItVersion);
    Put16(o, kItVersion);
    Put16(o, m.instruments.empty() ? 1u | 8u : 1u | 4u | 8u); // stereo, instruments, linear slides
    Put16(o, 0); // no message
    Put8(o, m.globalVolume);
    Put8(o, m.mixVolume);
    Put8(o, m.speed);
    Put8(o, m.tempo);
    Put8(o, 128); // stereo separation
    Put8(o, 0);   // pitch wheel depth
    Put16(o, 0);  // message length
    Put32(o, 0);  // message offset
    Put32(o, 0);  // reserved
    for (int c = 0; c < kItMaxChannels; ++c)
        Put8(o, c < m.channels ? m.channelPan[c] : 32u + 128u); // unused channels disabled
    for (int c = 0; c < kItMaxChannels; ++c)
        Put8(o, c < m.channels ? m.channelVolume[c] : 64u);
    for (uint8_t ord : m.orders)
        Put8(o, ord);
    Put8(o, 255);

    const size_t insTable = o.size();
    o.resize(o.size() + 4 * m.instruments.size(), 0);
    const size_t smpTable = o.size();
    o.resize(o.size() + 4 * m.samples.size(), 0);
    const size_t patTable = o.size();
    o.resize(o.size() + 4 * m.patterns.size(), 0);

    for (size_t i = 0; i < m.instruments.size(); ++i) {
        Set32(o, insTable + 4 * i, uint32_t(o.size()));
        PutInstrument(o, m.instruments[i]);
    }
    std::vector<size_t> sampleHeaders;
    for (size_t i = 0; i < m.samples.size(); ++i) {
        Set32(o, smpTable + 4 * i, uint32_t(o.size()));
        sampleHeaders.push_back(o.size());
        PutSampleHeader(o, m.samples[i]);
    }
    for (size_t i = 0; i < m.patterns.size(); ++i) {
        const size_t at = o.size();
        PutPattern(o, m.patterns[i]);
        if (o.size() - at - 8 > 0xFFFF)
            return Fail(error, "packed pattern too large");
        Set32(o, patTable + 4 * i, uint32_t(at));
    }
    for (size_t i = 0; i < m.samples.size(); ++i) {
        Set32(o, sampleHeaders[i] + 0x48, uint32_t(o.size()));
        for (int16_t v : m.samples[i].data)
            Put16(o, uint16_t(v));
    }
    if (o.size() > 0x7FFFFFFF)
        return Fail(error, "module too large");
    out.swap(o);
    return true;
}
