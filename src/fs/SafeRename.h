#pragma once

#include <string>
#include <vector>

#include <sys/stat.h>

namespace quorvel {

// The system calls behind RenameNoReplace, one virtual each, so that a test can make any step fail.
// The base class makes the real calls. Every call returns 0 on success or the errno value of its
// failure (never -1); errno itself is not looked at afterwards. Names are relative to dirfd and
// may hold "/".
class FolderIndex;

class RenameSystem {
public:
    virtual ~RenameSystem();

    // renameat2 with RENAME_NOREPLACE.
    virtual int Renameat2NoReplace(int dirfd, const char* from, const char* to);
    // A hard link `to` of `from`; a symbolic link `from` is linked itself, not followed.
    virtual int Linkat(int dirfd, const char* from, const char* to);
    // Removes a non-directory entry.
    virtual int Unlinkat(int dirfd, const char* name);
    // Status of the entry itself: a symbolic link is not followed.
    virtual int Fstatat(int dirfd, const char* name, struct stat* st);
    // Plain renameat, which replaces an existing target: only used after checking that none exists.
    virtual int Renameat(int dirfd, const char* from, const char* to);
    // ReadFolderNames, below.
    virtual int ReadFolder(int dirfd, const char* folder, std::vector<std::string>& names);
};

RenameSystem& DefaultRenameSystem();

// Renames `from` to `to` inside the folder open as dirfd and never replaces anything that exists
// under the new name. Returns 0 on success, otherwise an errno value: EEXIST when the new name is
// taken, ENOENT when the old name (or a folder on the way to the new one) is missing, and whatever
// else the file system reports. A leading "/" does not leave the folder: names are joined to it as
// a path would be. Nothing is ever copied, and a failure leaves the file under its old name.
//
// On a file system that ignores letter case, a new name that differs from the old one only in case
// is the file's own and the rename goes ahead; a new name that another entry holds in any letter
// case is taken. A batch gives every rename of one folder the same index, so that the folder is
// read once for all its case-only renames instead of once for each.
int RenameNoReplace(int dirfd, const std::string& from, const std::string& to,
                    RenameSystem& sys = DefaultRenameSystem(), FolderIndex* index = nullptr);

// Appends every entry of the folder `subfolder` of dirfd ("" for dirfd's own), "." and ".." left
// out, byte for byte. Returns 0 or an errno value; a listing cut short by an error is a failure.
int ReadFolderNames(int dirfd, const std::string& subfolder, std::vector<std::string>& names);

// Writes the entries of the folder `subfolder` of dirfd ("" for dirfd's own) to the disk, so that
// the renames made in it survive a power cut. Returns 0 or an errno value.
int SyncFolder(int dirfd, const std::string& subfolder);

// An open folder for the *at calls of one batch, closed when the handle goes.
class FolderHandle {
public:
    explicit FolderHandle(const std::string& folder);
    ~FolderHandle();
    FolderHandle(const FolderHandle&) = delete;
    FolderHandle& operator=(const FolderHandle&) = delete;

    int fd() const { return m_fd; }
    bool ok() const { return m_fd >= 0; }
    // errno value of the failed open; 0 when ok().
    int error() const { return m_error; }

private:
    int m_fd = -1;
    int m_error = 0;
};

} // namespace quorvel
