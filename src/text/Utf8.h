#pragma once

#include <cstddef>
#include <string_view>

namespace quorvel {

// Length of the well-formed UTF-8 sequence at the start of s (1 for ASCII) and its code point;
// 0 when s is empty or its first byte does not begin one (a stray continuation byte, an overlong
// form, a surrogate, anything beyond U+10FFFF, a sequence cut off).
std::size_t DecodeUtf8(std::string_view s, char32_t& cp);

bool IsValidUtf8(std::string_view s);

} // namespace quorvel
