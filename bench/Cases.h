#pragma once

#include "Measure.h"

#include <cstddef>
#include <stdexcept>
#include <string>
#include <vector>

namespace quorvel::bench {

// What every case works on, made once per run.
struct Workload {
    std::string root;       // the run's scratch folder; cases make fresh folders below it
    std::string iniPath;    // settings that start a window on an empty folder
    std::string photos;     // the large folder
    std::size_t photoCount; // files in it
    std::vector<std::string> photoNames; // the first of them by name, in name order
    int repetitions;                     // runs per measurement; the best one counts
};

// A case whose window did not do what the case asked of it: its time would mean nothing.
class CaseFailure : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct Timing {
    Best caseTime;
    Best floorTime;
};

// The best listing floor of the large folder.
Best ListingFloorTime(const Workload& w);

// Listing the large folder into a fresh window.
Best ListCaseTime(const Workload& w);
// One header click on the freshly listed large folder.
Best SortCaseTime(const Workload& w, int column);
// Resident bytes the listing of the large folder adds per row.
long RowsMemoryBytes(const Workload& w);
// One click on the up or down button with every other row of the large folder selected.
Best MoveCaseTime(const Workload& w, int buttonId);
// Every other row of the large folder selected and dropped on the line above the first row, as
// the list reports a drag let go there.
Best DropCaseTime(const Workload& w);
// One click on select-all over the large folder with nothing selected.
Best SelectAllCaseTime(const Workload& w);
// Renaming every row of a fresh folder of `files` files (no more than photoNames), the listing
// after it included, and its floor: the same renames as bare renameat2 calls plus the listing floor
// of the folder.
Timing RenameCase(const Workload& w, std::size_t files);
// The start button answered with Cancel over a fresh folder of `files` files, every row selected:
// the preview of the new names and the check for problems, nothing renamed. Its floor is the one
// of RenameCase for as many files.
Timing PreviewCase(const Workload& w, std::size_t files);

} // namespace quorvel::bench
