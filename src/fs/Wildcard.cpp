#include "fs/Wildcard.h"

#include "text/Utf8.h"

#include <algorithm>
#include <cstddef>
#include <locale.h>
#include <wctype.h>

namespace quorvel {

namespace {

// A byte that is not part of valid UTF-8 stands for itself, apart from every character.
constexpr char32_t kRawByte = 0x110000;

struct Unit {
    char32_t value; // a code point, or kRawByte + the byte
    std::size_t bytes;
};

Unit NextUnit(std::string_view rest) {
    char32_t cp = 0;
    const std::size_t len = DecodeUtf8(rest, cp);
    if (len == 0)
        return {kRawByte + static_cast<unsigned char>(rest[0]), 1};
    return {cp, len};
}

// The case mappings of the C.UTF-8 locale, which Debian's C library always ships: the user's own
// locale must not decide what matches (a Turkish one would map "I" to a dotless i).
locale_t CaseMappings() {
    static const locale_t mappings = newlocale(LC_CTYPE_MASK, "C.UTF-8", locale_t{});
    return mappings;
}

// Simple case folding: the lower case of the upper case is that for every character but the
// Turkic dotted and dotless i, which simple folding leaves apart from "i" and "I".
char32_t Folded(char32_t c) {
    if (c < 0x80)
        return c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c;
    if (c >= kRawByte || c == 0x130 || c == 0x131 || CaseMappings() == locale_t{})
        return c;
    const locale_t mappings = CaseMappings();
    return static_cast<char32_t>(
        towlower_l(towupper_l(static_cast<wint_t>(c), mappings), mappings));
}

} // namespace

WildcardPattern::WildcardPattern(std::string_view pattern) {
    bool noExtension = pattern.ends_with('.');
    pattern = pattern.substr(0, pattern.find_last_not_of(". ") + 1);
    // The platform reads "*.*" as "*" even with a dot after it ("*.*." is every name too).
    if (pattern == "*.*") {
        pattern = "*";
        noExtension = false;
    }
    for (std::size_t pos = 0; pos < pattern.size();) {
        const Unit unit = NextUnit(pattern.substr(pos));
        pos += unit.bytes;
        const char next = pos < pattern.size() ? pattern[pos] : noExtension ? '.' : '\0';
        switch (unit.value) {
        case '*':
            m_tokens.push_back({next == '.' ? Kind::StarBeforeLastDot : Kind::Star, 0});
            break;
        case '?':
            m_tokens.push_back({Kind::Question, 0});
            break;
        case '.':
            if (pos < pattern.size() && (next == '*' || next == '?')) {
                m_tokens.push_back({Kind::DotOrEnd, 0});
                break;
            }
            [[fallthrough]];
        default:
            m_tokens.push_back({Kind::Char, Folded(unit.value)});
        }
    }
    m_everyName = !m_tokens.empty() && std::ranges::all_of(m_tokens, [](const Token& t) {
        return t.kind == Kind::Star;
    });
}

// Runs the pattern as a set of positions reached so far, one step per name character, so the
// cost is at most pattern x name, never exponential.
bool WildcardPattern::Matches(std::string_view name) const {
    if (m_everyName)
        return true;
    const std::size_t count = m_tokens.size();
    std::vector<char> reached(count + 1, 0);
    std::vector<char> after(count + 1, 0);
    // Adds what a position reaches without taking a character, before the character at pos.
    const auto close = [&](std::vector<char>& set, std::size_t pos) {
        const bool atEnd = pos == name.size();
        for (std::size_t i = 0; i < count; ++i) {
            if (!set[i])
                continue;
            switch (m_tokens[i].kind) {
            case Kind::Star:
            case Kind::StarBeforeLastDot:
                set[i + 1] = 1;
                break;
            case Kind::Question:
                if (atEnd || name[pos] == '.') {
                    std::size_t end = i;
                    while (end < count && m_tokens[end].kind == Kind::Question)
                        ++end;
                    set[end] = 1;
                }
                break;
            case Kind::DotOrEnd:
                if (atEnd)
                    set[i + 1] = 1;
                break;
            case Kind::Char:
                break;
            }
        }
    };
    const std::size_t lastDot = name.rfind('.');
    reached[0] = 1;
    close(reached, 0);
    for (std::size_t pos = 0; pos < name.size();) {
        const Unit unit = NextUnit(name.substr(pos));
        const char32_t folded = Folded(unit.value);
        const bool dot = unit.value == '.';
        std::ranges::fill(after, 0);
        bool any = false;
        for (std::size_t i = 0; i < count; ++i) {
            if (!reached[i])
                continue;
            std::size_t to = count + 1; // none
            switch (m_tokens[i].kind) {
            case Kind::Char:
                to = m_tokens[i].folded == folded ? i + 1 : to;
                break;
            case Kind::Star:
                to = i;
                break;
            case Kind::StarBeforeLastDot:
                to = pos == lastDot ? to : i;
                break;
            case Kind::Question:
                to = dot ? to : i + 1;
                break;
            case Kind::DotOrEnd:
                to = dot ? i + 1 : to;
                break;
            }
            if (to <= count) {
                after[to] = 1;
                any = true;
            }
        }
        if (!any)
            return false;
        pos += unit.bytes;
        close(after, pos);
        reached.swap(after);
    }
    return reached[count] != 0;
}

} // namespace quorvel
