#pragma once

#include "fs/FileStamp.h"
#include "rename/BatchPreview.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace quorvel {

class RenameSystem;
class WorkProgress;

// What tells a renamed file from another one put under its name later. A rename keeps the inode,
// and a file edited since keeps its inode. FAT and exFAT number inodes afresh at every mount (the
// FUSE ones by the order of lookups); size and modification time survive that, except where the
// file system itself dates a renamed file anew (fusefat does).
struct FileIdentity {
    bool known = false;
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    std::int64_t size = 0;
    std::int64_t mtimeSeconds = 0;
    std::int64_t mtimeNanoseconds = 0;

    friend bool operator==(const FileIdentity&, const FileIdentity&) = default;
};

struct JournalEntry {
    std::string oldName;
    std::string newName;
    FileIdentity identity; // of the file under oldName before the batch
};

// The last batch: enough to give every renamed file its old name back, across restarts.
struct UndoJournal {
    std::string folder; // the folder part the batch renamed in, ending in "/"
    std::vector<JournalEntry> entries;
    // Renames that succeeded, in row order; absent while the batch runs (or when it never got to
    // say how far it came).
    std::optional<std::size_t> done;
};

// "Qorv.undo" in the folder of the settings file.
std::string UndoJournalPath(const std::string& settingsPath);

// The journal of a batch about to run in the folder open as dirfd. `listed` holds what the listing
// learnt of each row's file; it is taken when the first row's file still matches it there, and
// otherwise every file is looked at anew (the listing may have shown another folder).
UndoJournal MakeUndoJournal(int dirfd, std::string folder, const std::vector<PlannedRename>& plan,
                            const std::vector<FileStamp>& listed);

// Replaces the file atomically: a crash leaves the old journal or the new one, never a torn one.
// Returns 0 or the errno value of the failure; on failure the old file is untouched.
int WriteUndoJournal(const std::string& path, const UndoJournal& journal);
// nullopt when the file is missing, unreadable or not a whole journal.
std::optional<UndoJournal> ReadUndoJournal(const std::string& path);
// Returns 0 or the errno value; a missing file is no failure.
int RemoveUndoJournal(const std::string& path);

bool HasSomethingToUndo(const UndoJournal& journal);

// Writes to the disk the folders that the first `renamed` renames of the journal changed: the
// folder itself and those a "/" in a new name led into. Returns 0 or the first errno value.
int SyncRenamedFolders(int dirfd, const UndoJournal& journal, std::size_t renamed);

struct UndoSkip {
    std::string oldName;
    std::string newName;
    int error; // of the rename back; 0: the file is no longer under its new name
};

struct UndoResult {
    std::size_t restored = 0;
    std::vector<UndoSkip> skipped; // in the order they were met: last renamed first
    // Files of the journal not tried because the undo was stopped: its first `left` entries.
    std::size_t left = 0;
};

// Renames the files back, last renamed first, never replacing anything, and writes the folder to
// the disk. A file is under a name when the folder lists exactly that name and the file there is
// the journal's: on a file system that ignores letter case every spelling finds it. A file found
// under neither name is skipped and reported; one already under its old name is left alone, so that
// running the same journal twice restores nothing twice. With `progress`, it counts the files tried
// and is asked before each next file whether to stop.
UndoResult UndoBatch(const UndoJournal& journal, RenameSystem& sys,
                     WorkProgress* progress = nullptr);

// "new → old" per file the undo would rename back, in row order.
std::string UndoPlanText(const UndoJournal& journal);
// "new → old: reason" per skipped file.
std::string UndoSkippedText(const std::vector<UndoSkip>& skipped);

} // namespace quorvel
