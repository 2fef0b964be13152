#pragma once

#include "fs/FileStamp.h"
#include "rename/BatchPreview.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
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

// Which folder a batch ran in: a journal found later is applied only to that very folder.
struct FolderIdentity {
    bool known = false; // journals of the first version did not say
    std::uint64_t device = 0;
    std::uint64_t inode = 0;

    friend bool operator==(const FolderIdentity&, const FolderIdentity&) = default;
};

// The last batch: enough to give every renamed file its old name back, across restarts.
struct UndoJournal {
    std::string folder; // the folder part the batch renamed in, ending in "/"
    FolderIdentity folderIdentity;
    std::vector<JournalEntry> entries;
    // Renames that succeeded, in row order; absent while the batch runs (or when it never got to
    // say how far it came).
    std::optional<std::size_t> done;
};

// The journal's bytes as written, and back: nullopt when they are not a whole journal.
std::string SerializeUndoJournal(const UndoJournal& journal);
std::optional<UndoJournal> ParseUndoJournal(std::string_view bytes);
// From the journal's first bytes alone: whether it has something to undo; nullopt when they do
// not start a journal.
std::optional<bool> ParseUndoJournalHead(std::string_view bytes);

// The journal of a batch about to run in the folder open as dirfd. `listed` holds what the listing
// learnt of each row's file; it is taken when the first row's file still matches it there, and
// otherwise every file is looked at anew (the listing may have shown another folder).
UndoJournal MakeUndoJournal(int dirfd, std::string folder, const std::vector<PlannedRename>& plan,
                            const std::vector<FileStamp>& listed);

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
// Whether the folder open as dirfd is the one the batch ran in.
bool IsBatchFolder(const UndoJournal& journal, int dirfd);

UndoResult UndoBatch(const UndoJournal& journal, RenameSystem& sys,
                     WorkProgress* progress = nullptr);

// "new → old" per file the undo would rename back, in row order.
std::string UndoPlanText(const UndoJournal& journal);
// "new → old: reason" per skipped file.
std::string UndoSkippedText(const std::vector<UndoSkip>& skipped);

} // namespace quorvel
