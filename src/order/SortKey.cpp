#include "order/SortKey.h"

#include <algorithm>
#include <compare>
#include <numeric>

namespace quorvel {

namespace {

const iconv_t kNoConverter = reinterpret_cast<iconv_t>(-1);

constexpr unsigned char FoldCapital(unsigned char c) {
    return c >= 0x41 && c <= 0x5A ? static_cast<unsigned char>(c + 0x20) : c;
}

void FoldCapitals(char* first, char* last) {
    std::transform(first, last, first, [](char c) {
        return static_cast<char>(FoldCapital(static_cast<unsigned char>(c)));
    });
}

bool IsAscii(char c) {
    return static_cast<unsigned char>(c) < 0x80;
}

} // namespace

int CompareTexts(std::string_view a, std::string_view b) {
    const auto order = std::lexicographical_compare_three_way(
        a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
            return FoldCapital(static_cast<unsigned char>(x)) <=>
                   FoldCapital(static_cast<unsigned char>(y));
        });
    return order < 0 ? -1 : order > 0 ? 1 : 0;
}

// Without glibc's CP932 module (a stripped-down system) the maker still works: every non-ASCII
// character is then keyed by its code point, a fixed order after all ASCII.
SortKeyMaker::SortKeyMaker()
    : m_toCp932(iconv_open("CP932", "UTF-8")), m_toUtf32(iconv_open("UTF-32BE", "UTF-8")) {}

SortKeyMaker::~SortKeyMaker() {
    if (m_toCp932 != kNoConverter) {
        iconv_close(m_toCp932);
    }
    if (m_toUtf32 != kNoConverter) {
        iconv_close(m_toUtf32);
    }
}

std::string SortKeyMaker::operator()(std::string_view utf8Name) {
    // CP932's single bytes 0x00-0x7F are ASCII (glibc maps 0x5C and 0x7E to the backslash and
    // the tilde, not to the yen sign and the overline), so ASCII needs no conversion at all.
    const auto firstNonAscii = std::ranges::find_if_not(utf8Name, IsAscii);
    std::string key(utf8Name.begin(), firstNonAscii);
    FoldCapitals(key.data(), key.data() + key.size());
    if (firstNonAscii != utf8Name.end()) {
        AppendConverted(utf8Name.substr(key.size()), key);
    }
    return key;
}

void SortKeyMaker::AppendConverted(std::string_view rest, std::string& key) {
    if (m_toCp932 != kNoConverter) {
        iconv(m_toCp932, nullptr, nullptr, nullptr, nullptr);
    }
    while (!rest.empty()) {
        if (m_toCp932 != kNoConverter) {
            // A character CP932 has never takes more bytes there than in UTF-8, so room for the
            // rest of the input is enough; iconv stops at the first character it cannot take.
            const std::size_t start = key.size();
            key.resize(start + rest.size());
            char* in = const_cast<char*>(rest.data());
            std::size_t inLeft = rest.size();
            char* out = key.data() + start;
            std::size_t outLeft = rest.size();
            iconv(m_toCp932, &in, &inLeft, &out, &outLeft);
            FoldCapitals(key.data() + start, out);
            key.resize(static_cast<std::size_t>(out - key.data()));
            rest.remove_prefix(static_cast<std::size_t>(in - rest.data()));
        } else if (IsAscii(rest.front())) {
            key += static_cast<char>(FoldCapital(static_cast<unsigned char>(rest.front())));
            rest.remove_prefix(1);
            continue;
        }
        if (!rest.empty()) {
            rest.remove_prefix(AppendUnconvertible(rest, key));
        }
    }
}

// rest starts with a character CP932 lacks or with bytes that are not UTF-8. Returns the number
// of bytes used.
std::size_t SortKeyMaker::AppendUnconvertible(std::string_view rest, std::string& key) {
    char codePoint[4];
    std::size_t outLeft = sizeof codePoint;
    char* in = const_cast<char*>(rest.data());
    std::size_t inLeft = rest.size();
    if (m_toUtf32 != kNoConverter) {
        // The four-byte output buffer makes iconv stop after one character.
        char* out = codePoint;
        iconv(m_toUtf32, nullptr, nullptr, nullptr, nullptr);
        iconv(m_toUtf32, &in, &inLeft, &out, &outLeft);
    }
    if (outLeft == 0) {
        // Code points stop at 0x10FFFF: the first byte is always 0, the next never 0xFF.
        key += '\xFF';
        key.append(codePoint + 1, 3);
        return static_cast<std::size_t>(in - rest.data());
    }
    key += "\xFF\xFF";
    key += rest.front();
    return 1;
}

void SortKeys::Reserve(std::size_t keys, std::size_t bytes) {
    m_ends.reserve(keys);
    m_bytes.reserve(bytes);
}

void SortKeys::Add(std::string_view key) {
    m_bytes += key;
    m_ends.push_back(m_bytes.size());
}

std::vector<std::uint32_t> SortedOrder(const SortKeys& keys, bool ascending) {
    std::vector<std::uint32_t> order(keys.size());
    std::iota(order.begin(), order.end(), std::uint32_t(0));
    // std::string_view orders its bytes as unsigned values, as CompareTexts does.
    const auto less = [&keys](std::uint32_t a, std::uint32_t b) { return keys[a] < keys[b]; };
    if (ascending)
        std::stable_sort(order.begin(), order.end(), less);
    else
        std::stable_sort(order.begin(), order.end(),
                         [&less](std::uint32_t a, std::uint32_t b) { return less(b, a); });
    return order;
}

std::vector<std::uint32_t> SortedOrder(const std::vector<std::int64_t>& keys, bool ascending) {
    std::vector<std::uint32_t> order(keys.size());
    std::iota(order.begin(), order.end(), 0u);
    if (ascending) {
        std::ranges::stable_sort(
            order, [&keys](std::uint32_t a, std::uint32_t b) { return keys[a] < keys[b]; });
    } else {
        std::ranges::stable_sort(
            order, [&keys](std::uint32_t a, std::uint32_t b) { return keys[b] < keys[a]; });
    }
    return order;
}

} // namespace quorvel
