#include "platform/Wildcard.h"

#include <cstddef>

namespace quorvel {

namespace {

bool IsContinuation(unsigned char byte) {
    return (byte & 0xC0) == 0x80;
}

// Length of the character starting at text[pos]: the length of a well-formed UTF-8 sequence
// (no overlong forms, no surrogates, nothing above U+10FFFF), otherwise 1.
std::size_t CharLength(std::string_view text, std::size_t pos) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[pos + i]); };
    const std::size_t left = text.size() - pos;
    const unsigned char lead = byte(0);
    if (lead < 0x80) {
        return 1;
    }
    if (lead >= 0xC2 && lead <= 0xDF) {
        return left >= 2 && IsContinuation(byte(1)) ? 2 : 1;
    }
    if (lead >= 0xE0 && lead <= 0xEF) {
        if (left < 3 || !IsContinuation(byte(1)) || !IsContinuation(byte(2))) {
            return 1;
        }
        if ((lead == 0xE0 && byte(1) < 0xA0) || (lead == 0xED && byte(1) > 0x9F)) {
            return 1;
        }
        return 3;
    }
    if (lead >= 0xF0 && lead <= 0xF4) {
        if (left < 4 || !IsContinuation(byte(1)) || !IsContinuation(byte(2)) ||
            !IsContinuation(byte(3))) {
            return 1;
        }
        if ((lead == 0xF0 && byte(1) < 0x90) || (lead == 0xF4 && byte(1) > 0x8F)) {
            return 1;
        }
        return 4;
    }
    return 1;
}

unsigned char FoldAscii(unsigned char byte) {
    return byte >= 'A' && byte <= 'Z' ? static_cast<unsigned char>(byte - 'A' + 'a') : byte;
}

// Compares the pattern character at pattern[pp] (length plen) with the name character at
// name[np] (length nlen).
bool SameChar(std::string_view pattern, std::size_t pp, std::size_t plen, std::string_view name,
              std::size_t np, std::size_t nlen) {
    if (plen != nlen) {
        return false;
    }
    if (plen == 1) {
        return FoldAscii(static_cast<unsigned char>(pattern[pp])) ==
               FoldAscii(static_cast<unsigned char>(name[np]));
    }
    return pattern.substr(pp, plen) == name.substr(np, nlen);
}

// The greedy-star matcher: on a mismatch only the most recent "*" takes one more character.
// Going back further is never needed, so the cost stays at most pattern x name characters,
// never exponential.
bool MatchPlain(std::string_view pattern, std::string_view name) {
    std::size_t pp = 0;
    std::size_t np = 0;
    std::size_t starPattern = std::string_view::npos; // pattern position just after the last "*"
    std::size_t starName = 0;                         // where that "*"'s run currently ends
    while (np < name.size()) {
        if (pp < pattern.size()) {
            const auto pc = static_cast<unsigned char>(pattern[pp]);
            const auto nc = static_cast<unsigned char>(name[np]);
            if (pc == '*') {
                starPattern = ++pp;
                starName = np;
                continue;
            }
            if (pc < 0x80 && nc < 0x80) {
                if (pc == '?' || FoldAscii(pc) == FoldAscii(nc)) {
                    ++pp;
                    ++np;
                    continue;
                }
            } else {
                const std::size_t nlen = CharLength(name, np);
                if (pc == '?') {
                    ++pp;
                    np += nlen;
                    continue;
                }
                const std::size_t plen = CharLength(pattern, pp);
                if (SameChar(pattern, pp, plen, name, np, nlen)) {
                    pp += plen;
                    np += nlen;
                    continue;
                }
            }
        }
        if (starPattern == std::string_view::npos) {
            return false;
        }
        pp = starPattern;
        starName += CharLength(name, starName);
        np = starName;
    }
    while (pp < pattern.size() && pattern[pp] == '*') {
        ++pp;
    }
    return pp == pattern.size();
}

bool AllStars(std::string_view text) {
    return text.find_first_not_of('*') == std::string_view::npos;
}

// "*", "*.*" and the like: the everyday patterns, answered without looking at the name.
bool MatchesEveryName(std::string_view pattern) {
    if (pattern.empty()) {
        return false;
    }
    const std::size_t dot = pattern.find('.');
    if (dot == std::string_view::npos) {
        return AllStars(pattern);
    }
    return dot > 0 && dot + 1 < pattern.size() && AllStars(pattern.substr(0, dot)) &&
           AllStars(pattern.substr(dot + 1));
}

} // namespace

bool MatchWildcard(std::string_view pattern, std::string_view name) {
    if (MatchesEveryName(pattern) || MatchPlain(pattern, name)) {
        return true;
    }
    // "*.*" has to mean "every file", names without an extension included, because that is
    // what users type to see everything. The rule behind it, applied consistently: a pattern
    // whose end is "." followed only by stars may also match with that end dropped, i.e. the
    // ".*" may match the empty end of a name. So "a*.*" also matches "abc", and "*.**" behaves
    // like "*.*". Nothing else is special: "?" always takes exactly one character and "*."
    // matches only names that end in a dot.
    std::size_t end = pattern.size();
    while (end > 0 && pattern[end - 1] == '*') {
        --end;
    }
    if (end == pattern.size() || end == 0 || pattern[end - 1] != '.') {
        return false;
    }
    return MatchPlain(pattern.substr(0, end - 1), name);
}

} // namespace quorvel
