#include "fs/RegularFile.h"

#include <cerrno>

#include <fcntl.h>
#include <unistd.h>

namespace quorvel {

int OpenRegularFile(const std::string& path, struct stat& st, int extraFlags) {
    const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC | extraFlags);
    if (fd < 0)
        return -1;
    const bool known = fstat(fd, &st) == 0;
    if (!known || !S_ISREG(st.st_mode)) {
        const int error = known ? EINVAL : errno;
        close(fd);
        errno = error;
        return -1;
    }
    return fd;
}

} // namespace quorvel
