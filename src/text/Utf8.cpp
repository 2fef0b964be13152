#include "text/Utf8.h"

namespace quorvel {

namespace {

bool IsContinuation(unsigned char c) {
    return c >= 0x80 && c <= 0xBF;
}

} // namespace

std::size_t DecodeUtf8(std::string_view s, char32_t& cp) {
    if (s.empty())
        return 0;
    const auto b0 = static_cast<unsigned char>(s[0]);
    if (b0 < 0x80) {
        cp = b0;
        return 1;
    }
    std::size_t len = 0;
    unsigned char lo = 0x80;
    unsigned char hi = 0xBF;
    if (b0 >= 0xC2 && b0 <= 0xDF) {
        len = 2;
        cp = b0 & 0x1F;
    } else if (b0 >= 0xE0 && b0 <= 0xEF) {
        len = 3;
        cp = b0 & 0x0F;
        if (b0 == 0xE0)
            lo = 0xA0;
        else if (b0 == 0xED)
            hi = 0x9F;
    } else if (b0 >= 0xF0 && b0 <= 0xF4) {
        len = 4;
        cp = b0 & 0x07;
        if (b0 == 0xF0)
            lo = 0x90;
        else if (b0 == 0xF4)
            hi = 0x8F;
    } else {
        return 0;
    }
    if (s.size() < len)
        return 0;
    const auto b1 = static_cast<unsigned char>(s[1]);
    if (b1 < lo || b1 > hi)
        return 0;
    cp = (cp << 6) | (b1 & 0x3F);
    for (std::size_t i = 2; i < len; ++i) {
        const auto b = static_cast<unsigned char>(s[i]);
        if (!IsContinuation(b))
            return 0;
        cp = (cp << 6) | (b & 0x3F);
    }
    return len;
}

bool IsValidUtf8(std::string_view s) {
    while (!s.empty()) {
        char32_t cp = 0;
        const std::size_t len = DecodeUtf8(s, cp);
        if (len == 0)
            return false;
        s.remove_prefix(len);
    }
    return true;
}

} // namespace quorvel
