#include "text/ShiftJisWidth.h"

#include "text/Utf8.h"

namespace quorvel {

namespace {

bool IsShiftJisLead(unsigned char c) {
    return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
}

bool IsShiftJisTrail(unsigned char c) {
    return c >= 0x40 && c <= 0xFC && c != 0x7F;
}

struct Character {
    std::size_t bytes;
    std::size_t width;
};

Character NextCharacter(std::string_view rest, bool utf8) {
    if (utf8) {
        char32_t cp = 0;
        const std::size_t len = DecodeUtf8(rest, cp);
        const bool single = cp < 0x80 || (cp >= 0xFF61 && cp <= 0xFF9F);
        return {len, single ? 1u : 2u};
    }
    const bool pair = rest.size() >= 2 && IsShiftJisLead(static_cast<unsigned char>(rest[0])) &&
                      IsShiftJisTrail(static_cast<unsigned char>(rest[1]));
    return pair ? Character{2, 2} : Character{1, 1};
}

// The longest start of text within maxWidth: its bytes and its width.
Character Measure(std::string_view text, std::size_t maxWidth) {
    const bool utf8 = IsValidUtf8(text);
    Character prefix{0, 0};
    while (prefix.bytes < text.size()) {
        const Character c = NextCharacter(text.substr(prefix.bytes), utf8);
        if (prefix.width + c.width > maxWidth)
            break;
        prefix.bytes += c.bytes;
        prefix.width += c.width;
    }
    return prefix;
}

} // namespace

std::size_t ShiftJisWidth(std::string_view text) {
    // No character counts more than it has bytes, so the whole text fits.
    return Measure(text, text.size()).width;
}

std::size_t ShiftJisPrefix(std::string_view text, std::size_t maxWidth) {
    return Measure(text, maxWidth).bytes;
}

} // namespace quorvel
