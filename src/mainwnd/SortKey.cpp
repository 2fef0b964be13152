#include "mainwnd/SortKey.h"

#include <endian.h>

#include <algorithm>
#include <array>
#include <compare>
#include <cstring>
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

std::vector<std::uint32_t> SortedOrder(const std::vector<std::string>& keys, bool ascending) {
    // Sorting 100,000 rows is dominated by fetching keys from all over memory. Each entry carries
    // the first bytes of its key as big-endian words (zero-padded), whose integer order is the
    // byte order of those bytes, so most comparisons never leave this one array; only keys that
    // agree in all those bytes are compared in full. std::string orders its bytes as unsigned
    // values, as CompareTexts does.
    struct Entry {
        std::array<std::uint64_t, 3> head;
        std::uint32_t row;
    };
    std::vector<Entry> entries(keys.size());
    for (std::uint32_t row = 0; row < entries.size(); ++row) {
        const std::string& key = keys[row];
        std::array<char, sizeof(Entry::head)> bytes{};
        std::memcpy(bytes.data(), key.data(), std::min(key.size(), bytes.size()));
        std::memcpy(entries[row].head.data(), bytes.data(), bytes.size());
        for (std::uint64_t& word : entries[row].head) {
            word = be64toh(word);
        }
        entries[row].row = row;
    }
    const auto less = [&keys](const Entry& a, const Entry& b) {
        if (a.head != b.head) {
            return a.head < b.head;
        }
        return keys[a.row] < keys[b.row];
    };
    if (ascending) {
        std::stable_sort(entries.begin(), entries.end(), less);
    } else {
        std::stable_sort(entries.begin(), entries.end(),
                         [&less](const Entry& a, const Entry& b) { return less(b, a); });
    }
    std::vector<std::uint32_t> order(entries.size());
    std::ranges::transform(entries, order.begin(), &Entry::row);
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
