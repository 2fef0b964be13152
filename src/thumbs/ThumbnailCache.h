#pragma once

#include "thumbs/Thumbnail.h"
#include "thumbs/ThumbnailPaths.h"

#include <optional>
#include <string>
#include <string_view>

namespace quorvel {

// The entry's file name: the MD5 of the file's URI in hexadecimal, then ".png".
std::string ThumbnailFileName(std::string_view uri);

// The desktop's shared thumbnail cache: PNG entries named after the file's URI, each saying in
// its text chunks which file at which modification time it shows, so that file managers and
// this program use each other's entries.
class ThumbnailCache {
public:
    // root: the cache folder (ThumbnailRoot()); empty for no cache at all.
    explicit ThumbnailCache(std::string root) : m_root(std::move(root)) {}

    const std::string& Root() const { return m_root; }

    // A large (or larger) entry that stands for the file, fitted to the box.
    std::optional<Thumbnail> FindLarge(const ThumbnailStamp& file) const;
    // A normal (128 px) entry that stands for the file.
    std::optional<Thumbnail> FindNormal(const ThumbnailStamp& file) const;
    // Whether this program already failed on the file as it is now.
    bool HasFailed(const ThumbnailStamp& file) const;

    // Replaces the file's large entry; a cache that cannot be written is passed over.
    void SaveLarge(const ThumbnailStamp& file, const Thumbnail& thumbnail) const;
    // Notes that nothing could be made of the file, in this program's own failure folder.
    void SaveFailure(const ThumbnailStamp& file) const;

private:
    std::optional<Thumbnail> Find(std::string_view folder, const ThumbnailStamp& file) const;
    void Save(std::string_view folder, const ThumbnailStamp& file, const Thumbnail& t) const;

    std::string m_root;
};

} // namespace quorvel
