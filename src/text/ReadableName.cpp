#include "text/ReadableName.h"

#include "text/Utf8.h"

#include <cerrno>
#include <cstdio>

#include <iconv.h>

namespace quorvel {
namespace {

bool IsControl(char32_t cp) {
    return cp < 0x20 || cp == 0x7F;
}

// Plain: well-formed UTF-8 without a control character or a backslash.
bool IsPlain(std::string_view s) {
    for (char32_t cp = 0; !s.empty(); s.remove_prefix(DecodeUtf8(s, cp)))
        if (DecodeUtf8(s, cp) == 0 || IsControl(cp) || cp == '\\')
            return false;
    return true;
}

// The CP932 reading of bytes, or empty when they are not CP932 throughout.
std::string FromCp932(std::string_view bytes) {
    const iconv_t cd = iconv_open("UTF-8", "CP932");
    if (cd == reinterpret_cast<iconv_t>(-1))
        return {};
    std::string out(bytes.size() * 3, '\0');
    char* in = const_cast<char*>(bytes.data());
    std::size_t inLeft = bytes.size();
    char* to = out.data();
    std::size_t toLeft = out.size();
    const bool whole = iconv(cd, &in, &inLeft, &to, &toLeft) != std::size_t(-1) && inLeft == 0;
    iconv_close(cd);
    if (!whole)
        return {};
    out.resize(out.size() - toLeft);
    return out;
}

void AppendEscape(std::string& out, unsigned char byte) {
    char hex[5];
    std::snprintf(hex, sizeof hex, "\\x%02X", byte);
    out += hex;
}

} // namespace

std::string ReadableName(std::string_view bytes) {
    if (IsPlain(bytes))
        return std::string(bytes);
    if (!IsValidUtf8(bytes)) {
        // Only a reading that is plain itself: a CP932 byte 0x5C is a backslash there too.
        if (std::string japanese = FromCp932(bytes); !japanese.empty() && IsPlain(japanese))
            return japanese;
    }
    std::string out;
    out.reserve(bytes.size() * 2);
    while (!bytes.empty()) {
        char32_t cp = 0;
        const std::size_t len = DecodeUtf8(bytes, cp);
        if (len == 0 || IsControl(cp) || cp == '\\') {
            AppendEscape(out, static_cast<unsigned char>(bytes.front()));
            bytes.remove_prefix(1);
        } else {
            out.append(bytes.substr(0, len));
            bytes.remove_prefix(len);
        }
    }
    return out;
}

std::string ReadablePath(std::string_view bytes) {
    std::string out;
    for (std::size_t start = 0;;) {
        const std::size_t slash = bytes.find('/', start);
        out += ReadableName(bytes.substr(start, slash - start));
        if (slash == std::string_view::npos)
            return out;
        out += '/';
        start = slash + 1;
    }
}

} // namespace quorvel
