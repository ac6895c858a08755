#pragma once
// Maidenhead locators: checking the two typed texts and decoding a locator
// to the centre of its six-character sub-square.
//
// Texts are UTF-8. Lengths are counted in characters, never in bytes, and
// any byte sequence is accepted without failure.

#include <cstddef>
#include <string>
#include <string_view>

namespace geodesy {

// Characters of a full locator: two field letters, two square digits and two
// sub-square letters. Only this many are decoded, and a longer text is invalid.
inline constexpr std::size_t kLocatorLength = 6;

// The two locators as normalised by NormaliseLocators, with its verdict.
struct LocatorCheck
{
    std::string locator1; // first text, upper-cased and completed
    std::string locator2; // second text, upper-cased and completed
    bool inputInvalid = false; // the pair cannot be used for a calculation
    bool firstTooLong = false; // the first locator has more than six characters
};

// Normalises and checks the texts of the first and second locator box.
//
// Each text is upper-cased (a..z only). A text of one to four characters is
// completed with "LL" (JN51 becomes JN51LL, the centre of the square), and
// when both were completed each gets "LL" once more. The pair is invalid when
// either locator is empty, longer than six characters, has no digit in third
// place, or is not a real six-character locator: field letters A..R, square
// digits 0..9, sub-square letters A..X, typed with four or six characters.
// Never fails.
LocatorCheck NormaliseLocators(std::string_view first, std::string_view second);

// A point on the earth, in degrees.
struct Position
{
    double latitude = 0; // degrees, north positive
    double longitude = 0; // degrees, east positive
};

// Decodes the first six characters of a normalised locator to the centre of
// its sub-square. Characters are decoded arithmetically whatever they are and
// missing ones count as code 0, so any text yields numbers (possibly far
// outside -90..90 and -180..180). Never fails.
Position DecodeLocator(std::string_view locator);

} // namespace geodesy
