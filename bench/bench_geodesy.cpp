// A whole calculation (check two texts, decode both, azimuth and distance)
// against its floor: the sine, cosine, arc-tangent and square-root calls that
// the same calculation cannot avoid, on the same arguments.

#include <benchmark/benchmark.h>

#include <cmath>
#include <random>
#include <string>
#include <vector>

#include "geodesy/great_circle_trace.h"
#include "geodesy/locator.h"
#include "tests/random_locator.h"

namespace {

constexpr int kPairs = 4096;

struct Pair
{
    std::string first, second;
};

const std::vector<Pair> &benchPairs()
{
    static const std::vector<Pair> pairs = [] {
        std::mt19937 rng(1234);
        std::vector<Pair> v;
        for (int i = 0; i < kPairs; ++i) {
            // One in eight is a four-character square, as people often type.
            v.push_back({randomLocator(rng, i % 8 == 0, 'a'), randomLocator(rng, i % 8 == 3, 'a')});
        }
        return v;
    }();
    return pairs;
}

// The next pair's index, made to depend on this pair's result (times zero)
// so that one calculation ends before the next begins, as when a person
// types: each figure is a calculation's latency, not its throughput.
std::size_t nextIndex(std::size_t i, double result)
{
    return i + 1 + static_cast<std::size_t>(result * 0.0 != 0.0);
}

// The arguments each unavoidable library call receives for one pair.
struct CallArguments
{
    double Y1, Y2, D, C, quotientD, d, Z, quotientA;
};

const std::vector<CallArguments> &callArguments()
{
    static const std::vector<CallArguments> arguments = [] {
        std::vector<CallArguments> v;
        for (const Pair &pair : benchPairs()) {
            const auto check = geodesy::NormaliseLocators(pair.first, pair.second);
            const auto a = geodesy::DecodeLocator(check.locator1);
            const auto b = geodesy::DecodeLocator(check.locator2);
            const auto t = geodesy::traceAzimuthDistance(a.latitude, a.longitude, b.latitude, b.longitude);
            v.push_back(
                {t.Y1, t.Y2, t.D, t.C, std::sqrt(1 - t.C * t.C) / t.C, t.d, t.Z, std::sqrt(1 - t.Z * t.Z) / t.Z});
        }
        return v;
    }();
    return arguments;
}

void wholeCalculation(benchmark::State &state)
{
    const auto &pairs = benchPairs();
    std::size_t i = 0;
    for (auto _ : state) {
        const Pair &pair = pairs[i % pairs.size()];
        const auto check = geodesy::NormaliseLocators(pair.first, pair.second);
        const auto a = geodesy::DecodeLocator(check.locator1);
        const auto b = geodesy::DecodeLocator(check.locator2);
        auto result = geodesy::AzimuthDistance(a.latitude, a.longitude, b.latitude, b.longitude);
        benchmark::DoNotOptimize(check.inputInvalid);
        i = nextIndex(i, result.distance);
    }
}
BENCHMARK(wholeCalculation);

// The ten library calls with the data dependencies the mathematics imposes:
// each arc-tangent waits for its square root, which waits for the cosines.
void mathLibraryFloor(benchmark::State &state)
{
    const auto &arguments = callArguments();
    std::size_t i = 0;
    for (auto _ : state) {
        const CallArguments &x = arguments[i % arguments.size()];
        const double sinY1 = std::sin(x.Y1), cosY1 = std::cos(x.Y1);
        const double sinY2 = std::sin(x.Y2), cosY2 = std::cos(x.Y2);
        const double C = sinY1 * sinY2 + cosY1 * cosY2 * std::cos(x.D);
        const double d = std::atan(std::sqrt(1 - C * C) / C);
        const double Z = (sinY2 - C * sinY1) / std::sin(d) / cosY1;
        const double A = std::atan(std::sqrt(1 - Z * Z) / Z);
        i = nextIndex(i, A);
    }
}
BENCHMARK(mathLibraryFloor);

// The same ten calls on arguments computed beforehand, so that the processor
// can overlap them: a lower bound no real calculation reaches.
void independentCallsFloor(benchmark::State &state)
{
    const auto &arguments = callArguments();
    std::size_t i = 0;
    for (auto _ : state) {
        const CallArguments &x = arguments[i % arguments.size()];
        double sum = std::sin(x.Y1) + std::cos(x.Y1) + std::sin(x.Y2) + std::cos(x.Y2) + std::cos(x.D);
        sum += std::sqrt(1 - x.C * x.C) + std::atan(x.quotientD) + std::sin(x.d);
        sum += std::sqrt(1 - x.Z * x.Z) + std::atan(x.quotientA);
        i = nextIndex(i, sum);
    }
}
BENCHMARK(independentCallsFloor);

} // namespace

BENCHMARK_MAIN();
