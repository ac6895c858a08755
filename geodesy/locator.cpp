#include "geodesy/locator.h"

#include <array>
#include <cstddef>

#include "geodesy/utf8_text.h"

namespace geodesy {
namespace {

constexpr std::size_t kCompletable = 4; // up to this many characters get "LL"
constexpr std::string_view kSquareCentre = "LL";

constexpr int kCodeA = 'A';
constexpr int kCodeZero = '0';
constexpr int kCodeNine = '9';
constexpr int kCodeR = 'R'; // last field letter
constexpr int kCodeX = 'X'; // last sub-square letter

// Sub-square letters are counted from half a letter before A, so that a
// decoded point lies at the centre of its sub-square rather than on its edge.
constexpr double kSubSquareCentreCode = kCodeA - 0.5;

// The sub-square term of a decoded position, (code - kSubSquareCentreCode) /
// divisor, for every character code 0..255. The compiler does the same double
// division once for each code, so a look-up gives the very bits that dividing
// at run time would, without the division's latency.
template<int Divisor>
constexpr std::array<double, 256> subSquareTerms()
{
    std::array<double, 256> terms{};
    for (int code = 0; code < 256; ++code)
        terms[code] = (code - kSubSquareCentreCode) / Divisor;
    return terms;
}
constexpr auto kLongitudeSubSquareTerms = subSquareTerms<12>(); // degrees
constexpr auto kLatitudeSubSquareTerms = subSquareTerms<24>(); // degrees

struct Normalised
{
    std::size_t length = 0; // characters, after the first completion
    bool completed = false;
    text::LocatorCodes codes{};
};

// Puts `typed` into `text` upper-cased and completed.
Normalised upperCaseAndComplete(std::string_view typed, std::string &text)
{
    text = text::upperCaseAscii(typed);
    Normalised n;
    n.length = text::characterCount(text);
    if (n.length >= 1 && n.length <= kCompletable) {
        text += kSquareCentre;
        n.length += kSquareCentre.size();
        n.completed = true;
    }
    n.codes = text::leadingCodes(text);
    return n;
}

bool thirdIsDigit(const text::LocatorCodes &codes, std::size_t length)
{
    return length >= 3 && codes[2] >= kCodeZero && codes[2] <= kCodeNine;
}

bool inRange(int code, int first, int last)
{
    return code >= first && code <= last;
}

// Only texts typed with four or six characters can name a real sub-square;
// three or five characters would put a completion letter where a digit or a
// sub-square letter belongs and silently move the point by degrees.
bool isRealLocator(const text::LocatorCodes &c, std::size_t length)
{
    return length == kLocatorLength && inRange(c[0], kCodeA, kCodeR) && inRange(c[1], kCodeA, kCodeR)
        && inRange(c[2], kCodeZero, kCodeNine) && inRange(c[3], kCodeZero, kCodeNine) && inRange(c[4], kCodeA, kCodeX)
        && inRange(c[5], kCodeA, kCodeX);
}

} // namespace

LocatorCheck NormaliseLocators(std::string_view first, std::string_view second)
{
    LocatorCheck check;

    const Normalised one = upperCaseAndComplete(first, check.locator1);
    const auto &codes1 = one.codes;
    if (one.length > kLocatorLength)
        check.firstTooLong = check.inputInvalid = true;
    if (!thirdIsDigit(codes1, one.length))
        check.inputInvalid = true;

    const Normalised two = upperCaseAndComplete(second, check.locator2);
    const auto &codes2 = two.codes;
    if (two.length > kLocatorLength)
        check.inputInvalid = true;
    if (!thirdIsDigit(codes2, two.length))
        check.inputInvalid = true;

    if (one.length == 0 || two.length == 0)
        check.inputInvalid = true;

    // When both texts were completed, each gets the centre letters once more
    // (JN51 becomes JN51LLLL). Only a three-character text decodes
    // differently for it, and the strict test below rejects such a text
    // anyway; the normalised texts are part of the result all the same.
    if (one.completed && two.completed) {
        check.locator1 += kSquareCentre;
        check.locator2 += kSquareCentre;
    }

    if (!isRealLocator(codes1, one.length) || !isRealLocator(codes2, two.length)) {
        check.inputInvalid = true;
    }

    return check;
}

Position DecodeLocator(std::string_view locator)
{
    const auto c = text::leadingCodes(locator);
    // Whole-degree terms first, left to right, then the sub-square term.
    Position p;
    p.longitude = -180.0 + (c[0] - kCodeA) * 20 + (c[2] - kCodeZero) * 2 + kLongitudeSubSquareTerms[c[4]];
    p.latitude = -90.0 + (c[1] - kCodeA) * 10 + (c[3] - kCodeZero) + kLatitudeSubSquareTerms[c[5]];
    return p;
}

} // namespace geodesy
