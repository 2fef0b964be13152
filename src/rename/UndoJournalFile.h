#pragma once

#include "rename/UndoJournal.h"

#include <optional>
#include <string>

namespace quorvel {

// The journal of the settings file at settingsPath, where the base-directory rules keep an
// application's history: $XDG_STATE_HOME/quorvel/, one file per settings file, named after a
// hash of its absolute path, so that two working directories keep their own last batch and no
// batch can rename it. Empty when no such place is known.
std::string UndoJournalPath(const std::string& settingsPath);
// Where earlier versions kept it: "Qorv.undo" beside the settings file.
std::string LegacyUndoJournalPath(const std::string& settingsPath);

// Why a journal found on the disk is not believed.
enum class JournalProblem {
    None,
    Missing,
    Damaged,       // not a regular file, too large, torn or not a journal at all
    NotYours,      // owned by another user
    OutsideFolder, // a name that leaves the batch's folder
    OtherFolder,   // the batch ran in another folder than the one under that path now
};

// The one line the box gives after "直前の変換は元に戻せません。".
std::string JournalProblemText(JournalProblem problem);

struct JournalRead {
    std::optional<UndoJournal> journal; // set only when problem is None
    JournalProblem problem = JournalProblem::Missing;
};

// The whole journal, checked before it is believed: opened without following a link and
// without waiting on a pipe, read only when it is a regular file of this user below the size
// limit, every name inside the folder, the folder the one the batch ran in.
JournalRead ReadUndoJournal(const std::string& path);
// The same checks of the file, but only its first bytes read: whether there is something to
// undo (problem None), or why it cannot be believed.
JournalProblem PeekUndoJournal(const std::string& path, bool& somethingToUndo);

// Replaces the file atomically, its folder made 0700 if missing: a crash leaves the old journal
// or the new one, never a torn one. Returns 0 or the errno value of the failure.
int WriteUndoJournal(const std::string& path, const UndoJournal& journal);
// Returns 0 or the errno value; a missing file is no failure.
int RemoveUndoJournal(const std::string& path);
// Whether a journal could be written at path now: its folder exists or can be made, and takes
// new files.
bool CanWriteUndoJournal(const std::string& path);

// A journal that an earlier version left beside the settings file is moved to `path` if it
// passes the checks and nothing newer is there; one that fails them is left for the user to
// look at.
void AdoptLegacyUndoJournal(const std::string& legacyPath, const std::string& path);

} // namespace quorvel
