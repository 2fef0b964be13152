#include "text/FileUri.h"

#include <array>
#include <climits>
#include <unistd.h>
#include <vector>

namespace quorvel {
namespace {

bool LeftAsIs(unsigned char c) {
    if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'))
        return true;
    constexpr std::string_view kPathMarks = "-._~!$&'()*+,=:@/";
    return kPathMarks.find(char(c)) != std::string_view::npos;
}

int HexValue(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

std::optional<std::string> Unescaped(std::string_view text) {
    std::string bytes;
    bytes.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '%') {
            bytes += text[i];
            continue;
        }
        const int high = i + 2 < text.size() ? HexValue(text[i + 1]) : -1;
        const int low = high >= 0 ? HexValue(text[i + 2]) : -1;
        if (low < 0)
            return std::nullopt;
        bytes += char(high * 16 + low);
        i += 2;
    }
    return bytes;
}

bool IsThisHost(std::string_view host) {
    if (host.empty() || host == "localhost")
        return true;
    std::array<char, HOST_NAME_MAX + 1> name{};
    return gethostname(name.data(), name.size() - 1) == 0 && host == name.data();
}

std::optional<std::string> LocalPath(std::string_view uri) {
    constexpr std::string_view kScheme = "file://";
    if (uri.size() < kScheme.size())
        return std::nullopt;
    for (std::size_t i = 0; i < kScheme.size(); ++i) {
        const char c = uri[i] >= 'A' && uri[i] <= 'Z' ? char(uri[i] - 'A' + 'a') : uri[i];
        if (c != kScheme[i])
            return std::nullopt;
    }
    uri.remove_prefix(kScheme.size());
    const std::size_t slash = uri.find('/');
    if (slash == std::string_view::npos || !IsThisHost(uri.substr(0, slash)))
        return std::nullopt;
    uri.remove_prefix(slash);
    std::optional<std::string> path = Unescaped(uri.substr(0, uri.find_first_of("?#")));
    if (!path || path->find('\0') != std::string::npos)
        return std::nullopt;
    return path;
}

} // namespace

std::string FileUri(std::string_view absolutePath) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string uri = "file://";
    uri.reserve(uri.size() + absolutePath.size());
    for (const char c : absolutePath) {
        const auto byte = static_cast<unsigned char>(c);
        if (LeftAsIs(byte)) {
            uri += c;
        } else {
            uri += '%';
            uri += kHex[byte >> 4];
            uri += kHex[byte & 15];
        }
    }
    return uri;
}

std::optional<std::string> FirstLocalPath(std::string_view uriList) {
    while (!uriList.empty()) {
        const std::size_t end = uriList.find('\n');
        std::string_view line = uriList.substr(0, end);
        uriList.remove_prefix(end == std::string_view::npos ? uriList.size() : end + 1);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        if (line.empty() || line.front() == '#')
            continue;
        if (std::optional<std::string> path = LocalPath(line))
            return path;
    }
    return std::nullopt;
}

std::string AbsolutePath(std::string_view path, std::string_view workingDirectory) {
    std::string joined;
    if (path.empty() || path.front() != '/') {
        joined = workingDirectory;
        joined += '/';
    }
    joined += path;
    std::vector<std::string_view> segments;
    std::string_view rest = joined;
    while (!rest.empty()) {
        const std::size_t slash = rest.find('/');
        const std::string_view segment = rest.substr(0, slash);
        rest.remove_prefix(slash == std::string_view::npos ? rest.size() : slash + 1);
        if (segment.empty() || segment == ".")
            continue;
        if (segment == "..") {
            if (!segments.empty())
                segments.pop_back();
            continue;
        }
        segments.push_back(segment);
    }
    std::string absolute;
    for (const std::string_view segment : segments) {
        absolute += '/';
        absolute += segment;
    }
    return absolute.empty() ? std::string("/") : absolute;
}

} // namespace quorvel
