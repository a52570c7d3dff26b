// Smooth colour ramps from a few key colours, for palettes and tables.
#pragma once

#include "DgMath.h"
#include "Image.h"

#include <vector>

struct Key {
    double at;      // position 0..1
    uint32_t colour;
};

// Colour at position t of a ramp through the keys (sorted by position),
// smooth (cubic ease) between neighbouring keys so no step shows a kink.
inline uint32_t RampAt(const std::vector<Key> &keys, double t)
{
    if (t <= keys.front().at)
        return keys.front().colour;
    for (size_t i = 1; i < keys.size(); ++i) {
        if (t <= keys[i].at) {
            const Key &a = keys[i - 1], &b = keys[i];
            const double u = (t - a.at) / (b.at - a.at);
            const double s = u * u * (3 - 2 * u) * 0.5 + u * 0.5;    // half eased: no flat spots
            return Rgb(dg::Round(dg::Mix(RedOf(a.colour), RedOf(b.colour), s)),
                       dg::Round(dg::Mix(GreenOf(a.colour), GreenOf(b.colour), s)),
                       dg::Round(dg::Mix(BlueOf(a.colour), BlueOf(b.colour), s)));
        }
    }
    return keys.back().colour;
}

// Scales a colour by f (0..>1), saturating.
inline uint32_t Scale(uint32_t c, double f)
{
    return Rgb(dg::Round(RedOf(c) * f), dg::Round(GreenOf(c) * f), dg::Round(BlueOf(c) * f));
}

// A 256-entry palette file: 768 bytes of red, green, blue.
inline std::vector<uint8_t> PaletteBytes(const std::vector<uint32_t> &colours)
{
    std::vector<uint8_t> out;
    for (uint32_t c : colours) {
        out.push_back(uint8_t(RedOf(c)));
        out.push_back(uint8_t(GreenOf(c)));
        out.push_back(uint8_t(BlueOf(c)));
    }
    return out;
}
