#pragma once

#include <cstddef>
#include <string_view>

namespace quorvel {

// Names compared as a file system that ignores letter case compares them, as far as ASCII goes:
// A-Z match a-z, every other byte only itself.
constexpr unsigned char FoldAsciiLetter(unsigned char byte) {
    return byte >= 'A' && byte <= 'Z' ? static_cast<unsigned char>(byte + ('a' - 'A')) : byte;
}

constexpr bool EqualIgnoringAsciiCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (FoldAsciiLetter(static_cast<unsigned char>(a[i])) !=
            FoldAsciiLetter(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

// Hash and equality for containers keyed by name in any ASCII letter case.
struct AsciiCaseInsensitiveHash {
    std::size_t operator()(std::string_view name) const {
        std::size_t h = 14695981039346656037ull; // FNV-1a
        for (const char c : name)
            h = (h ^ FoldAsciiLetter(static_cast<unsigned char>(c))) * 1099511628211ull;
        return h;
    }
};

struct AsciiCaseInsensitiveEqual {
    bool operator()(std::string_view a, std::string_view b) const {
        return EqualIgnoringAsciiCase(a, b);
    }
};

} // namespace quorvel
