#pragma once
// Character-level view of UTF-8 locator text.
//
// Locator boxes hold arbitrary user text. Lengths are counted in characters
// (Unicode code points), and a byte that is not part of a well-formed UTF-8
// sequence counts as one character of its own, so no input can make the
// count or the decoding misbehave.

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

#include "geodesy/locator.h"

namespace geodesy::text {

// Code given to a character that has no code below 256 (and to a stray byte).
inline constexpr int kUnknownCharacterCode = '?';

// Codes of the characters of a locator, one for each position.
using LocatorCodes = std::array<int, kLocatorLength>;

// Number of characters in `text`.
std::size_t characterCount(std::string_view text);

// Codes of the first kLocatorLength characters of `text`; 0 where the text
// is shorter. An ASCII character's code is its ASCII value; any other
// character's code is its code point when below 256 (the Latin-1 value), else
// kUnknownCharacterCode.
LocatorCodes leadingCodes(std::string_view text);

// `text` with a..z mapped to A..Z and every other byte kept, which leaves
// multi-byte sequences untouched.
std::string upperCaseAscii(std::string_view text);

} // namespace geodesy::text
