// The depth order of a frame's faces, the same as QSort leaves it, found in
// a fraction of its time. A key that occurs once has one place in any
// ordering, so a radix sort places those. Only the order among equal keys
// depends on how QSort partitions; for those, the same partitioning steps are
// run, but only on the ranges that still hold a repeated key. Owns scratch
// arrays grown to the largest face count sorted.
#include "Object3D.h"

#include <cstdint>
#include <cstring>
#include <utility>
#include <vector>

namespace {

struct Scratch {
    std::vector<uint64_t> radix, tmp; // (key << 32 | entry)
    std::vector<uint32_t> entry;
    std::vector<float> z;
    std::vector<Sort3D> in;
} S;

constexpr uint32_t kRepeated = 0x80000000u; // marks an entry whose key repeats

// A key as an unsigned number that grows as the float falls (largest first).
inline uint32_t Descending(float z)
{
    uint32_t u;
    std::memcpy(&u, &z, sizeof u);
    const uint32_t ascending = (u & 0x80000000u) ? ~u : (u | 0x80000000u);
    return ~ascending;
}

// Least significant byte first, four passes over (key << 32 | entry); a pass
// whose byte is the same for every key is skipped.
void RadixSort(std::vector<uint64_t> &a, std::vector<uint64_t> &tmp)
{
    const size_t n = a.size();
    uint32_t count[4][256] = {};
    for (uint64_t v : a)
        for (int b = 0; b < 4; b++)
            count[b][(v >> (32 + 8 * b)) & 255]++;
    tmp.resize(n);
    for (int b = 0; b < 4; b++) {
        uint32_t start[256], sum = 0;
        bool oneBucket = false;
        for (int k = 0; k < 256; k++) {
            oneBucket |= count[b][k] == n;
            start[k] = sum;
            sum += count[b][k];
        }
        if (oneBucket)
            continue;
        const int shift = 32 + 8 * b;
        for (uint64_t v : a)
            tmp[start[(v >> shift) & 255]++] = v;
        a.swap(tmp);
    }
}

struct Ranges {
    float *z;
    uint32_t *entry;       // index into the caller's keys, kRepeated if its key repeats
    const uint64_t *radix; // the radix order: entry in the low half
    const Sort3D *keys;
};

bool HoldsRepeated(const uint32_t *entry, long l, long r)
{
    uint32_t any = 0;
    for (long k = l; k <= r; k++)
        any |= entry[k];
    return (any & kRepeated) != 0;
}

// QSort's steps on l..r, except that a range without a repeated key takes
// its entries from the radix order (a range's entries end in that range).
void Order(const Ranges &s, long l, long r)
{
    for (;;) {
        if (!HoldsRepeated(s.entry, l, r)) {
            for (long k = l; k <= r; k++) {
                const uint32_t e = uint32_t(s.radix[k]);
                s.entry[k] = e;
                s.z[k] = s.keys[e].ZAvg;
            }
            return;
        }
        const float pivot = s.z[(l + r) / 2];
        long i = l, j = r;
        do {
            while (s.z[i] > pivot)
                i++;
            while (s.z[j] < pivot)
                j--;
            if (i <= j) {
                std::swap(s.z[i], s.z[j]);
                std::swap(s.entry[i], s.entry[j]);
                i++;
                j--;
            }
        } while (i <= j);
        if (l < j)
            Order(s, l, j);
        if (i >= r)
            return;
        l = i;
    }
}

} // namespace

void DepthOrder(Sort3D *keys, long n)
{
    if (n <= 1)
        return;
    bool plain = n >= long(kRepeated);
    for (long i = 0; i < n && !plain; i++)
        plain = keys[i].ZAvg != keys[i].ZAvg; // NaN: no total order to place by
    if (plain) {
        QSort(keys, 0, n - 1);
        return;
    }

    const size_t count = static_cast<size_t>(n);
    std::vector<uint64_t> &radix = S.radix;
    radix.resize(count);
    for (long i = 0; i < n; i++)
        radix[size_t(i)] = uint64_t(Descending(keys[i].ZAvg)) << 32 | uint32_t(i);
    RadixSort(radix, S.tmp);

    std::vector<uint32_t> &entry = S.entry;
    entry.assign(count, 0);
    bool repeats = false;
    for (long k = 1; k < n; k++) {
        const uint32_t a = uint32_t(radix[size_t(k - 1)]), b = uint32_t(radix[size_t(k)]);
        if (keys[a].ZAvg == keys[b].ZAvg) { // also -0 against +0
            entry[a] = entry[b] = kRepeated;
            repeats = true;
        }
    }

    S.in.assign(keys, keys + n);
    const Sort3D *in = S.in.data();
    if (repeats) {
        S.z.resize(count);
        for (long i = 0; i < n; i++) {
            S.z[size_t(i)] = keys[i].ZAvg;
            entry[size_t(i)] |= uint32_t(i);
        }
        Order(Ranges{S.z.data(), entry.data(), radix.data(), in}, 0, n - 1);
        for (long k = 0; k < n; k++)
            keys[k] = in[entry[size_t(k)] & ~kRepeated];
    } else {
        for (long k = 0; k < n; k++)
            keys[k] = in[uint32_t(radix[size_t(k)])];
    }
}
