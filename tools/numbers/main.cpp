// Prints, for many locator pairs, every number the window would show for
// them, so that two builds of the program (say, for Linux and for Windows, or
// for amd64 and arm64) can be compared line by line with `cmp`.
//
//   numbers [count] [seed]
//
// The pairs are the edge cases below, then `count` random pairs (default
// 1000000) drawn from std::mt19937 with `seed` (default 1): the engine's
// output is fixed by the C++ standard, and only its raw output is used, so
// every platform draws the same pairs.
//
// Each line holds the two texts as typed, the azimuth box, the distance box,
// the four hidden coordinate boxes (latitude, longitude positive west, for
// each locator; in the C locale), the pointer's tip in twips, and, after a
// '|', the bits of four intermediate values of the arithmetic in hexadecimal,
// which are not shown anywhere but tell how close the two builds' maths
// libraries are. The shown values come from the window's own shownResults(),
// given the texts as the locator boxes hold them once typed.

#include <QLocale>
#include <QString>

#include <bit>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <random>
#include <string>

#include "geodesy/great_circle_trace.h"
#include "geodesy/locator.h"
#include "window/locator_text.h"
#include "window/shown_results.h"

namespace {

// Texts a user may type that take the arithmetic to its corners: squares,
// coinciding points, the poles' sub-squares, one meridian, antipodes, lower
// case, and texts that are no locator at all.
constexpr const char *kEdgePairs[][2] = {
    {"JN61FW", "JN45OL"},  {"JN45OL", "JN61FW"},  {"JN61FW", "FN31PR"}, {"IO91WM", "IO91VM"}, {"JN61FW", "JN61FV"},
    {"JN61FW", "JN61FA"},  {"JM61FW", "JN61FW"},  {"JN61FW", "JN61FW"}, {"JJ00AA", "JJ00AA"}, {"JJ00AA", "BJ00AA"},
    {"JN61FV", "JN61FW"},  {"JN51", "JN51"},      {"JN51", "JN45OL"},   {"jn61fw", "jn45ol"}, {"AA00AA", "RR99XX"},
    {"RR99XX", "AA00AA"},  {"AA00AA", "AA00AA"},  {"RR99XX", "RR99XX"}, {"AA00AA", "JA00AA"}, {"AR09AX", "JR09AX"},
    {"JN51ABC", "JN45OL"}, {"JN45OL", "JN51ABC"}, {"", "JN45OL"},       {"JN51", ""},         {"JN-1AB", "JN45OL"},
    {"SN51AB", "JN45OL"},  {"JN51YB", "JN45OL"},  {"JN5", "JN45"},      {"...", "JN45OL"},    {"JN51A", "JN45"},
    {"LL55LL", "AA00AA"},  {"JN61", "JN61FW"},
};

// A letter or digit from the raw output of the engine.
char pick(std::mt19937 &rng, char first, std::uint32_t count)
{
    return static_cast<char>(first + static_cast<char>(rng() % count));
}

// A random locator: six characters or, one time in eight, a square; one time
// in four in lower case.
std::string randomText(std::mt19937 &rng)
{
    const char field = rng() % 4 == 0 ? 'a' : 'A';
    const char subSquare = field == 'a' ? 'a' : 'A';
    std::string text{pick(rng, field, 18), pick(rng, field, 18), pick(rng, '0', 10), pick(rng, '0', 10)};
    if (rng() % 8 != 0)
        text += {pick(rng, subSquare, 24), pick(rng, subSquare, 24)};
    return text;
}

// The bits of a double, written alike by every C library's printf.
unsigned long long bits(double value)
{
    return std::bit_cast<unsigned long long>(value);
}

void printNumbers(const std::string &first, const std::string &second)
{
    // Typing upper-cases the texts in the boxes, and the window reads them there.
    const QString firstBox = locatorUpperCase(QString::fromStdString(first));
    const QString secondBox = locatorUpperCase(QString::fromStdString(second));
    const ShownResults shown = shownResults(firstBox, secondBox, QLocale::c());

    // The same arithmetic once more, for the intermediate values alone.
    const geodesy::LocatorCheck check = geodesy::NormaliseLocators(firstBox.toStdString(), secondBox.toStdString());
    const geodesy::Position a = geodesy::DecodeLocator(check.locator1);
    const geodesy::Position b = geodesy::DecodeLocator(check.locator2);
    const geodesy::AzimuthDistanceTrace trace =
        geodesy::traceAzimuthDistance(a.latitude, a.longitude, b.latitude, b.longitude);

    const std::optional<PointerTip> &tip = shown.pointerTip;
    std::printf("%s %s [%s] [%s] %s %s %s %s %d %d | %016llx %016llx %016llx %016llx\n", first.c_str(), second.c_str(),
                qPrintable(shown.azimuth), qPrintable(shown.distance), qPrintable(shown.firstLatitude),
                qPrintable(shown.firstLongitude), qPrintable(shown.secondLatitude), qPrintable(shown.secondLongitude),
                tip ? tip->x : -1, tip ? tip->y : -1, bits(trace.C), bits(trace.d), bits(trace.Z), bits(trace.A));
}

} // namespace

int main(int argc, char *argv[])
{
    const unsigned long count = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 1000000;
    const unsigned long seed = argc > 2 ? std::strtoul(argv[2], nullptr, 10) : 1;

    for (const auto &pair : kEdgePairs)
        printNumbers(pair[0], pair[1]);
    std::mt19937 rng(static_cast<std::mt19937::result_type>(seed));
    for (unsigned long i = 0; i < count; ++i) {
        const std::string first = randomText(rng);
        printNumbers(first, randomText(rng));
    }
    return std::fflush(stdout) == 0 ? EXIT_SUCCESS : EXIT_FAILURE;
}
