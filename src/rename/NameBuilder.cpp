#include "rename/NameBuilder.h"

#include <charconv>
#include <utility>

namespace quorvel {

namespace {

bool IsCSpace(unsigned char c) {
    // isspace() of the C locale, spelled out so that the user's locale cannot widen it.
    return c == ' ' || (c >= '\t' && c <= '\r');
}

bool IsContinuation(unsigned char c) {
    return c >= 0x80 && c <= 0xBF;
}

// Length of the well-formed UTF-8 sequence at the start of s and its code point; 0 when the first
// byte does not begin one (stray continuation, overlong form, surrogate, beyond U+10FFFF, cut off).
std::size_t DecodeUtf8(std::string_view s, char32_t& cp) {
    const auto b0 = static_cast<unsigned char>(s[0]);
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

} // namespace

std::int32_t ParseStartNumber(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && IsCSpace(static_cast<unsigned char>(text[i])))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    // Unsigned arithmetic wraps by definition; the conversion back is modular since C++20.
    std::uint32_t value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i)
        value = value * 10u + static_cast<std::uint32_t>(text[i] - '0');
    if (negative)
        value = 0u - value;
    return static_cast<std::int32_t>(value);
}

std::size_t StartNumberWidth(std::string_view utf8) {
    std::size_t width = 0;
    while (!utf8.empty()) {
        if (static_cast<unsigned char>(utf8[0]) < 0x80) {
            width += 1;
            utf8.remove_prefix(1);
            continue;
        }
        char32_t cp = 0;
        const std::size_t len = DecodeUtf8(utf8, cp);
        if (len == 0) {
            width += 1;
            utf8.remove_prefix(1);
            continue;
        }
        const bool halfWidthKana = cp >= 0xFF61 && cp <= 0xFF9F;
        width += halfWidthKana ? 1 : 2;
        utf8.remove_prefix(len);
    }
    return width;
}

std::string FormatSequenceNumber(std::int32_t n, std::size_t width) {
    char digits[16];
    const auto end = std::to_chars(digits, digits + sizeof digits, n).ptr;
    std::string text(digits, end);
    // Padding by hand rather than through snprintf: a start text of any length gives a width that
    // printf's int field could not hold.
    if (text.size() < width)
        text.insert(n < 0 ? 1 : 0, width - text.size(), '0');
    return text;
}

std::string ExtensionOf(std::string_view name) {
    // In UTF-8 a "." byte is always the character itself, never part of a longer sequence.
    const auto dot = name.rfind('.');
    if (dot == std::string_view::npos)
        return {};
    return std::string(name.substr(dot));
}

void LowerAsciiLetters(std::string& s) {
    for (char& c : s) {
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c + ('a' - 'A'));
    }
}

std::string FolderPart(std::string_view folder) {
    std::string part(folder);
    if (part.empty() || part.back() != '/')
        part += '/';
    return part;
}

NameBuilder::NameBuilder(std::string prefix, std::string_view startNumberText, int lowerExt)
    : m_prefix(std::move(prefix)), m_start(ParseStartNumber(startNumberText)),
      m_width(StartNumberWidth(startNumberText)), m_lowerExt(lowerExt == 1) {}

std::string NameBuilder::NewName(std::string_view oldName, std::uint32_t k) const {
    const auto number = static_cast<std::int32_t>(static_cast<std::uint32_t>(m_start) + k);
    std::string extension = ExtensionOf(oldName);
    if (m_lowerExt)
        LowerAsciiLetters(extension);
    std::string name = m_prefix;
    name += FormatSequenceNumber(number, m_width);
    name += extension;
    return name;
}

} // namespace quorvel
