#include "rename/NameBuilder.h"

#include "text/ShiftJisWidth.h"

#include <charconv>
#include <utility>

namespace quorvel {

namespace {

bool IsCSpace(unsigned char c) {
    // isspace() of the C locale, spelled out so that the user's locale cannot widen it.
    return c == ' ' || (c >= '\t' && c <= '\r');
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
      m_width(ShiftJisWidth(startNumberText)), m_lowerExt(lowerExt == 1) {}

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
