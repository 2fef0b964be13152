#pragma once

#include <iconv.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace quorvel {

// The list's text comparison: byte by byte as unsigned values, with only the ASCII capitals
// A-Z folded to lower case, whatever the locale; a text that is the beginning of another sorts
// first. Returns -1, 0 or 1. Double-byte characters are not recognised, so a second byte in
// 0x41-0x5A is folded like a letter.
int CompareTexts(std::string_view a, std::string_view b);

// Turns a UTF-8 file name into a key whose plain std::string order is the order CompareTexts
// gives on the name's CP932 bytes: the CP932 bytes with 0x41-0x5A already folded.
//
// Characters CP932 has no code for sort after every character it has: each becomes 0xFF
// followed by its code point in three big-endian bytes. A byte that is not part of valid UTF-8
// becomes 0xFF 0xFF and the byte itself, so such names sort last, in a fixed order.
//
// One converter is opened per maker and reused: make the keys of a whole sort with one maker.
class SortKeyMaker {
public:
    SortKeyMaker();
    ~SortKeyMaker();
    SortKeyMaker(const SortKeyMaker&) = delete;
    SortKeyMaker& operator=(const SortKeyMaker&) = delete;

    std::string operator()(std::string_view utf8Name);

private:
    void AppendConverted(std::string_view rest, std::string& key);
    std::size_t AppendUnconvertible(std::string_view rest, std::string& key);

    iconv_t m_toCp932;
    iconv_t m_toUtf32; // only for the code points of characters CP932 lacks
};

// The keys of one sort, back to back in one block: a key costs its bytes and one offset, not a
// string object of its own, which matters when a million rows are sorted at once.
class SortKeys {
public:
    void Reserve(std::size_t keys, std::size_t bytes);
    void Add(std::string_view key);
    std::size_t size() const { return m_ends.size(); }
    std::string_view operator[](std::size_t i) const {
        const std::size_t begin = i == 0 ? 0 : m_ends[i - 1];
        return std::string_view(m_bytes).substr(begin, m_ends[i] - begin);
    }

private:
    std::string m_bytes;
    std::vector<std::size_t> m_ends;
};

// Row indices stably sorted by their keys; descending compares with the arguments swapped, so
// rows with equal keys keep their relative order in both directions.
std::vector<std::uint32_t> SortedOrder(const SortKeys& keys, bool ascending);

// The same for numeric keys, smallest first when ascending; rows with equal keys keep their
// relative order in both directions.
std::vector<std::uint32_t> SortedOrder(const std::vector<std::int64_t>& keys, bool ascending);

} // namespace quorvel
