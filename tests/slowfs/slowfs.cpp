// A slow file system for the end-to-end tests, loaded with LD_PRELOAD and never installed: every
// rename, directory read and status call on a path inside $QUORVEL_SLOWFS_DIR first waits
// $QUORVEL_SLOWFS_MS milliseconds, as a call to a network share waits for its round trip. Calls
// anywhere else (the settings, fonts, the X connection) go through at once.
//
// glibc 2.36 makes its status calls through fstatat (the newfstatat system call) and statx, and
// reads folders with getdents64; all of them are covered, each with its own name and its 64-bit
// alias.

#include <dlfcn.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>

namespace {

const char* SlowFolder() {
    static const char* folder = std::getenv("QUORVEL_SLOWFS_DIR");
    return folder;
}

std::string PathOfFd(int fd) {
    char link[64];
    char path[PATH_MAX];
    if (fd == AT_FDCWD)
        return getcwd(path, sizeof path) ? path : "";
    std::snprintf(link, sizeof link, "/proc/self/fd/%d", fd);
    const ssize_t length = readlink(link, path, sizeof path);
    return length > 0 ? std::string(path, std::size_t(length)) : std::string();
}

bool Inside(int dirfd, const char* name) {
    const char* folder = SlowFolder();
    if (folder == nullptr || *folder == '\0')
        return false;
    const std::string path =
        name != nullptr && name[0] == '/'
            ? std::string(name)
            : PathOfFd(dirfd) + (name != nullptr && *name ? "/" + std::string(name) : "");
    const std::size_t length = std::strlen(folder);
    return path.compare(0, length, folder) == 0 && (path.size() == length || path[length] == '/');
}

// Waits, keeping errno as the caller left it.
void Wait(int dirfd, const char* name) {
    if (!Inside(dirfd, name))
        return;
    const int saved = errno;
    const long ms = std::strtol(
        std::getenv("QUORVEL_SLOWFS_MS") ? std::getenv("QUORVEL_SLOWFS_MS") : "0", nullptr, 10);
    const timespec pause{ms / 1000, (ms % 1000) * 1000000};
    nanosleep(&pause, nullptr);
    errno = saved;
}

template <typename F> F Next(const char* name) {
    return reinterpret_cast<F>(dlsym(RTLD_NEXT, name));
}

} // namespace

extern "C" {

int renameat2(int olddirfd, const char* oldpath, int newdirfd, const char* newpath,
              unsigned flags) {
    static const auto next =
        Next<int (*)(int, const char*, int, const char*, unsigned)>("renameat2");
    Wait(olddirfd, oldpath);
    return next(olddirfd, oldpath, newdirfd, newpath, flags);
}

int renameat(int olddirfd, const char* oldpath, int newdirfd, const char* newpath) {
    static const auto next = Next<int (*)(int, const char*, int, const char*)>("renameat");
    Wait(olddirfd, oldpath);
    return next(olddirfd, oldpath, newdirfd, newpath);
}

ssize_t getdents64(int fd, void* buffer, size_t size) {
    static const auto next = Next<ssize_t (*)(int, void*, size_t)>("getdents64");
    Wait(fd, nullptr);
    return next(fd, buffer, size);
}

int fstatat(int dirfd, const char* path, struct stat* st, int flags) {
    static const auto next = Next<int (*)(int, const char*, struct stat*, int)>("fstatat");
    Wait(dirfd, path);
    return next(dirfd, path, st, flags);
}

int fstatat64(int dirfd, const char* path, struct stat64* st, int flags) {
    static const auto next = Next<int (*)(int, const char*, struct stat64*, int)>("fstatat64");
    Wait(dirfd, path);
    return next(dirfd, path, st, flags);
}

int statx(int dirfd, const char* path, int flags, unsigned mask, struct statx* st) {
    static const auto next = Next<int (*)(int, const char*, int, unsigned, struct statx*)>("statx");
    Wait(dirfd, path);
    return next(dirfd, path, flags, mask, st);
}

} // extern "C"
