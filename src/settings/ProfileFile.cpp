#include "settings/ProfileFile.h"

#include "fs/AtomicFile.h"
#include "fs/RegularFile.h"
#include "text/ShiftJisWidth.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <filesystem>
#include <utility>

#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

namespace quorvel {

namespace {

namespace fs = std::filesystem;

constexpr std::string_view kBlanks = " \t\n\v\f\r";
constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";
// Linux gives up on a chain of symbolic links after as many.
constexpr int kMaxLinkHops = 40;

std::string_view Trimmed(std::string_view s) {
    const std::size_t first = s.find_first_not_of(kBlanks);
    if (first == std::string_view::npos) {
        return s.substr(s.size());
    }
    return s.substr(first, s.find_last_not_of(kBlanks) - first + 1);
}

char FoldAscii(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool SameName(std::string_view a, std::string_view b) {
    return std::ranges::equal(a, b, {}, FoldAscii, FoldAscii);
}

struct ParsedLine {
    enum class Kind { Other, Section, Key }; // Other: blank or comment
    Kind kind = Kind::Other;
    std::string_view name;
    bool hasValue = false; // a key line holding "="
    // The trimmed value's bytes within the line; for a key without "=", the end of its name.
    std::size_t valueBegin = 0;
    std::size_t valueEnd = 0;
};

ParsedLine Parse(std::string_view text) {
    ParsedLine parsed;
    const std::string_view line = Trimmed(text);
    if (line.empty() || line.front() == ';') {
        return parsed;
    }
    if (line.front() == '[') {
        const std::size_t close = line.rfind(']');
        if (close != std::string_view::npos) {
            parsed.kind = ParsedLine::Kind::Section;
            parsed.name = Trimmed(line.substr(1, close - 1));
            return parsed;
        }
    }
    parsed.kind = ParsedLine::Kind::Key;
    const std::size_t lineOffset = static_cast<std::size_t>(line.data() - text.data());
    const std::size_t equals = line.find('=');
    if (equals == std::string_view::npos) {
        parsed.name = line;
        parsed.valueBegin = parsed.valueEnd = lineOffset + line.size();
        return parsed;
    }
    parsed.name = Trimmed(line.substr(0, equals));
    parsed.hasValue = true;
    const std::string_view rest = line.substr(equals + 1);
    const std::string_view value = Trimmed(rest);
    const std::size_t valueOffset =
        value.empty() ? rest.size() : static_cast<std::size_t>(value.data() - rest.data());
    parsed.valueBegin = lineOffset + equals + 1 + valueOffset;
    parsed.valueEnd = parsed.valueBegin + value.size();
    return parsed;
}

std::string_view Unquoted(std::string_view value) {
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front()) {
        return value.substr(1, value.size() - 2);
    }
    return value;
}

// The text to put after "=" so that a later read gives value back: a reader trims blanks and
// strips one pair of quotes, so a value that either would change is quoted once more.
std::string Encoded(std::string_view value) {
    value = value.substr(0, value.find_first_of("\r\n"));
    const bool blankAtEdge =
        !value.empty() && (kBlanks.find(value.front()) != std::string_view::npos ||
                           kBlanks.find(value.back()) != std::string_view::npos);
    if (blankAtEdge || Unquoted(value).size() != value.size()) {
        return '"' + std::string(value) + '"';
    }
    return std::string(value);
}

int DigitValue(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'z') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'Z') {
        return c - 'A' + 10;
    }
    return -1;
}

// The classic profile reading of an integer: optional sign, "0x" for hexadecimal, digits up to
// the first other character, wrapping modulo 2^32 rather than saturating as strtol would.
int ParsedInteger(std::string_view text) {
    std::size_t i = text.find_first_not_of(kBlanks);
    if (i == std::string_view::npos) {
        return 0;
    }
    bool negative = false;
    if (text[i] == '+' || text[i] == '-') {
        negative = text[i] == '-';
        ++i;
    }
    int base = 10;
    if (text.substr(i).starts_with("0x")) {
        base = 16;
        i += 2;
    }
    std::uint32_t value = 0;
    for (; i < text.size(); ++i) {
        const int digit = DigitValue(text[i]);
        if (digit < 0 || digit >= base) {
            break;
        }
        value = value * static_cast<std::uint32_t>(base) + static_cast<std::uint32_t>(digit);
    }
    if (negative) {
        value = 0u - value;
    }
    return static_cast<int>(value);
}

