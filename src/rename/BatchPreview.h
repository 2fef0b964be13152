#pragma once

#include "rename/NameBuilder.h"

#include <cstddef>
#include <string>
#include <vector>

namespace quorvel {

// One row of a batch: its file's name and the name the batch gives it, both inside the folder.
struct PlannedRename {
    std::string oldName;
    std::string newName;
};

// The renames of one batch in row order; the k-th name comes from `names` for position k. A "/"
// at the start of a new name is dropped, so that a prefix never leaves the folder.
std::vector<PlannedRename> PlanBatch(const NameBuilder& names,
                                     const std::vector<std::string>& oldNames);

enum class BatchProblemKind {
    NameTaken,           // the new name exists and is no old name that an earlier row frees
    SameNewName,         // an earlier row gets the same new name
    NumberOutgrowsWidth, // the first number longer than the first row's: names stop sorting
    NameTooLong,         // a part of the new name is longer than the file system allows
};

struct BatchProblem {
    BatchProblemKind kind;
    std::size_t row;       // position in the batch, from 0
    std::size_t other = 0; // SameNewName: the earlier row; NameTooLong: the limit in bytes
};

// What would go wrong, found without changing anything: looks up the new names in the folder open
// as dirfd (-1: the folder is not looked at, and 255 bytes is the limit). Where the file system
// ignores letter case, a name another file holds in another case is taken. In row order.
std::vector<BatchProblem> FindBatchProblems(int dirfd, const std::vector<PlannedRename>& plan,
                                            const NameBuilder& names);

// Whether the run would stop at this problem rather than go on past it.
bool StopsTheRun(BatchProblemKind kind);

// "old → new" per row, then, after an empty line, one line per problem and the row where the
// run would stop.
std::string BatchPreviewText(const std::vector<PlannedRename>& plan,
                             const std::vector<BatchProblem>& problems, const NameBuilder& names);

// The row that failed, the system's reason in the user's language, and how many were renamed.
std::string BatchFailureText(const PlannedRename& row, int error, std::size_t renamedBefore);

} // namespace quorvel
