#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace quorvel {

// The start number as atoi reads it: white space of the C locale, one sign, decimal digits up to
// the first other byte. Built modulo 2^32, so a text beyond the 32-bit range wraps, never fails.
std::int32_t ParseStartNumber(std::string_view text);

// printf's "%0<width>d": zeros after a "-", never cut to the width; width 0 adds nothing.
std::string FormatSequenceNumber(std::int32_t n, std::size_t width);

// From the last "." to the end, "." included; empty when the name has no ".".
std::string ExtensionOf(std::string_view name);

// A to Z only; every other byte, full-width letters and UTF-8 sequences included, stays.
void LowerAsciiLetters(std::string& s);

// The folder with exactly one "/" at its end; a folder already ending in "/" gets none.
std::string FolderPart(std::string_view folder);

// New names of one batch: prefix + the number of the k-th row + the row's own extension.
class NameBuilder {
public:
    NameBuilder(std::string prefix, std::string_view startNumberText, int lowerExt);

    // The name for the k-th selected row (k from 0); the number wraps like the 32-bit counter.
    std::string NewName(std::string_view oldName, std::uint32_t k) const;

    std::int32_t Start() const { return m_start; }
    std::size_t Width() const { return m_width; }

private:
    std::string m_prefix;
    std::int32_t m_start;
    std::size_t m_width;
    bool m_lowerExt;
};

} // namespace quorvel
