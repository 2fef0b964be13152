#pragma once

// Lengths as the platform's code page, Shift-JIS (CP932), counts them: the start number's width
// and the read buffer of a profile value are counted in its bytes.

#include <cstddef>
#include <string_view>

namespace quorvel {

// Valid UTF-8 counts 1 per ASCII character and per half-width katakana (U+FF61 to U+FF9F) and 2
// per any other character. Text that is not valid UTF-8 is taken to be Shift-JIS already (a
// settings file carried over from the platform), so its bytes count as they are.
std::size_t ShiftJisWidth(std::string_view text);

// The byte length of the longest start of text whose ShiftJisWidth is at most maxWidth. It never
// ends inside a character: a UTF-8 one, or in text that is not UTF-8 a Shift-JIS lead byte and
// its trail byte.
std::size_t ShiftJisPrefix(std::string_view text, std::size_t maxWidth);

} // namespace quorvel
