#include "fs/SafeRename.h"

#include "fs/FolderIndex.h"
#include "fs/LetterCase.h"

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

// One file seen under two names shows one kind, size and modification time. Names that differ in
// any of them are two files, whatever the inode numbers say.
bool MayBeOneFile(const struct stat& a, const struct stat& b) {
    return (a.st_mode & S_IFMT) == (b.st_mode & S_IFMT) && a.st_size == b.st_size &&
           a.st_mtim.tv_sec == b.st_mtim.tv_sec && a.st_mtim.tv_nsec == b.st_mtim.tv_nsec;
}

// Whether what the file system found under the new name can only be the source, met again under
// another letter case: the folder lists the source under its own name, nothing under exactly the
// new name and nothing else that matches it in another letter case. The folder's entries decide,
// not inode numbers: the kernel's vfat gives both spellings one inode, but fusefat and exfat-fuse
// give each spelling its own. A file that the file system matches by rules of its own (letter case
// beyond ASCII, FAT short names) passes here, but never the rename through a temporary name: with
// the source moved away that file still holds the new name, and the second step refuses.
bool OnlySourceMatches(int dirfd, const std::string& from, const std::string& to, RenameSystem& sys,
                       FolderIndex* index) {
    const std::string folder = DirectoryOf(from);
    if (DirectoryOf(to) != folder)
        return false;
    const std::string source = LastComponent(from);
    const std::string target = LastComponent(to);
    // A rename on its own, or one inside a subfolder, reads the folder for itself.
    FolderIndex once;
    FolderIndex& names = index != nullptr && folder.empty() ? *index : once;
    const bool justRead = !names.IsRead();
    if (justRead && names.Read(dirfd, folder, sys) != 0)
        return false;
    std::optional<bool> answer = names.OnlySourceMatches(source, target, justRead);
    if (!answer) {
        if (names.Read(dirfd, folder, sys) != 0)
            return false;
        answer = names.OnlySourceMatches(source, target, true);
    }
    return *answer;
}

// The index, where given, decides letter-case aliases; only the first step of a rename may take
// one (a null index then reads the folder instead).
int Attempt(int dirfd, const std::string& from, const std::string& to, RenameSystem& sys,
            bool mayTakeCaseAlias, FolderIndex* index = nullptr);

std::string TemporaryName(const std::string& from) {
    static std::atomic<unsigned> counter{0};
    return DirectoryOf(from) + ".quorvel-rename-" + std::to_string(getpid()) + "-" +
           std::to_string(counter.fetch_add(1));
}

// A file system that ignores letter case finds "001.JPG" under "001.jpg" and so refuses the new
// spelling as taken, and a plain rename of a file onto itself may do nothing. Moving the file away
// first frees the name; should the second step fail, the file gets its old name back.
int RenameThroughTemporary(int dirfd, const std::string& from, const std::string& to,
                           RenameSystem& sys, FolderIndex* index) {
    for (int tries = 0; tries < 100; ++tries) {
        const std::string temporary = TemporaryName(from);
        int err = 0;
        // A name of this process's own that the folder did not hold when the batch read it can
        // belong to nobody else: it is not looked up first.
        if (index != nullptr && index->IsRead() && DirectoryOf(from).empty()) {
            if (index->Lists(temporary))
                continue;
            err = sys.Renameat(dirfd, from.c_str(), temporary.c_str());
        } else {
            err = Attempt(dirfd, from, temporary, sys, false, index);
        }
        if (err == EEXIST)
            continue;
        if (err != 0)
            return err;
        err = Attempt(dirfd, temporary, to, sys, false, index);
        // The old name was the file's a moment ago; only someone taking it meanwhile keeps the
        // file under the temporary name, and replacing theirs is never an option.
        if (err != 0)
            Attempt(dirfd, temporary, from, sys, false, index);
        else if (index != nullptr)
            index->ignoresCase = true;
        return err;
    }
    return EEXIST;
}

// The new name exists, with the status `target`. It is acceptable only when it is the file being
// renamed itself, reached through another spelling of the same entry or through a letter-case
// alias.
int ResolveConflictWith(const struct stat& target, int dirfd, const std::string& from,
                        const std::string& to, RenameSystem& sys, bool mayTakeCaseAlias,
                        FolderIndex* index) {
    if (S_ISLNK(target.st_mode) || S_ISDIR(target.st_mode))
        return EEXIST;
    struct stat source {};
    if (const int err = sys.Fstatat(dirfd, from.c_str(), &source); err != 0)
        return err;
    if (SameInode(source, target) && SameEntry(dirfd, from, to, sys))
        return 0;
    if (!mayTakeCaseAlias || !MayBeOneFile(source, target) ||
        !OnlySourceMatches(dirfd, from, to, sys, index))
        return EEXIST;
    return RenameThroughTemporary(dirfd, from, to, sys, index);
}

