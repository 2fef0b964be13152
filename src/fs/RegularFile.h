#pragma once

#include <string>

#include <sys/stat.h>

namespace quorvel {

// Opens path for reading without ever waiting: a FIFO, a socket or a device in a folder is opened
// non-blocking, seen for what it is and closed. Returns the descriptor of a regular file, its
// status in st, or -1 with errno set (EINVAL for anything that is not a regular file). extraFlags
// adds to the open, such as O_NOFOLLOW.
int OpenRegularFile(const std::string& path, struct stat& st, int extraFlags = 0);

} // namespace quorvel
