#pragma once

#include <string_view>
#include <vector>

namespace quorvel {

// A search pattern of the folder listing, read once and matched against many names, the way the
// platform's file search matches them:
//   - trailing dots and spaces of the pattern are ignored; a pattern that ended in "." asks for
//     names without an extension, so "*." matches "README" but not "a.txt";
//   - "*" matches any run of characters, the empty one included; a "*" followed by "." (or, in a
//     pattern that ended in ".", the last one) cannot take the name's last "." into its run;
//   - "?" matches one character other than "."; at a "." or at the end of the name it matches
//     nothing, together with the "?"s right after it ("a?.txt" matches "a.txt");
//   - a "." followed by "*" or "?" matches a "." or the end of the name, so a final ".*" may
//     match nothing ("*.*" and "report.*" match "report"); any other "." matches itself;
//   - every other character matches itself whatever its letter case (Unicode simple case
//     folding of whole characters: "Ｔ" and "ｔ", "É" and "é", "Σ", "σ" and "ς" are alike).
// Characters are UTF-8 characters; a byte that does not start a valid UTF-8 sequence is one
// character on its own that matches only the same byte, so names that are not UTF-8 still work.
class WildcardPattern {
public:
    explicit WildcardPattern(std::string_view pattern);

    bool Matches(std::string_view name) const;

private:
    enum class Kind : unsigned char {
        Char,              // one character, folded
        Star,              // "*"
        StarBeforeLastDot, // "*" that may not take the name's last "."
        Question,          // "?"
        DotOrEnd           // "." before "*" or "?"
    };
    struct Token {
        Kind kind;
        char32_t folded; // for Char
    };

    std::vector<Token> m_tokens;
    bool m_everyName = false;
};

} // namespace quorvel
