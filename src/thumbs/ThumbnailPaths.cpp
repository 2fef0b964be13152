#include "thumbs/ThumbnailPaths.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstdlib>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace quorvel {
namespace {

std::string HomeFolder() {
    if (const char* home = std::getenv("HOME"); home && *home == '/')
        return home;
    if (const passwd* user = getpwuid(getuid()); user && user->pw_dir && *user->pw_dir == '/')
        return user->pw_dir;
    return {};
}

std::optional<std::int64_t> Integer(const std::optional<std::string>& text) {
    if (!text)
        return std::nullopt;
    std::int64_t value = 0;
    const char* end = text->data() + text->size();
    const auto [stop, error] = std::from_chars(text->data(), end, value);
    if (error != std::errc() || stop != end)
        return std::nullopt;
    return value;
}

std::string Lowered(std::string_view text) {
    std::string lowered(text);
    for (char& c : lowered)
        if (c >= 'A' && c <= 'Z')
            c = char(c - 'A' + 'a');
    return lowered;
}

} // namespace

std::string ThumbnailRoot() {
    // A relative XDG_CACHE_HOME is invalid and is ignored, as the base directory rules say.
    if (const char* cache = std::getenv("XDG_CACHE_HOME"); cache && *cache == '/')
        return std::string(cache) + "/thumbnails";
    const std::string home = HomeFolder();
    return home.empty() ? std::string() : home + "/.cache/thumbnails";
}

std::string FailFolder() {
    return std::string("fail/quorvel-") + QUORVEL_VERSION;
}

ImageKind ImageKindOf(std::string_view name) {
    const std::size_t dot = name.rfind('.');
    if (dot == std::string_view::npos || dot == 0)
        return ImageKind::None;
    const std::string ext = Lowered(name.substr(dot + 1));
    static constexpr std::string_view kPictures[] = {"jpg", "jpeg", "jpe",  "jfif", "png", "gif",
                                                     "bmp", "dib",  "webp", "tif",  "tiff"};
    static constexpr std::string_view kRaws[] = {
        "3fr", "ari", "arw", "cr2", "cr3", "crw", "dcr", "dng", "erf", "iiq", "kdc", "mef", "mos",
        "mrw", "nef", "nrw", "orf", "pef", "raf", "raw", "rw2", "rwl", "sr2", "srf", "srw", "x3f"};
    if (std::ranges::find(kPictures, ext) != std::end(kPictures))
        return ImageKind::Picture;
    if (std::ranges::find(kRaws, ext) != std::end(kRaws))
        return ImageKind::Raw;
    return ImageKind::None;
}

bool EntryMatches(const ThumbnailStamp& file, const std::optional<std::string>& uri,
                  const std::optional<std::string>& mtime, const std::optional<std::string>& size) {
    if (uri != file.uri || Integer(mtime) != file.mtime)
        return false;
    return !size || Integer(size) == file.size;
}

bool IsInsideFolder(std::string_view path, std::string_view folder) {
    if (folder.empty() || !path.starts_with(folder))
        return false;
    return path.size() == folder.size() || folder.back() == '/' || path[folder.size()] == '/';
}

} // namespace quorvel
