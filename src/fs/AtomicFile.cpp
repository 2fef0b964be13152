#include "fs/AtomicFile.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace quorvel {
namespace {

int WriteAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t n = write(fd, bytes.data(), bytes.size());
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return 0;
}

// FAT keeps no permission bits, and fusefat answers ENOSYS for them: a working directory on a
// memory card still keeps its files.
int SetMode(int fd, mode_t mode) {
    if (fchmod(fd, mode) == 0)
        return 0;
    return errno == ENOSYS || errno == EOPNOTSUPP || errno == EPERM ? 0 : errno;
}

} // namespace

int ReplaceFileAtomically(const std::string& path, std::string_view bytes, mode_t mode) {
    const std::size_t slash = path.rfind('/');
    const std::string folder = slash == std::string::npos ? "."
                               : slash == 0               ? "/"
                                                          : path.substr(0, slash);
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    // A named temporary file rather than O_TMPFILE, which FUSE file systems (fusefat, exfat-fuse,
    // ntfs-3g) lack.
    std::string temporary = folder + "/." + name + ".XXXXXX";
    const int fd = mkostemp(temporary.data(), O_CLOEXEC);
    if (fd < 0)
        return errno;
    int error = SetMode(fd, mode);
    if (error == 0)
        error = WriteAll(fd, bytes);
    if (error == 0 && fsync(fd) != 0)
        error = errno;
    if (close(fd) != 0 && error == 0)
        error = errno;
    if (error == 0 && rename(temporary.c_str(), path.c_str()) != 0)
        error = errno;
    if (error != 0) {
        unlink(temporary.c_str());
        return error;
    }
    // Makes the rename itself durable; the new file is in place whatever this gives.
    const int folderFd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folderFd >= 0) {
        fsync(folderFd);
        close(folderFd);
    }
    return 0;
}

} // namespace quorvel
