// The wildcard matcher against a plain dynamic-programming reference over characters.
#include "platform/Wildcard.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

// Input bytes pick from a small alphabet that holds every interesting kind of character: ASCII
// letters in both cases, the wildcards, the dot, multi-byte characters and a stray byte.
const char* const kAlphabet[] = {"a", "A", "b", ".", "*", "?", "あ", "é", "\xff", "B"};

std::vector<std::string> Characters(const std::uint8_t* data, std::size_t size) {
    std::vector<std::string> chars;
    for (std::size_t i = 0; i < size; ++i)
        chars.emplace_back(kAlphabet[data[i] % (sizeof kAlphabet / sizeof *kAlphabet)]);
    return chars;
}

bool SameChar(const std::string& p, const std::string& n) {
    if (p.size() == 1 && n.size() == 1) {
        const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c + 32) : c; };
        return lower(p[0]) == lower(n[0]);
    }
    return p == n;
}

bool Reference(const std::vector<std::string>& p, const std::vector<std::string>& n) {
    // m[i][j]: the first i pattern characters match the first j name characters.
    std::vector<std::vector<char>> m(p.size() + 1, std::vector<char>(n.size() + 1, 0));
    m[0][0] = 1;
    for (std::size_t i = 1; i <= p.size(); ++i) {
        for (std::size_t j = 0; j <= n.size(); ++j) {
            if (p[i - 1] == "*")
                m[i][j] = m[i - 1][j] || (j > 0 && m[i][j - 1]);
            else if (j > 0)
                m[i][j] = m[i - 1][j - 1] && (p[i - 1] == "?" || SameChar(p[i - 1], n[j - 1]));
        }
    }
    return m[p.size()][n.size()];
}

// A pattern ending in "." and at least one "*" also matches with that ending dropped, so "*.*"
// matches names without a dot.
bool ReferenceWithDotRule(std::vector<std::string> p, const std::vector<std::string>& n) {
    if (Reference(p, n))
        return true;
    std::size_t stars = 0;
    while (stars < p.size() && p[p.size() - 1 - stars] == "*")
        ++stars;
    if (stars == 0 || stars == p.size() || p[p.size() - 1 - stars] != ".")
        return false;
    p.resize(p.size() - stars - 1);
    return Reference(p, n);
}

std::string Join(const std::vector<std::string>& chars) {
    std::string s;
    for (const std::string& c : chars)
        s += c;
    return s;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0 || size > 64)
        return 0;
    const std::size_t split = data[0] % size;
    const auto pattern = Characters(data + 1, split);
    auto name = Characters(data + 1 + split, size - 1 - split);
    // "*" and "?" never occur in file names.
    std::erase_if(name, [](const std::string& c) { return c == "*" || c == "?"; });
    if (quorvel::MatchWildcard(Join(pattern), Join(name)) != ReferenceWithDotRule(pattern, name))
        std::abort();
    return 0;
}