// The rename found the new name taken.
int ResolveConflict(int dirfd, const std::string& from, const std::string& to, RenameSystem& sys,
                    bool mayTakeCaseAlias, FolderIndex* index) {
    struct stat target {};
    if (sys.Fstatat(dirfd, to.c_str(), &target) != 0)
        return EEXIST;
    return ResolveConflictWith(target, dirfd, from, to, sys, mayTakeCaseAlias, index);
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
            bool mayTakeCaseAlias, FolderIndex* index) {
    if (from == to) {
        // Nothing to move, but a file that has vanished is still a failure.
        struct stat st {};
        return sys.Fstatat(dirfd, from.c_str(), &st);
    }

    // Where the file system is known to ignore letter case, a new name that differs in case only
    // is the file's own spelling: straight to the decision, without a rename refused first.
    if (mayTakeCaseAlias && index != nullptr && index->ignoresCase &&
        EqualIgnoringAsciiCase(from, to)) {
        struct stat target {};
        if (sys.Fstatat(dirfd, to.c_str(), &target) == 0)
            return ResolveConflictWith(target, dirfd, from, to, sys, mayTakeCaseAlias, index);
    }
    int err = sys.Renameat2NoReplace(dirfd, from.c_str(), to.c_str());
    if (err == 0)
        return 0;
    // The kernel answers EEXIST itself when it finds the new name taken, whether or not the file
    // system knows the flag.
    if (err == EEXIST)
        return ResolveConflict(dirfd, from, to, sys, mayTakeCaseAlias, index);
    // EXDEV and the rest end here: a move that the file system cannot do is never copied.
    if (err != EINVAL && err != ENOSYS)
        return err;
    // EINVAL is the file system's, after the kernel looked the new name up afresh (a FUSE driver
    // is asked again for a rename's target) and found it free. No later look is fresher: a
    // status would take the kernel's cached entry, which may still be the source's other spelling.
    const bool foundFree = err == EINVAL;

    // No RENAME_NOREPLACE: FUSE file systems that leave the flag out (fusefat, exfat-fuse,
    // ntfs-3g), NFS, SMB. A hard link cannot replace anything; ntfs-3g and NFS make them.
    if (index == nullptr || !index->lacksHardLinks) {
        err = sys.Linkat(dirfd, from.c_str(), to.c_str());
        if (err == 0) {
            err = sys.Unlinkat(dirfd, from.c_str());
            if (err != 0)
                RemoveNewLink(dirfd, from, to, sys);
            return err;
        }
        if (err == EEXIST)
            return ResolveConflict(dirfd, from, to, sys, mayTakeCaseAlias, index);
        if (err != EPERM && err != EOPNOTSUPP && err != ENOSYS)
            return err;
        if (index != nullptr)
            index->lacksHardLinks = true;
    }

    // No hard links either, as on FAT and exFAT (fusefat and exfat-fuse answer EPERM): check that
    // the name is free, then rename. A file that appears in between could still be replaced; no
    // better call exists on such a file system, and `mv -n` has the same gap.
    if (!foundFree) {
        struct stat target {};
        err = sys.Fstatat(dirfd, to.c_str(), &target);
        if (err == 0)
            return ResolveConflictWith(target, dirfd, from, to, sys, mayTakeCaseAlias, index);
        if (err != ENOENT)
            return err;
    }
    return sys.Renameat(dirfd, from.c_str(), to.c_str());
}

int OpenFolderToRead(int dirfd, const std::string& subfolder) {
    return openat(dirfd, subfolder.empty() ? "." : subfolder.c_str(),
                  O_RDONLY | O_DIRECTORY | O_CLOEXEC);
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

int RenameSystem::ReadFolder(int dirfd, const char* folder, std::vector<std::string>& names) {
    return ReadFolderNames(dirfd, folder, names);
}

RenameSystem& DefaultRenameSystem() {
    static RenameSystem system;
    return system;
}

int RenameNoReplace(int dirfd, const std::string& from, const std::string& to, RenameSystem& sys,
                    FolderIndex* index) {
    const std::string source(WithoutLeadingSlashes(from));
    const std::string target(WithoutLeadingSlashes(to));
    const int err = Attempt(dirfd, source, target, sys, true, index);
    if (index != nullptr) {
        // A failure may leave the folder other than the index can tell (a temporary name that
        // could not be given back, a link not removed): it is read again when next needed.
        if (err == 0)
            index->Renamed(source, target);
        else
            index->Forget();
    }
    return err;
}

int ReadFolderNames(int dirfd, const std::string& subfolder, std::vector<std::string>& names) {
    const int fd = OpenFolderToRead(dirfd, subfolder);
    if (fd < 0)
        return errno;
    DIR* dir = fdopendir(fd);
    if (dir == nullptr) {
        const int err = errno;
        close(fd);
        return err;
    }
    errno = 0;
    while (const dirent* entry = readdir(dir)) {
        const std::string_view name(entry->d_name);
        if (name != "." && name != "..")
            names.emplace_back(name);
    }
    const int err = errno;
    closedir(dir);
    return err;
}

int SyncFolder(int dirfd, const std::string& subfolder) {
    // A descriptor opened for reading: fsync refuses the O_PATH one of a batch.
    const int fd = OpenFolderToRead(dirfd, subfolder);
    if (fd < 0)
        return errno;
    const int err = Result(fsync(fd));
    close(fd);
    return err;
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
