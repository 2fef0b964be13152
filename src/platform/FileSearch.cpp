#include "platform/FileSearch.h"

#include "platform/FileTimeText.h"
#include "platform/Wildcard.h"

#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <string_view>
#include <sys/stat.h>

namespace quorvel {

namespace {

SearchResult Failure(SearchError error, int code) {
    return SearchResult{error, code};
}

SearchError OpenErrorMeaning(int code) {
    switch (code) {
    case ENOENT:
    case ENOTDIR:
        return SearchError::PathNotFound;
    case ENAMETOOLONG:
    case EILSEQ:
        return SearchError::BadPathName;
    default:
        return SearchError::Other;
    }
}

// The folder text as the user typed it: an empty one means the root, and a trailing "/" is
// fine as it is.
DIR* OpenFolder(const std::string& folder, SearchResult& failure) {
    if (folder.find('\0') != std::string::npos) {
        failure = Failure(SearchError::BadPathName, EINVAL);
        return nullptr;
    }
    DIR* dir = opendir(folder.empty() ? "/" : folder.c_str());
    if (dir == nullptr) {
        const int code = errno;
        failure = Failure(OpenErrorMeaning(code), code);
    }
    return dir;
}

class DirCloser {
public:
    explicit DirCloser(DIR* dir) : dir_(dir) {}
    ~DirCloser() { closedir(dir_); }
    DirCloser(const DirCloser&) = delete;
    DirCloser& operator=(const DirCloser&) = delete;

private:
    DIR* dir_;
};

enum class EntryKind { Skip, File };

// Decides whether a matching entry is listed and, if so, which time it shows. `type` is the
// d_type hint from readdir, which saves the stat for folders and tells links apart up front.
EntryKind Examine(int dirFd, const char* name, unsigned char type, std::int64_t& mtime,
                  bool& timeKnown, FileStamp& stamp) {
    struct stat info;
    timeKnown = false;
    if (type != DT_LNK) {
        if (fstatat(dirFd, name, &info, AT_SYMLINK_NOFOLLOW) != 0) {
            // Gone since readdir saw it: nothing left to list. Otherwise it exists but cannot
            // be examined (e.g. a folder we may read but not search): list it without a time,
            // unless readdir already told us its kind.
            return errno == ENOENT ? EntryKind::Skip : EntryKind::File;
        }
        if (S_ISDIR(info.st_mode)) {
            return EntryKind::Skip;
        }
        if (!S_ISLNK(info.st_mode)) {
            mtime = info.st_mtim.tv_sec;
            timeKnown = true;
            stamp = StampOf(info);
            return EntryKind::File;
        }
    }
    // A symbolic link: what it points to decides.
    if (fstatat(dirFd, name, &info, 0) == 0) {
        if (S_ISDIR(info.st_mode)) {
            return EntryKind::Skip;
        }
        mtime = info.st_mtim.tv_sec;
        timeKnown = true;
        return EntryKind::File;
    }
    if (fstatat(dirFd, name, &info, AT_SYMLINK_NOFOLLOW) == 0) {
        mtime = info.st_mtim.tv_sec;
        timeKnown = true;
        return EntryKind::File;
    }
    return errno == ENOENT ? EntryKind::Skip : EntryKind::File;
}

bool IsDotOrDotDot(std::string_view name) {
    return name == "." || name == "..";
}

} // namespace

SearchResult FindFiles(const std::string& folder, const std::string& pattern,
                       std::vector<FoundFile>& out) {
    SearchResult failure;
    DIR* dir = OpenFolder(folder, failure);
    if (dir == nullptr) {
        return failure;
    }
    DirCloser closer(dir);
    // Names never hold "/": such a pattern could only be meant as a path, which this search
    // does not follow.
    if (pattern.find('/') != std::string::npos) {
        return Failure(SearchError::NoSuchEntry, ENOENT);
    }

    const WildcardPattern matcher(pattern);
    const int dirFd = dirfd(dir);
    bool anyMatch = false;
    for (;;) {
        // Whether NULL means "no more entries" or a failure midway, the listing ends here with
        // what it has.
        const dirent* entry = readdir(dir);
        if (entry == nullptr) {
            break;
        }
        const std::string_view name(entry->d_name);
        if (!matcher.Matches(name)) {
            continue;
        }
        anyMatch = true;
        if (entry->d_type == DT_DIR || IsDotOrDotDot(name)) {
            continue;
        }
        std::int64_t mtime = 0;
        bool timeKnown = false;
        FileStamp stamp;
        if (Examine(dirFd, entry->d_name, entry->d_type, mtime, timeKnown, stamp) ==
            EntryKind::Skip) {
            continue;
        }
        out.push_back(
            FoundFile{std::string(name), timeKnown ? FileTimeText(mtime) : std::string(), stamp});
    }
    if (!anyMatch) {
        return Failure(SearchError::NoSuchEntry, ENOENT);
    }
    return {};
}

SearchResult ProbeFolder(const std::string& folder) {
    SearchResult failure;
    DIR* dir = OpenFolder(folder, failure);
    if (dir == nullptr) {
        return failure;
    }
    closedir(dir);
    return {};
}

} // namespace quorvel
