#include "geodesy/utf8_text.h"

#include <cstdint>

namespace geodesy::text {
namespace {

struct Character
{
    char32_t codePoint; // U+FFFD for a stray byte
    std::size_t bytes; // how many bytes of the text it spans, at least 1
};

constexpr char32_t kReplacement = 0xFFFD;

bool isContinuation(unsigned char byte)
{
    return (byte & 0xC0) == 0x80;
}

// Reads the character that starts at the front of `text` (non-empty).
// Overlong forms, surrogates and values past U+10FFFF are not well formed:
// their first byte then counts as one character.
Character readCharacter(std::string_view text)
{
    const auto lead = static_cast<unsigned char>(text[0]);
    if (lead < 0x80)
        return {lead, 1};

    std::size_t length = 0;
    char32_t value = 0;
    char32_t smallest = 0;
    if ((lead & 0xE0) == 0xC0) {
        length = 2, value = lead & 0x1F, smallest = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 3, value = lead & 0x0F, smallest = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
        length = 4, value = lead & 0x07, smallest = 0x10000;
    } else {
        return {kReplacement, 1};
    }
    if (text.size() < length)
        return {kReplacement, 1};
    for (std::size_t i = 1; i < length; ++i) {
        const auto byte = static_cast<unsigned char>(text[i]);
        if (!isContinuation(byte))
            return {kReplacement, 1};
        value = (value << 6) | (byte & 0x3F);
    }
    const bool surrogate = value >= 0xD800 && value <= 0xDFFF;
    if (value < smallest || surrogate || value > 0x10FFFF)
        return {kReplacement, 1};
    return {value, length};
}

} // namespace

std::size_t characterCount(std::string_view text)
{
    std::size_t count = 0;
    while (!text.empty()) {
        // ASCII runs are the common case; skip them a byte at a time without decoding.
        if (static_cast<unsigned char>(text[0]) < 0x80) {
            text.remove_prefix(1);
        } else {
            text.remove_prefix(readCharacter(text).bytes);
        }
        ++count;
    }
    return count;
}

LocatorCodes leadingCodes(std::string_view text)
{
    LocatorCodes codes{};
    for (int &code : codes) {
        if (text.empty())
            break;
        const auto lead = static_cast<unsigned char>(text[0]);
        if (lead < 0x80) {
            code = lead;
            text.remove_prefix(1);
            continue;
        }
        const Character c = readCharacter(text);
        code = c.codePoint < 256 ? static_cast<int>(c.codePoint) : kUnknownCharacterCode;
        text.remove_prefix(c.bytes);
    }
    return codes;
}

std::string upperCaseAscii(std::string_view text)
{
    std::string upper(text);
    for (char &byte : upper) {
        if (byte >= 'a' && byte <= 'z')
            byte = static_cast<char>(byte - 'a' + 'A');
    }
    return upper;
}

} // namespace geodesy::text
