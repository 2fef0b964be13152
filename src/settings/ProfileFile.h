#pragma once

// A private-profile (INI) file of our own: sections in square brackets, lines of key "=" value.
// Reading follows the classic profile functions (lines ending in LF, CR LF or CR, trimmed names
// and values, ASCII-case-insensitive names, first match wins, one pair of quotes stripped);
// writing changes only the lines it owns and leaves everything else of the file byte for byte as
// it was, but for a last line without a line end, which is ended before a line is added after it.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quorvel {

// The longest text a read hands back: the classic read buffer of 4096 bytes less its NUL, in
// Shift-JIS bytes (ShiftJisWidth).
inline constexpr std::size_t kProfileValueMaxBytes = 4095;

class ProfileDocument {
public:
    ProfileDocument() = default;

    static ProfileDocument FromBytes(std::string bytes);
    std::string ToBytes() const;

    // nullopt when the section or the key is absent, or when the key's line holds no "=".
    std::optional<std::string> Value(std::string_view section, std::string_view key) const;

    // The value, or def without its trailing spaces when it is absent, cut at a character
    // boundary to kProfileValueMaxBytes (ShiftJisPrefix).
    std::string ReadString(std::string_view section, std::string_view key,
                           std::string_view def) const;
    // The value read as an integer; def when it is absent or empty.
    int ReadInt(std::string_view section, std::string_view key, int def) const;

    // Updates the first matching key in place, or adds the key after its section's last entry,
    // or adds the section at the end. A line break in value ends it.
    void SetValue(std::string_view section, std::string_view key, std::string_view value);

private:
    struct Line {
        std::string text; // without its line end
        std::string end;  // "\n", "\r\n", "\r", or "" for a last line without one
    };

    std::string LineEnd() const;
    void InsertLines(std::size_t pos, const std::vector<std::string>& texts);

    std::string m_bom;
    std::vector<Line> m_lines;
};

struct ProfileEntry {
    std::string section, key, value;
};

// nullopt when the file cannot be read (missing, a directory, no permission).
std::optional<ProfileDocument> LoadProfile(const std::string& path);

std::string ReadProfileString(const std::string& path, std::string_view section,
                              std::string_view key, std::string_view def);
int ReadProfileInt(const std::string& path, std::string_view section, std::string_view key,
                   int def);

// Applies the entries in order to the file's current content and replaces the file atomically
// (through a symbolic link, the file it points to). On false the old file is untouched.
bool WriteProfileValues(const std::string& path, const std::vector<ProfileEntry>& entries);

} // namespace quorvel
