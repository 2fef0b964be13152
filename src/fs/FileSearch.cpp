#include "fs/FileSearch.h"

#include "fs/Wildcard.h"
#include "platform/WorkProgress.h"
#include "text/FileTimeText.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdint>
#include <memory>
#include <string_view>
#include <thread>

#include <dirent.h>
#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>

namespace quorvel {

namespace {

// One call reads this much of the folder: a share answers each call after a round trip, and
// readdir's own buffer would need eight of them where this needs one.
constexpr std::size_t kReadBytes = 256 * 1024;
// Threads examining entries of slow storage, and how many entries make one worth starting.
constexpr std::size_t kMaxThreads = 8;
constexpr std::size_t kEntriesPerThread = 64;
// Entries a thread takes at a time: few enough to share out a slow folder evenly, enough that
// the threads seldom meet at the counter.
constexpr std::size_t kChunk = 32;
// Examining an entry in the page cache of a local disk never waits; entries of a share, a card
// or a disk that has to seek keep the thread waiting for an answer, at least this often.
constexpr std::size_t kEntriesPerWait = 4;

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

class FdCloser {
public:
    explicit FdCloser(int fd) : fd_(fd) {}
    ~FdCloser() { close(fd_); }
    FdCloser(const FdCloser&) = delete;
    FdCloser& operator=(const FdCloser&) = delete;

private:
    int fd_;
};

// The folder text as the user typed it: an empty one means the root, and a trailing "/" is
// fine as it is. Returns the descriptor, or -1 with the failure.
int OpenFolder(const std::string& folder, SearchResult& failure) {
    if (folder.find('\0') != std::string::npos) {
        failure = Failure(SearchError::BadPathName, EINVAL);
        return -1;
    }
    const int fd = open(folder.empty() ? "/" : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) {
        const int code = errno;
        failure = Failure(OpenErrorMeaning(code), code);
    }
    return fd;
}

// What examining an entry decided; until then, the d_type hint from the directory, which saves
// the status call for folders and tells links apart up front.
enum : std::uint8_t { kSkip = 0xFE, kFile = 0xFF };

// Decides whether a matching entry is listed and, if so, which time it shows; `stamp` is of
// the entry itself, unknown for a symbolic link.
std::uint8_t Examine(SearchSystem& sys, int dirFd, const char* name, unsigned char type,
                     std::int64_t& mtime, bool& timeKnown, FileStamp& stamp) {
    struct stat info;
    timeKnown = false;
    if (type != DT_LNK) {
        if (const int error = sys.Fstatat(dirFd, name, &info, AT_SYMLINK_NOFOLLOW); error != 0) {
            // Gone since the folder was read: nothing left to list. Otherwise it exists but
            // cannot be examined (e.g. a folder we may read but not search): list it without a
            // time, unless the directory already told us its kind.
            return error == ENOENT ? kSkip : kFile;
        }
        if (S_ISDIR(info.st_mode)) {
            return kSkip;
        }
        if (!S_ISLNK(info.st_mode)) {
            mtime = info.st_mtim.tv_sec;
            timeKnown = true;
            stamp = StampOf(info);
            return kFile;
        }
    }
    // A symbolic link: what it points to decides.
    if (sys.Fstatat(dirFd, name, &info, 0) == 0) {
        if (S_ISDIR(info.st_mode)) {
            return kSkip;
        }
        mtime = info.st_mtim.tv_sec;
        timeKnown = true;
        return kFile;
    }
    const int error = sys.Fstatat(dirFd, name, &info, AT_SYMLINK_NOFOLLOW);
    if (error == 0) {
        mtime = info.st_mtim.tv_sec;
        timeKnown = true;
        return kFile;
    }
    return error == ENOENT ? kSkip : kFile;
}

bool IsDotOrDotDot(std::string_view name) {
    return name == "." || name == "..";
}

bool Stopping(const WorkProgress* progress) {
    return progress != nullptr && progress->StopRequested();
}

// Reads every entry of the folder, appending a row per matching entry that may be a file, with
// its d_type hint beside it. Returns whether anything matched at all.
bool ReadEntries(SearchSystem& sys, int dirFd, const WildcardPattern& matcher,
                 std::vector<ListRow>& rows, std::vector<std::uint8_t>& types,
                 const WorkProgress* progress) {
    const auto buffer = std::make_unique<char[]>(kReadBytes);
    bool anyMatch = false;
    // Whether 0 means "no more entries" or a failure midway, the listing ends here with what
    // it has.
    while (!Stopping(progress)) {
        const long length = sys.Getdents64(dirFd, buffer.get(), kReadBytes);
        if (length <= 0) {
            break;
        }
        for (long at = 0; at < length;) {
            const auto* entry = reinterpret_cast<const dirent64*>(buffer.get() + at);
            at += entry->d_reclen;
            const std::string_view name(entry->d_name);
            if (!matcher.Matches(name)) {
                continue;
            }
            anyMatch = true;
            if (entry->d_type == DT_DIR || IsDotOrDotDot(name)) {
                continue;
            }
            rows.emplace_back().name = name;
            types.push_back(entry->d_type);
        }
    }
    return anyMatch;
}

// Examines the next chunk of rows [first, first + types.size()), turning each type into kSkip or
// kFile and giving listed files their time text. Returns how many it examined: 0 once none are
// left or the search is to stop.
std::size_t ExamineChunk(SearchSystem& sys, int dirFd, std::vector<ListRow>& rows,
                         std::size_t first, std::vector<std::uint8_t>& types,
                         std::atomic<std::size_t>& next, WorkProgress* progress) {
    const std::size_t count = types.size();
    const std::size_t begin = Stopping(progress) ? count : next.fetch_add(kChunk);
    if (begin >= count) {
        return 0;
    }
    const std::size_t end = std::min(begin + kChunk, count);
    for (std::size_t i = begin; i < end; ++i) {
        ListRow& row = rows[first + i];
        std::int64_t mtime = 0;
        bool timeKnown = false;
        types[i] = Examine(sys, dirFd, row.name.c_str(), types[i], mtime, timeKnown, row.stamp);
        if (types[i] == kFile && timeKnown) {
            row.time = FileTimeText(mtime);
        }
        if (progress != nullptr) {
            progress->AddDone(1);
        }
    }
    return end - begin;
}

// How often this thread has waited for something, an answer of a file system or a disk, since
// it started; being made to wait for the processor does not count.
long WaitsSoFar() {
    rusage usage{};
    getrusage(RUSAGE_THREAD, &usage);
    return usage.ru_nvcsw;
}

// Examines on this thread and, once the entries turn out to come from slow storage, on helper
// threads too: on a local disk they would only add the cost of starting them.
void ExamineAll(SearchSystem& sys, int dirFd, std::vector<ListRow>& rows, std::size_t first,
                std::vector<std::uint8_t>& types, WorkProgress* progress) {
    const std::size_t threads =
        std::clamp<std::size_t>(types.size() / kEntriesPerThread, 1, kMaxThreads);
    std::atomic<std::size_t> next{0};
    std::vector<std::jthread> helpers;
    // The clock would not do: on a busy machine a thread waits for the processor as well.
    const long waitsBefore = WaitsSoFar();
    std::size_t examined = 0;
    while (const std::size_t done = ExamineChunk(sys, dirFd, rows, first, types, next, progress)) {
        examined += done;
        if (helpers.empty() && threads > 1 &&
            std::size_t(WaitsSoFar() - waitsBefore) * kEntriesPerWait >= examined) {
            for (std::size_t t = 1; t < threads; ++t) {
                helpers.emplace_back([&] {
                    while (ExamineChunk(sys, dirFd, rows, first, types, next, progress)) {
                    }
                });
            }
        }
    }
}

// Drops the rows that examining left out, keeping the order of the others.
void RemoveSkipped(std::vector<ListRow>& rows, std::size_t first,
                   const std::vector<std::uint8_t>& types) {
    std::size_t kept = first;
    for (std::size_t i = 0; i < types.size(); ++i) {
        if (types[i] == kFile) {
            if (kept != first + i) {
                rows[kept] = std::move(rows[first + i]);
            }
            ++kept;
        }
    }
    rows.erase(rows.begin() + std::ptrdiff_t(kept), rows.end());
    // Only when many went: the rows of a large folder are never copied to trim a little slack.
    if (rows.size() < rows.capacity() / 2) {
        rows.shrink_to_fit();
    }
}

} // namespace

SearchSystem::~SearchSystem() = default;

long SearchSystem::Getdents64(int fd, void* buffer, std::size_t size) {
    const ssize_t length = getdents64(fd, buffer, size);
    return length < 0 ? -errno : long(length);
}

int SearchSystem::Fstatat(int dirfd, const char* name, struct stat* st, int flags) {
    return fstatat(dirfd, name, st, flags) == 0 ? 0 : errno;
}

SearchSystem& DefaultSearchSystem() {
    static SearchSystem system;
    return system;
}

SearchResult FindFiles(const std::string& folder, const std::string& pattern,
                       std::vector<ListRow>& out, SearchSystem& sys, WorkProgress* progress) {
    SearchResult failure;
    const int dirFd = OpenFolder(folder, failure);
    if (dirFd < 0) {
        return failure;
    }
    const FdCloser closer(dirFd);
    // Names never hold "/": such a pattern could only be meant as a path, which this search
    // does not follow.
    if (pattern.find('/') != std::string::npos) {
        return Failure(SearchError::NoSuchEntry, ENOENT);
    }

    const std::size_t first = out.size();
    std::vector<std::uint8_t> types;
    const WildcardPattern matcher(pattern);
    const bool anyMatch = ReadEntries(sys, dirFd, matcher, out, types, progress);
    if (!Stopping(progress)) {
        ExamineAll(sys, dirFd, out, first, types, progress);
    }
    if (Stopping(progress)) {
        out.erase(out.begin() + std::ptrdiff_t(first), out.end());
        return Failure(SearchError::Stopped, 0);
    }
    RemoveSkipped(out, first, types);
    if (!anyMatch) {
        return Failure(SearchError::NoSuchEntry, ENOENT);
    }
    return {};
}

SearchResult ProbeFolder(const std::string& folder) {
    SearchResult failure;
    const int fd = OpenFolder(folder, failure);
    if (fd < 0) {
        return failure;
    }
    close(fd);
    return {};
}

} // namespace quorvel
