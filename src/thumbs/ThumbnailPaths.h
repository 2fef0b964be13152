#pragma once

// Where the desktop's shared thumbnail cache lives and when one of its entries still stands for
// a file; the picture work is in ThumbnailCache.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace quorvel {

// $XDG_CACHE_HOME/thumbnails, or ~/.cache/thumbnails when that is unset or not absolute; empty
// when there is no home either.
std::string ThumbnailRoot();

// Below the root: 256 px entries first, as the tooltip shows them, then the larger ones.
inline constexpr std::string_view kLargeFolders[] = {"large", "x-large", "xx-large"};
inline constexpr std::string_view kNormalFolder = "normal";
// This program's own folder for the files it could not make a thumbnail of.
std::string FailFolder();

enum class ImageKind {
    None,
    Picture, // decoded by the image plugins
    Raw,     // a camera's raw file: its embedded preview
};
// By the name's extension, ASCII letters in any case.
ImageKind ImageKindOf(std::string_view name);

// What an entry must say about its file to stand for it.
struct ThumbnailStamp {
    std::string uri;
    std::int64_t mtime = 0; // seconds
    std::int64_t size = 0;  // bytes
};

// An entry's Thumb::URI, Thumb::MTime and Thumb::Size texts (nullopt: the key is missing).
// URI and MTime must match; Size only when the entry has it.
bool EntryMatches(const ThumbnailStamp& file, const std::optional<std::string>& uri,
                  const std::optional<std::string>& mtime, const std::optional<std::string>& size);

// Whether path is folder itself or lies below it (both absolute, as AbsolutePath gives them).
bool IsInsideFolder(std::string_view path, std::string_view folder);

} // namespace quorvel
