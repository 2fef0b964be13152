#pragma once

#include "fs/LetterCase.h"

#include <optional>
#include <string>
#include <unordered_set>
#include <vector>

namespace quorvel {

class RenameSystem;

// The entries of a batch's folder, read once and kept up to date as the batch renames, so that
// each case-only rename on a file system that ignores letter case asks the index instead of
// reading the whole folder again. Names with a "/" never enter it.
class FolderIndex {
public:
    // Reads the folder `subfolder` of dirfd ("" for its own) afresh. Returns 0 or an errno value;
    // after a failure the index knows nothing and is read again when next asked.
    int Read(int dirfd, const std::string& subfolder, RenameSystem& sys);
    // The folder's entries as read by someone else, just now.
    void Assign(const std::vector<std::string>& names);
    bool IsRead() const { return m_read; }
    // Whether the source is listed under its own name and no other entry matches the target in
    // any letter case. Empty when an index read earlier cannot tell: the source is not listed, or
    // no entry matches the target although the file system answered for it, so the folder
    // changed under the batch and must be read again. Just read, the index always answers.
    std::optional<bool> OnlySourceMatches(const std::string& source, const std::string& target,
                                          bool justRead) const;
    // A rename inside the folder succeeded: the old name leaves, the new one comes.
    void Renamed(const std::string& from, const std::string& to);
    // Something happened that the index cannot follow: it is read again when next asked.
    void Forget();
    // Whether the folder lists exactly this name; false before it is read.
    bool Lists(const std::string& name) const;

    // What the batch learnt of the folder's file system, so that its later renames do not ask
    // again: on a FUSE card each refused call costs a round trip and a search of the folder, as
    // much as a rename.
    bool lacksHardLinks = false;
    bool ignoresCase = false;

private:
    std::unordered_multiset<std::string, AsciiCaseInsensitiveHash, AsciiCaseInsensitiveEqual>
        m_names;
    bool m_read = false;
};

} // namespace quorvel
