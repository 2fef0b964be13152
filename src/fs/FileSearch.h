#pragma once

#include "fs/ListRow.h"

#include <cstddef>
#include <string>
#include <vector>

#include <sys/stat.h>

namespace quorvel {

class WorkProgress;

// Why a search found nothing to list, by meaning.
enum class SearchError {
    None,         // the search ran: at least one entry matched (maybe only "." or a folder)
    NoSuchEntry,  // the folder was read, but no entry at all matched the pattern
    PathNotFound, // the folder, or a component of its path, is missing or not a folder
    BadPathName,  // the folder text cannot be a path (too long, bad encoding, embedded NUL)
    Other,        // any other failure to open the folder (no permission, I/O error, loops...)
    Stopped       // the user stopped the search before it ended
};

struct SearchResult {
    SearchError error = SearchError::None;
    int sysError = 0; // the errno behind a failure (ENOENT for NoSuchEntry); 0 otherwise
};

// The two calls a search makes per folder and per entry, one virtual each, so that a test can
// make them as slow as a network share. The base class makes the real calls; both may be called
// from several threads at once.
class SearchSystem {
public:
    virtual ~SearchSystem();

    // getdents64: bytes of directory records read into buffer, 0 at the end, or -errno.
    virtual long Getdents64(int fd, void* buffer, std::size_t size);
    // fstatat: 0, or the errno value of the failure.
    virtual int Fstatat(int dirfd, const char* name, struct stat* st, int flags);
};

SearchSystem& DefaultSearchSystem();

// Lists the files of `folder` whose names match `pattern` (WildcardPattern), appending one row per
// file to `out` in directory order: the name as the directory holds it, raw bytes, and the
// FileTimeText of its last modification (empty when unknown), and the stamp of the entry itself
// (unknown for a symbolic link). The folder text may end in "/"; an empty text means the root.
// Every entry, "." and ".." included, is matched; only entries that are neither "." nor ".."
// nor folders are appended. A symbolic link to a folder counts as a folder; any other symbolic
// link, a dangling one included, is listed as a file with its target's time (the link's own
// when the target cannot be reached). A pattern holding "/" matches nothing.
// A failure to read further entries ends the listing silently with what was found.
//
// The entries of a large folder are examined on several threads at once (up to 8), so that a
// share answering each call after a round trip lists in a fraction of the time. `progress`, when
// given, counts the entries examined and is asked between calls whether to stop; a stopped
// search reports Stopped. On any failure, and when stopped, `out` is left as it was.
SearchResult FindFiles(const std::string& folder, const std::string& pattern,
                       std::vector<ListRow>& out, SearchSystem& sys = DefaultSearchSystem(),
                       WorkProgress* progress = nullptr);

// Whether the folder can be searched at all, without reading its entries: None, or the
// failure FindFiles would report for opening it.
SearchResult ProbeFolder(const std::string& folder);

} // namespace quorvel