// 0, or the errno of the failure.
int ReadFileBytes(const std::string& path, std::string& bytes) {
    // A FIFO or a device under the settings file's name is no settings file: never wait on it.
    struct stat st {};
    const int fd = OpenRegularFile(path, st);
    if (fd < 0) {
        return errno;
    }
    bytes.clear();
    char buffer[16384];
    for (;;) {
        const ssize_t n = read(fd, buffer, sizeof buffer);
        if (n > 0) {
            bytes.append(buffer, static_cast<std::size_t>(n));
        } else if (n == 0) {
            break;
        } else if (errno != EINTR) {
            const int error = errno;
            close(fd);
            return error;
        }
    }
    close(fd);
    return 0;
}

// Renaming over a symbolic link would replace the link itself; the user keeps the link and
// expects the file behind it to change. A link to a file not yet there names the file to create.
std::optional<fs::path> FollowLinks(fs::path path) {
    for (int hop = 0; hop < kMaxLinkHops; ++hop) {
        std::error_code error;
        if (!fs::is_symlink(fs::symlink_status(path, error))) {
            return path;
        }
        const fs::path next = fs::read_symlink(path, error);
        if (error) {
            return std::nullopt;
        }
        path = next.is_absolute() ? next : path.parent_path() / next;
    }
    return std::nullopt;
}

mode_t CurrentUmask() {
    // The mask can only be read by setting it; it is put straight back.
    const mode_t mask = umask(0);
    umask(mask);
    return mask;
}

} // namespace

ProfileDocument ProfileDocument::FromBytes(std::string bytes) {
    ProfileDocument doc;
    std::string_view rest = bytes;
    if (rest.starts_with(kUtf8Bom)) {
        doc.m_bom = kUtf8Bom;
        rest.remove_prefix(kUtf8Bom.size());
    }
    // A carriage return alone ends a line too, as the platform reads it: files written with
    // old Macintosh line ends keep their sections apart.
    while (!rest.empty()) {
        const std::size_t end = rest.find_first_of("\r\n");
        Line line;
        line.text = rest.substr(0, end);
        if (end == std::string_view::npos) {
            rest = {};
        } else {
            const bool crlf = rest.substr(end).starts_with("\r\n");
            line.end = rest.substr(end, crlf ? 2 : 1);
            rest.remove_prefix(end + line.end.size());
        }
        doc.m_lines.push_back(std::move(line));
    }
    return doc;
}

std::string ProfileDocument::ToBytes() const {
    std::string bytes = m_bom;
    for (const Line& line : m_lines) {
        bytes += line.text;
        bytes += line.end;
    }
    return bytes;
}

std::optional<std::string> ProfileDocument::Value(std::string_view section,
                                                  std::string_view key) const {
    bool inSection = false;
    for (const Line& line : m_lines) {
        const ParsedLine parsed = Parse(line.text);
        if (parsed.kind == ParsedLine::Kind::Section) {
            if (inSection) {
                return std::nullopt;
            }
            inSection = SameName(parsed.name, section);
        } else if (inSection && parsed.kind == ParsedLine::Kind::Key &&
                   SameName(parsed.name, key)) {
            if (!parsed.hasValue) {
                return std::nullopt;
            }
            const std::string_view value = std::string_view(line.text).substr(
                parsed.valueBegin, parsed.valueEnd - parsed.valueBegin);
            return std::string(Unquoted(value));
        }
    }
    return std::nullopt;
}

std::string ProfileDocument::ReadString(std::string_view section, std::string_view key,
                                        std::string_view def) const {
    std::optional<std::string> text = Value(section, key);
    if (!text) {
        // The platform drops the default's trailing spaces (and only spaces) before using it.
        text = std::string(def.substr(0, def.find_last_not_of(' ') + 1));
    }
    text->resize(ShiftJisPrefix(*text, kProfileValueMaxBytes));
    return *text;
}

