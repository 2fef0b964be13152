#include "platform/SafeRename.h"

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <string_view>

#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

namespace quorvel {

namespace {

int Result(int rc) {
    return rc == 0 ? 0 : errno;
}

std::string_view WithoutLeadingSlashes(std::string_view name) {
    const auto first = name.find_first_not_of('/');
    return first == std::string_view::npos ? std::string_view() : name.substr(first);
}

// Everything up to and including the last "/"; empty for a name in the folder itself.
std::string DirectoryOf(const std::string& name) {
    const auto slash = name.rfind('/');
    return slash == std::string::npos ? std::string() : name.substr(0, slash + 1);
}

std::string LastComponent(const std::string& name) {
    const auto slash = name.rfind('/');
    return slash == std::string::npos ? name : name.substr(slash + 1);
}

bool SameInode(const struct stat& a, const struct stat& b) {
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// Both names spell the very same directory entry ("a" and "./a", "sub/../a"): the same last
// component in the same folder. "dir/." makes the no-follow status resolve the folder itself.
bool SameEntry(int dirfd, const std::string& from, const std::string& to, RenameSystem& sys) {
    if (LastComponent(from) != LastComponent(to))
        return false;
    struct stat fromDir {};
    struct stat toDir {};
    return sys.Fstatat(dirfd, (DirectoryOf(from) + ".").c_str(), &fromDir) == 0 &&
           sys.Fstatat(dirfd, (DirectoryOf(to) + ".").c_str(), &toDir) == 0 &&
           SameInode(fromDir, toDir);
}

int Attempt(int dirfd, const std::string& from, const std::string& to, RenameSystem& sys,
            bool mayTakeCaseAlias);

std::string TemporaryName(const std::string& from) {
    static std::atomic<unsigned> counter{0};
    return DirectoryOf(from) + ".quorvel-rename-" + std::to_string(getpid()) + "-" +
           std::to_string(counter.fetch_add(1));
}

// A file system that ignores letter case finds "001.JPG" under "001.jpg" and so refuses the new
// spelling as taken, and a plain rename of a file onto itself does nothing. Moving the file away
// first frees the name; should the second step fail, the file gets its old name back.
int RenameThroughTemporary(int dirfd, const std::string& from, const std::string& to,
                           RenameSystem& sys) {
    for (int tries = 0; tries < 100; ++tries) {
        const std::string temporary = TemporaryName(from);
        int err = Attempt(dirfd, from, temporary, sys, false);
        if (err == EEXIST)
            continue;
        if (err != 0)
            return err;
        err = Attempt(dirfd, temporary, to, sys, false);
        if (err != 0)
            Attempt(dirfd, temporary, from, sys, false);
        return err;
    }
    return EEXIST;
}

// The new name exists. It is acceptable only when it is the file being renamed itself, reached
// through another spelling of the same entry or through a letter-case alias.
int ResolveConflict(int dirfd, const std::string& from, const std::string& to, RenameSystem& sys,
                    bool mayTakeCaseAlias) {
    struct stat target {};
    if (sys.Fstatat(dirfd, to.c_str(), &target) != 0)
        return EEXIST;
    if (S_ISLNK(target.st_mode) || S_ISDIR(target.st_mode))
        return EEXIST;
    struct stat source {};
    if (const int err = sys.Fstatat(dirfd, from.c_str(), &source); err != 0)
        return err;
    if (!SameInode(source, target))
        return EEXIST;
    if (SameEntry(dirfd, from, to, sys))
        return 0;
    // The same inode under a name the folder really lists is a second hard link, not an alias.
    if (!mayTakeCaseAlias || sys.ListsExactName(dirfd, to.c_str()))
        return EEXIST;
    return RenameThroughTemporary(dirfd, from, to, sys);
}

// Removes the link just made under `to`, provided it still is our file.
void RemoveNewLink(int dirfd, const std::string& from, const std::string& to, RenameSystem& sys) {
    struct stat source {};
    struct stat target {};
    if (sys.Fstatat(dirfd, from.c_str(), &source) == 0 &&
        sys.Fstatat(dirfd, to.c_str(), &target) == 0 && SameInode(source, target))
        sys.Unlinkat(dirfd, to.c_str());
}

int Attempt(int dirfd, const std::string& from, const std::string& to, RenameSystem& sys,
            bool mayTakeCaseAlias) {
    if (from == to) {
        // Nothing to move, but a file that has vanished is still a failure.
        struct stat st {};
        return sys.Fstatat(dirfd, from.c_str(), &st);
    }

    int err = sys.Renameat2NoReplace(dirfd, from.c_str(), to.c_str());
    if (err == 0)
        return 0;
    if (err == EEXIST)
        return ResolveConflict(dirfd, from, to, sys, mayTakeCaseAlias);
    // EXDEV and the rest end here: a move that the file system cannot do is never copied.
    if (err != EINVAL && err != ENOSYS)
        return err;

    // No RENAME_NOREPLACE (NFS, many FUSE file systems): a hard link cannot replace anything.
    err = sys.Linkat(dirfd, from.c_str(), to.c_str());
    if (err == 0) {
        err = sys.Unlinkat(dirfd, from.c_str());
        if (err != 0)
            RemoveNewLink(dirfd, from, to, sys);
        return err;
    }
    if (err == EEXIST)
        return ResolveConflict(dirfd, from, to, sys, mayTakeCaseAlias);
    if (err != EPERM && err != EOPNOTSUPP && err != ENOSYS)
        return err;

    // No hard links either: check that the name is free, then rename. A file that appears in
    // between could still be replaced; no better call exists on such a file system.
    struct stat target {};
    err = sys.Fstatat(dirfd, to.c_str(), &target);
    if (err == 0)
        return ResolveConflict(dirfd, from, to, sys, mayTakeCaseAlias);
    if (err != ENOENT)
        return err;
    return sys.Renameat(dirfd, from.c_str(), to.c_str());
}

} // namespace

RenameSystem::~RenameSystem() = default;

int RenameSystem::Renameat2NoReplace(int dirfd, const char* from, const char* to) {
    return Result(renameat2(dirfd, from, dirfd, to, RENAME_NOREPLACE));
}

int RenameSystem::Linkat(int dirfd, const char* from, const char* to) {
    return Result(linkat(dirfd, from, dirfd, to, 0));
}

int RenameSystem::Unlinkat(int dirfd, const char* name) {
    return Result(unlinkat(dirfd, name, 0));
}

int RenameSystem::Fstatat(int dirfd, const char* name, struct stat* st) {
    return Result(fstatat(dirfd, name, st, AT_SYMLINK_NOFOLLOW));
}

int RenameSystem::Renameat(int dirfd, const char* from, const char* to) {
    return Result(renameat(dirfd, from, dirfd, to));
}

bool RenameSystem::ListsExactName(int dirfd, const char* name) {
    const std::string path(name);
    const std::string folder = DirectoryOf(path);
    const std::string wanted = LastComponent(path);
    const int fd =
        openat(dirfd, folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return true;
    DIR* dir = fdopendir(fd);
    if (dir == nullptr) {
        close(fd);
        return true;
    }
    bool found = false;
    errno = 0;
    while (const dirent* entry = readdir(dir)) {
        if (wanted == entry->d_name) {
            found = true;
            break;
        }
    }
    // A listing cut short by an error proves nothing.
    if (!found && errno != 0)
        found = true;
    closedir(dir);
    return found;
}

RenameSystem& DefaultRenameSystem() {
    static RenameSystem system;
    return system;
}

int RenameNoReplace(int dirfd, const std::string& from, const std::string& to, RenameSystem& sys) {
    return Attempt(dirfd, std::string(WithoutLeadingSlashes(from)),
                   std::string(WithoutLeadingSlashes(to)), sys, true);
}

FolderHandle::FolderHandle(const std::string& folder) {
    m_fd = open(folder.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    if (m_fd < 0)
        m_error = errno;
}

FolderHandle::~FolderHandle() {
    if (m_fd >= 0)
        close(m_fd);
}

} // namespace quorvel
