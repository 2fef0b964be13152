// The sort comparison is a total order: antisymmetric and transitive on any three names, for the
// raw-byte comparison and for the sort keys alike.
#include "order/SortKey.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

namespace {

int Sign(int v) {
    return (v > 0) - (v < 0);
}

int CompareKeys(const std::string& a, const std::string& b) {
    return Sign(a.compare(b));
}

template <typename Compare>
void CheckOrder(const std::string& a, const std::string& b, const std::string& c, Compare cmp) {
    if (cmp(a, b) != -cmp(b, a) || cmp(a, a) != 0)
        std::abort();
    if (cmp(a, b) <= 0 && cmp(b, c) <= 0 && cmp(a, c) > 0)
        std::abort();
    if (cmp(a, b) == 0 && cmp(b, c) == 0 && cmp(a, c) != 0)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view input(reinterpret_cast<const char*>(data), size);
    std::string names[3];
    for (std::string& name : names) {
        const std::size_t end = input.find('\n');
        name = std::string(input.substr(0, end));
        input.remove_prefix(end == std::string_view::npos ? input.size() : end + 1);
    }
    CheckOrder(names[0], names[1], names[2], [](const std::string& a, const std::string& b) {
        return Sign(quorvel::CompareTexts(a, b));
    });
    static quorvel::SortKeyMaker makeKey;
    const std::string keys[3] = {makeKey(names[0]), makeKey(names[1]), makeKey(names[2])};
    CheckOrder(keys[0], keys[1], keys[2], CompareKeys);
    // Names that differ only in the case of ASCII letters have equal keys.
    std::string upper = names[0];
    for (char& ch : upper)
        if (ch >= 'a' && ch <= 'z')
            ch = char(ch - 32);
    if (makeKey(upper) != keys[0])
        std::abort();
    return 0;
}
