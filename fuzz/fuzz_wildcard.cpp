// Whatever pattern is typed and whatever bytes a name holds, matching ends without a fault, and a
// name without wildcards or a trailing dot or space, taken as the pattern, finds itself.
#include "fs/Wildcard.h"

#include <cstdint>
#include <cstdlib>
#include <string>

namespace {

// The wildcards, the dot and the space, letters of both cases within ASCII and beyond, a kanji and
// a byte that is no UTF-8: the same pick of characters as the seed corpus was written for.
const char* const kAlphabet[] = {"a", "A", "b",    ".", "*", "?", " ", "あ",
                                 "é", "É", "\xff", "B", "σ", "Σ", "ς"};

std::string Text(const std::uint8_t* data, std::size_t size) {
    std::string text;
    for (std::size_t i = 0; i < size; ++i)
        text += kAlphabet[data[i] % std::size(kAlphabet)];
    return text;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0 || size > 64)
        return 0;
    const std::size_t split = data[0] % size;
    const std::string pattern = Text(data + 1, split),
                      name = Text(data + 1 + split, size - 1 - split);
    (void)quorvel::WildcardPattern(pattern).Matches(name);
    if (!name.empty() && name.find_first_of("*?") == std::string::npos && !name.ends_with('.') &&
        !name.ends_with(' ') && !quorvel::WildcardPattern(name).Matches(name))
        std::abort();
    return 0;
}
