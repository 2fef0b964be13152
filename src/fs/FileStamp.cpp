#include "fs/FileStamp.h"

namespace quorvel {

FileStamp StampOf(const struct stat& st) {
    std::int64_t nanoseconds = 0;
    if (__builtin_mul_overflow(std::int64_t(st.st_mtim.tv_sec), std::int64_t(1000000000),
                               &nanoseconds) ||
        __builtin_add_overflow(nanoseconds, std::int64_t(st.st_mtim.tv_nsec), &nanoseconds))
        return {};
    return FileStamp{static_cast<std::uint64_t>(st.st_ino), static_cast<std::int64_t>(st.st_size),
                     nanoseconds};
}

} // namespace quorvel
