#include "Quantize.h"

#include <algorithm>

namespace {

struct Bin {
    uint32_t key;      // 6-bit red, green, blue
    uint64_t count;
    uint64_t sum[3];   // full-precision channel sums
    int Channel(int c) const { return int((key >> (12 - 6 * c)) & 63); }
};

struct Box {
    size_t begin, end;   // range of bins
    uint64_t population;
    int range, axis;
};

void Measure(const std::vector<Bin> &bins, Box *box)
{
    int lo[3] = {63, 63, 63}, hi[3] = {0, 0, 0};
    box->population = 0;
    for (size_t i = box->begin; i < box->end; ++i) {
        box->population += bins[i].count;
        for (int c = 0; c < 3; ++c) {
            lo[c] = std::min(lo[c], bins[i].Channel(c));
            hi[c] = std::max(hi[c], bins[i].Channel(c));
        }
    }
    box->axis = 0;
    box->range = hi[0] - lo[0];
    for (int c = 1; c < 3; ++c)
        if (hi[c] - lo[c] > box->range) {
            box->range = hi[c] - lo[c];
            box->axis = c;
        }
}

uint32_t Mean(const uint64_t sum[3], uint64_t count)
{
    if (count == 0)
        return 0;
    return Rgb(int((sum[0] + count / 2) / count), int((sum[1] + count / 2) / count), int((sum[2] + count / 2) / count));
}

int Distance(uint32_t a, const Bin &b)
{
    const uint64_t n = b.count;
    const int r = int((b.sum[0] + n / 2) / n), g = int((b.sum[1] + n / 2) / n), bl = int((b.sum[2] + n / 2) / n);
    const int dr = RedOf(a) - r, dg = GreenOf(a) - g, db = BlueOf(a) - bl;
    // Green weighs most and blue least for the eye.
    return 3 * dr * dr + 4 * dg * dg + 2 * db * db;
}

} // namespace

IndexedPicture Quantize(const Picture &picture, bool keyColour, uint32_t key)
{
    IndexedPicture out;
    out.width = picture.width;
    out.height = picture.height;
    out.index.assign(picture.px.size(), 0);

    std::vector<int32_t> slot(1 << 18, -1);
    std::vector<Bin> bins;
    for (uint32_t c : picture.px) {
        if (keyColour && c == key)
            continue;
        const uint32_t k = uint32_t((RedOf(c) >> 2) << 12 | (GreenOf(c) >> 2) << 6 | (BlueOf(c) >> 2));
        if (slot[k] < 0) {
            slot[k] = int32_t(bins.size());
            bins.push_back(Bin{k, 0, {0, 0, 0}});
        }
        Bin &b = bins[size_t(slot[k])];
        ++b.count;
        b.sum[0] += uint64_t(RedOf(c));
        b.sum[1] += uint64_t(GreenOf(c));
        b.sum[2] += uint64_t(BlueOf(c));
    }
    std::sort(bins.begin(), bins.end(), [](const Bin &a, const Bin &b) { return a.key < b.key; });

    const int first = keyColour ? 1 : 0;
    const int wanted = 256 - first;
    std::vector<Box> boxes;
    if (!bins.empty()) {
        boxes.push_back(Box{0, bins.size(), 0, 0, 0});
        Measure(bins, &boxes[0]);
    }
    while (int(boxes.size()) < wanted) {
        // Split the box with the most population times extent.
        int best = -1;
        uint64_t bestScore = 0;
        for (size_t i = 0; i < boxes.size(); ++i) {
            const uint64_t score = boxes[i].population * uint64_t(boxes[i].range);
            if (boxes[i].end - boxes[i].begin > 1 && score > bestScore) {
                bestScore = score;
                best = int(i);
            }
        }
        if (best < 0)
            break;
        Box box = boxes[size_t(best)];
        const int axis = box.axis;
        std::sort(bins.begin() + long(box.begin), bins.begin() + long(box.end), [axis](const Bin &a, const Bin &b) {
            return a.Channel(axis) != b.Channel(axis) ? a.Channel(axis) < b.Channel(axis) : a.key < b.key;
        });
        uint64_t half = 0;
        size_t cut = box.begin + 1;
        for (size_t i = box.begin; i + 1 < box.end; ++i) {
            half += bins[i].count;
            cut = i + 1;
            if (half * 2 >= box.population)
                break;
        }
        Box a{box.begin, cut, 0, 0, 0}, b{cut, box.end, 0, 0, 0};
        Measure(bins, &a);
        Measure(bins, &b);
        boxes[size_t(best)] = a;
        boxes.push_back(b);
    }

    std::vector<uint32_t> colours;
    for (const Box &box : boxes) {
        uint64_t sum[3] = {0, 0, 0}, n = 0;
        for (size_t i = box.begin; i < box.end; ++i) {
            for (int c = 0; c < 3; ++c)
                sum[c] += bins[i].sum[c];
            n += bins[i].count;
        }
        colours.push_back(Mean(sum, n));
    }

    // k-means rounds over the bins; every bin then maps to its nearest entry.
    std::vector<int> nearest(bins.size(), 0);
    for (int round = 0; round < 4 && !colours.empty(); ++round) {
        for (size_t i = 0; i < bins.size(); ++i) {
            int best = 0, bestD = Distance(colours[0], bins[i]);
            for (size_t j = 1; j < colours.size(); ++j) {
                const int d = Distance(colours[j], bins[i]);
                if (d < bestD) {
                    bestD = d;
                    best = int(j);
                }
            }
            nearest[i] = best;
        }
        if (round == 3)
            break;
        std::vector<uint64_t> sums(colours.size() * 4, 0);
        for (size_t i = 0; i < bins.size(); ++i) {
            uint64_t *s = &sums[size_t(nearest[i]) * 4];
            for (int c = 0; c < 3; ++c)
                s[c] += bins[i].sum[c];
            s[3] += bins[i].count;
        }
        for (size_t j = 0; j < colours.size(); ++j)
            if (sums[j * 4 + 3] > 0)
                colours[j] = Mean(&sums[j * 4], sums[j * 4 + 3]);
    }

    if (keyColour)
        out.SetColour(0, key);
    for (size_t j = 0; j < colours.size(); ++j)
        out.SetColour(first + int(j), colours[j]);
    for (size_t i = 0; i < bins.size(); ++i)
        slot[bins[i].key] = first + nearest[i];
    for (size_t i = 0; i < picture.px.size(); ++i) {
        const uint32_t c = picture.px[i];
        if (keyColour && c == key)
            continue;
        const uint32_t k = uint32_t((RedOf(c) >> 2) << 12 | (GreenOf(c) >> 2) << 6 | (BlueOf(c) >> 2));
        out.index[i] = uint8_t(slot[k]);
    }
    return out;
}
