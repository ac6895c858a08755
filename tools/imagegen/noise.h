// Seeded, stateless noise: every value depends only on its coordinates and
// seed, so the images come out identical on every run and every machine, and
// the 2x picture samples the very same pattern as the 1x one.
#pragma once

#include <cmath>
#include <cstdint>

namespace imagegen {

// A well-mixed 32-bit hash of a lattice point (integer finaliser of MurmurHash3).
inline std::uint32_t latticeHash(std::int32_t x, std::int32_t y, std::uint32_t seed)
{
    std::uint32_t h = seed ^ (std::uint32_t(x) * 0x9e3779b1u) ^ (std::uint32_t(y) * 0x85ebca77u);
    h ^= h >> 16;
    h *= 0x7feb352du;
    h ^= h >> 15;
    h *= 0x846ca68bu;
    h ^= h >> 16;
    return h;
}

// Uniform in [0, 1) at a lattice point.
inline double latticeValue(std::int32_t x, std::int32_t y, std::uint32_t seed)
{
    return double(latticeHash(x, y, seed) >> 8) / double(1u << 24);
}

// Smoothly interpolated value noise in [0, 1) with features one unit apart.
inline double valueNoise(double x, double y, std::uint32_t seed)
{
    const double fx = std::floor(x);
    const double fy = std::floor(y);
    const auto ix = std::int32_t(fx);
    const auto iy = std::int32_t(fy);
    const double tx = x - fx;
    const double ty = y - fy;
    const double sx = tx * tx * (3 - 2 * tx); // smoothstep keeps the pattern free of creases
    const double sy = ty * ty * (3 - 2 * ty);
    const double a = latticeValue(ix, iy, seed);
    const double b = latticeValue(ix + 1, iy, seed);
    const double c = latticeValue(ix, iy + 1, seed);
    const double d = latticeValue(ix + 1, iy + 1, seed);
    return (a + (b - a) * sx) + ((c + (d - c) * sx) - (a + (b - a) * sx)) * sy;
}

// Fractal sum of `octaves` layers of value noise, each half the size and half
// the weight of the one before; result in [0, 1).
inline double fractalNoise(double x, double y, int octaves, std::uint32_t seed)
{
    double sum = 0;
    double weight = 0.5;
    double total = 0;
    for (int i = 0; i < octaves; ++i) {
        sum += weight * valueNoise(x, y, seed + std::uint32_t(i) * 1013u);
        total += weight;
        x *= 2;
        y *= 2;
        weight *= 0.5;
    }
    return sum / total;
}

} // namespace imagegen
