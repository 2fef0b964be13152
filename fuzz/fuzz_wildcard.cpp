// The wildcard matcher against a plain recursive reference over characters, written from the
// rules of the platform's file search: the pattern is rewritten into its DOS wildcards first
// ("<" a star that may not take the name's last dot, ">" a question mark that may match nothing
// at a dot or the end, "\"" a dot that may match the end), then matched by trying every split,
// remembering each answer.
#include "fs/Wildcard.h"

#include <cstdint>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

namespace {

// Input bytes pick from a small alphabet that holds every interesting kind of character: ASCII
// letters in both cases, the wildcards, the dot, the space, multi-byte characters with case
// (Greek with its final sigma, Latin-1), one without, and a stray byte.
const char* const kAlphabet[] = {"a", "A", "b",    ".", "*", "?", " ", "あ",
                                 "é", "É", "\xff", "B", "σ", "Σ", "ς"};

std::vector<std::string> Characters(const std::uint8_t* data, std::size_t size) {
    std::vector<std::string> chars;
    for (std::size_t i = 0; i < size; ++i)
        chars.emplace_back(kAlphabet[data[i] % (sizeof kAlphabet / sizeof *kAlphabet)]);
    return chars;
}

// The characters of the alphabet that are one letter in two cases.
std::string CaseClass(const std::string& c) {
    static const std::map<std::string, std::string> kLower{
        {"A", "a"}, {"B", "b"}, {"É", "é"}, {"Σ", "σ"}, {"ς", "σ"}};
    const auto it = kLower.find(c);
    return it == kLower.end() ? c : it->second;
}

std::vector<std::string> DosWildcards(std::vector<std::string> p) {
    const bool noExtension = !p.empty() && p.back() == ".";
    while (!p.empty() && (p.back() == "." || p.back() == " "))
        p.pop_back();
    if (p == std::vector<std::string>{"*", ".", "*"})
        return {"*"};
    std::vector<std::string> out;
    for (std::size_t i = 0; i < p.size(); ++i) {
        const std::string next = i + 1 < p.size() ? p[i + 1] : noExtension ? "." : "";
        if (p[i] == "?")
            out.push_back(">");
        else if (p[i] == "*")
            out.push_back(next == "." ? "<" : "*");
        else if (p[i] == "." && i + 1 < p.size() && (next == "*" || next == "?"))
            out.push_back("\"");
        else
            out.push_back(CaseClass(p[i]));
    }
    return out;
}

struct Reference {
    std::vector<std::string> e, n;
    std::size_t lastDot;
    // Remembered answers, so that many stars stay quick: -1 unknown.
    std::vector<signed char> known = std::vector<signed char>((e.size() + 1) * (n.size() + 1), -1);

    bool Match(std::size_t i, std::size_t j) {
        signed char& answer = known[i * (n.size() + 1) + j];
        if (answer < 0)
            answer = Compute(i, j);
        return answer != 0;
    }

    bool Compute(std::size_t i, std::size_t j) {
        if (i == e.size())
            return j == n.size();
        const std::string& c = e[i];
        if (c == "*" || c == "<") {
            for (std::size_t k = j;; ++k) {
                if (Match(i + 1, k))
                    return true;
                if (k == n.size() || (c == "<" && k == lastDot))
                    return false;
            }
        }
        if (c == ">") {
            if (j == n.size() || n[j] == ".") {
                std::size_t k = i;
                while (k < e.size() && e[k] == ">")
                    ++k;
                return Match(k, j);
            }
            return Match(i + 1, j + 1);
        }
        if (c == "\"")
            return j == n.size() ? Match(i + 1, j) : n[j] == "." && Match(i + 1, j + 1);
        return j < n.size() && CaseClass(n[j]) == c && Match(i + 1, j + 1);
    }
};

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
    std::size_t lastDot = name.size();
    for (std::size_t j = 0; j < name.size(); ++j)
        if (name[j] == ".")
            lastDot = j;
    Reference reference{DosWildcards(pattern), name, lastDot};
    if (quorvel::WildcardPattern(Join(pattern)).Matches(Join(name)) != reference.Match(0, 0))
        std::abort();
    return 0;
}
