#pragma once

#include <cstdint>

#include <sys/stat.h>

namespace quorvel {

// What the listing learnt about a file, kept with its row so that a batch need not ask again: a
// hundred thousand rows carry one each, so three numbers and no more. The device is the listed
// folder's.
struct FileStamp {
    std::uint64_t inode = 0; // 0: nothing learnt (a symbolic link, a failed status)
    std::int64_t size = 0;
    std::int64_t mtimeNanoseconds = 0; // since 1970

    bool known() const { return inode != 0; }
    friend bool operator==(const FileStamp&, const FileStamp&) = default;
};

// Unknown for a modification time that 64-bit nanoseconds cannot hold (before 1678, after 2262).
FileStamp StampOf(const struct stat& st);

} // namespace quorvel
