// Deterministic maths for the data generators: the same bits on every
// machine. Only +, -, *, / and sqrt (exact under IEEE 754) are used; sine,
// exponent and logarithm are our own series instead of the C library's,
// whose last bits differ between libraries. Also integer hash noise.
#pragma once

#include <cmath>
#include <cstdint>

namespace dg {

constexpr double kPi = 3.14159265358979323846;
constexpr double kTwoPi = 6.28318530717958647692;

inline double Clamp(double v, double lo, double hi) { return v < lo ? lo : (v > hi ? hi : v); }
inline int ClampInt(int v, int lo, int hi) { return v < lo ? lo : (v > hi ? hi : v); }
inline double Mix(double a, double b, double t) { return a + (b - a) * t; }
inline double Smooth(double t)
{
    t = Clamp(t, 0.0, 1.0);
    return t * t * (3.0 - 2.0 * t);
}
inline double SmoothStep(double e0, double e1, double v) { return Smooth((v - e0) / (e1 - e0)); }

// Nearest integer, halves away from zero; the one rounding every generator
// uses to turn a value into a byte.
inline int Round(double v) { return v < 0 ? -int(std::floor(-v + 0.5)) : int(std::floor(v + 0.5)); }
inline uint8_t ToByte(double v) { return uint8_t(ClampInt(Round(v), 0, 255)); }

// sin and cos: reduced to [-pi/2, pi/2], then a Taylor series to x^17
// (error below 1e-15 there).
inline double Sin(double x)
{
    x -= kTwoPi * std::floor(x / kTwoPi + 0.5);      // [-pi, pi]
    if (x > kPi / 2)
        x = kPi - x;
    else if (x < -kPi / 2)
        x = -kPi - x;
    const double x2 = x * x;
    double term = x, sum = x;
    for (int n = 1; n <= 8; ++n) {
        term *= -x2 / double((2 * n) * (2 * n + 1));
        sum += term;
    }
    return sum;
}
inline double Cos(double x) { return Sin(x + kPi / 2); }

// e^x: x = k ln 2 + r with |r| <= ln 2 / 2, series for e^r, exact scaling.
inline double Exp(double x)
{
    if (x < -700.0)
        return 0.0;
    if (x > 700.0)
        x = 700.0;
    constexpr double kLn2 = 0.69314718055994530942;
    const double k = std::floor(x / kLn2 + 0.5);
    const double r = x - k * kLn2;
    double term = 1.0, sum = 1.0;
    for (int n = 1; n <= 16; ++n) {
        term *= r / double(n);
        sum += term;
    }
    return std::ldexp(sum, int(k));
}

// Natural logarithm of x > 0: x = m 2^e with m in [0.5, 1), then
// ln m = 2 atanh((m - 1) / (m + 1)) as a series.
inline double Log(double x)
{
    if (x <= 0.0)
        return -1e300;
    int e = 0;
    double m = std::frexp(x, &e);
    if (m < 0.70710678118654752440) {
        m *= 2.0;
        --e;
    }
    const double s = (m - 1.0) / (m + 1.0), s2 = s * s;
    double term = s, sum = 0.0;
    for (int n = 1; n <= 41; n += 2) {
        sum += term / double(n);
        term *= s2;
    }
    return 2.0 * sum + double(e) * 0.69314718055994530942;
}
inline double Pow(double a, double b) { return a <= 0.0 ? 0.0 : Exp(b * Log(a)); }

// atan2 for angles of decorations: series on the reduced argument.
inline double Atan(double x)
{
    bool invert = false, negative = x < 0;
    if (negative)
        x = -x;
    if (x > 1.0) {
        x = 1.0 / x;
        invert = true;
    }
    // atan x = 2 atan(x / (1 + sqrt(1 + x^2))) twice brings x below 0.2.
    x = x / (1.0 + std::sqrt(1.0 + x * x));
    x = x / (1.0 + std::sqrt(1.0 + x * x));
    const double x2 = x * x;
    double term = x, sum = 0.0;
    for (int n = 1; n <= 31; n += 2) {
        sum += term / double(n);
        term *= -x2;
    }
    double r = 4.0 * sum;
    if (invert)
        r = kPi / 2 - r;
    return negative ? -r : r;
}
inline double Atan2(double y, double x)
{
    if (x > 0)
        return Atan(y / x);
    if (x < 0)
        return y >= 0 ? Atan(y / x) + kPi : Atan(y / x) - kPi;
    return y > 0 ? kPi / 2 : (y < 0 ? -kPi / 2 : 0.0);
}

// Integer hash of a lattice point and a seed, 0..1 as a double.
inline uint32_t Hash(int32_t x, int32_t y, uint32_t seed)
{
    uint32_t h = seed * 0x9E3779B9u ^ uint32_t(x) * 0x85EBCA6Bu ^ uint32_t(y) * 0xC2B2AE35u;
    h ^= h >> 16;
    h *= 0x7FEB352Du;
    h ^= h >> 15;
    h *= 0x846CA68Bu;
    h ^= h >> 16;
    return h;
}
inline double Hash01(int32_t x, int32_t y, uint32_t seed) { return double(Hash(x, y, seed) >> 8) / 16777215.0; }

// Smooth value noise on a lattice of `period` cells that wraps (tiles) both
// ways; x and y in lattice units.
inline double ValueNoise(double x, double y, int period, uint32_t seed)
{
    const double fx = std::floor(x), fy = std::floor(y);
    const int ix = int(fx), iy = int(fy);
    const double tx = Smooth(x - fx), ty = Smooth(y - fy);
    auto at = [&](int i, int j) {
        i %= period;
        j %= period;
        if (i < 0)
            i += period;
        if (j < 0)
            j += period;
        return Hash01(i, j, seed);
    };
    const double a = Mix(at(ix, iy), at(ix + 1, iy), tx);
    const double b = Mix(at(ix, iy + 1), at(ix + 1, iy + 1), tx);
    return Mix(a, b, ty);
}

// Fractal sum of `octaves` value-noise layers, 0..1; tiles with `period`.
inline double Fbm(double x, double y, int period, int octaves, uint32_t seed)
{
    double sum = 0, amp = 0.5, norm = 0;
    for (int o = 0; o < octaves; ++o) {
        sum += amp * ValueNoise(x, y, period, seed + uint32_t(o) * 101u);
        norm += amp;
        x *= 2;
        y *= 2;
        period *= 2;
        amp *= 0.5;
    }
    return sum / norm;
}

// Our own small generator for scattered decorations (stars, bubbles).
struct Lcg {
    uint32_t state;
    explicit Lcg(uint32_t seed) : state(seed) {}
    uint32_t Next()
    {
        state = state * 1664525u + 1013904223u;
        return state >> 8;
    }
    int Below(int n) { return int(Next() % uint32_t(n)); }
    double Unit() { return double(Next()) / 16777216.0; }
};

} // namespace dg
