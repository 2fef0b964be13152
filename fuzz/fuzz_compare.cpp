// The sort comparison is a total order on any three names, for the raw-byte comparison and for the
// sort keys alike, and names that differ only in ASCII letter case have one key.
#include "order/SortKey.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

namespace {

template <typename Compare> void CheckOrder(const std::string (&n)[3], Compare cmp) {
    const auto sign = [&](int a, int b) {
        const int v = cmp(n[a], n[b]);
        return (v > 0) - (v < 0);
    };
    if (sign(0, 1) != -sign(1, 0) || sign(0, 0) != 0 ||
        (sign(0, 1) <= 0 && sign(1, 2) <= 0 && sign(0, 2) > 0) ||
        (sign(0, 1) == 0 && sign(1, 2) == 0 && sign(0, 2) != 0))
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
    CheckOrder(names, quorvel::CompareTexts);
    static quorvel::SortKeyMaker makeKey;
    const std::string keys[3] = {makeKey(names[0]), makeKey(names[1]), makeKey(names[2])};
    CheckOrder(keys, [](const std::string& a, const std::string& b) { return a.compare(b); });
    std::string upper = names[0];
    for (char& ch : upper)
        if (ch >= 'a' && ch <= 'z')
            ch = char(ch - 32);
    if (makeKey(upper) != keys[0])
        std::abort();
    return 0;
}
