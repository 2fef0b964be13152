#pragma once

#include <string>

namespace quorvel {

// Where the freedesktop base-directory rules put an application's state that outlives a run (its
// history, such as the last batch): $XDG_STATE_HOME, else ~/.local/state. A relative
// $XDG_STATE_HOME is ignored, as the rules say. Empty when neither it nor $HOME is known.
std::string StateHome();

// Makes the folder and any missing parent, each new one readable by its owner alone. Returns
// false when the folder cannot be had.
bool MakePrivateFolders(const std::string& folder);

} // namespace quorvel
