#pragma once

#include "platform/FileStamp.h"

#include <string>
#include <vector>

namespace quorvel {

// Why a search found nothing to list, by meaning.
enum class SearchError {
    None,         // the search ran: at least one entry matched (maybe only "." or a folder)
    NoSuchEntry,  // the folder was read, but no entry at all matched the pattern
    PathNotFound, // the folder, or a component of its path, is missing or not a folder
    BadPathName,  // the folder text cannot be a path (too long, bad encoding, embedded NUL)
    Other         // any other failure to open the folder (no permission, I/O error, loops...)
};

struct FoundFile {
    std::string name;     // the entry's name as the directory returned it, raw bytes
    std::string timeText; // FileTimeText of its last modification; empty when unknown
    FileStamp stamp{};    // of the entry itself; unknown for a symbolic link
};

struct SearchResult {
    SearchError error = SearchError::None;
    int sysError = 0; // the errno behind a failure (ENOENT for NoSuchEntry); 0 on success
};

// Lists the files of `folder` whose names match `pattern` (WildcardPattern), appending them to
// `out` in directory order. The folder text may end in "/"; an empty text means the root.
// Every entry, "." and ".." included, is matched; only entries that are neither "." nor ".."
// nor folders are appended. A symbolic link to a folder counts as a folder; any other symbolic
// link, a dangling one included, is listed as a file with its target's time (the link's own
// when the target cannot be reached). A pattern holding "/" matches nothing.
// A failure to read further entries ends the listing silently with what was found.
// On failure `out` is left as it was.
SearchResult FindFiles(const std::string& folder, const std::string& pattern,
                       std::vector<FoundFile>& out);

// Whether the folder can be searched at all, without reading its entries: None, or the
// failure FindFiles would report for opening it.
SearchResult ProbeFolder(const std::string& folder);

} // namespace quorvel