int ProfileDocument::ReadInt(std::string_view section, std::string_view key, int def) const {
    const std::optional<std::string> value = Value(section, key);
    if (!value || value->empty()) {
        return def;
    }
    return ParsedInteger(*value);
}

void ProfileDocument::SetValue(std::string_view section, std::string_view key,
                               std::string_view value) {
    const std::string encoded = Encoded(value);
    // The matching section's header line, then its last key line.
    std::optional<std::size_t> lastEntry;
    for (std::size_t i = 0; i < m_lines.size(); ++i) {
        const ParsedLine parsed = Parse(m_lines[i].text);
        if (parsed.kind == ParsedLine::Kind::Section) {
            if (lastEntry) {
                break;
            }
            if (SameName(parsed.name, section)) {
                lastEntry = i;
            }
        } else if (lastEntry && parsed.kind == ParsedLine::Kind::Key) {
            if (SameName(parsed.name, key)) {
                // The key's own spelling and spacing stay; only the value changes.
                m_lines[i].text.replace(parsed.valueBegin, parsed.valueEnd - parsed.valueBegin,
                                        parsed.hasValue ? encoded : "=" + encoded);
                return;
            }
            lastEntry = i;
        }
    }
    const std::string keyLine = std::string(key) + "=" + encoded;
    if (lastEntry) {
        InsertLines(*lastEntry + 1, {keyLine});
    } else {
        InsertLines(m_lines.size(), {"[" + std::string(section) + "]", keyLine});
    }
}

std::string ProfileDocument::LineEnd() const {
    if (m_lines.empty() || m_lines.front().end.empty()) {
        return "\n";
    }
    return m_lines.front().end;
}

void ProfileDocument::InsertLines(std::size_t pos, const std::vector<std::string>& texts) {
    const std::string end = LineEnd();
    std::vector<Line> added;
    for (const std::string& text : texts) {
        added.push_back({text, end});
    }
    // Only the last line can lack a line end; it gets one before a line follows it.
    if (pos == m_lines.size() && !m_lines.empty() && m_lines.back().end.empty()) {
        m_lines.back().end = end;
    }
    m_lines.insert(m_lines.begin() + static_cast<std::ptrdiff_t>(pos), added.begin(), added.end());
}

std::optional<ProfileDocument> LoadProfile(const std::string& path) {
    std::string bytes;
    if (ReadFileBytes(path, bytes) != 0) {
        return std::nullopt;
    }
    return ProfileDocument::FromBytes(std::move(bytes));
}

std::string ReadProfileString(const std::string& path, std::string_view section,
                              std::string_view key, std::string_view def) {
    return LoadProfile(path).value_or(ProfileDocument{}).ReadString(section, key, def);
}

int ReadProfileInt(const std::string& path, std::string_view section, std::string_view key,
                   int def) {
    return LoadProfile(path).value_or(ProfileDocument{}).ReadInt(section, key, def);
}

bool WriteProfileValues(const std::string& path, const std::vector<ProfileEntry>& entries) {
    const std::optional<fs::path> target = FollowLinks(path);
    if (!target) {
        return false;
    }
    std::string bytes;
    const int readError = ReadFileBytes(target->string(), bytes);
    // A file that exists but cannot be read must not be replaced by our few keys alone.
    if (readError != 0 && readError != ENOENT) {
        return false;
    }
    // A file its owner made read-only keeps its contents: a rename over it would not ask.
    if (readError == 0 && faccessat(AT_FDCWD, target->c_str(), W_OK, AT_EACCESS) != 0) {
        return false;
    }
    mode_t mode = 0666 & ~CurrentUmask();
    struct stat status;
    if (readError == 0 && stat(target->c_str(), &status) == 0) {
        mode = status.st_mode & 07777;
    }
    ProfileDocument doc = ProfileDocument::FromBytes(std::move(bytes));
    for (const ProfileEntry& entry : entries) {
        doc.SetValue(entry.section, entry.key, entry.value);
    }
    return ReplaceFileAtomically(target->string(), doc.ToBytes(), mode) == 0;
}

} // namespace quorvel
