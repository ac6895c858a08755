#pragma once
// Random well-formed locators, for the property tests and the benchmark.

#include <random>
#include <string>

// Field letters A-R, square digits 0-9 and, unless `square`, sub-square
// letters from `subSquareA` on (A-X, or a-x for text as typed in lower case).
inline std::string randomLocator(std::mt19937 &rng, bool square = false, char subSquareA = 'A')
{
    const auto pick = [&rng](char first, int count) {
        return static_cast<char>(first + std::uniform_int_distribution<int>(0, count - 1)(rng));
    };
    std::string text{pick('A', 18), pick('A', 18), pick('0', 10), pick('0', 10)};
    if (!square)
        text += {pick(subSquareA, 24), pick(subSquareA, 24)};
    return text;
}
