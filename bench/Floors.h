#pragma once

#include <cstddef>
#include <string>
#include <utility>
#include <vector>

namespace quorvel::bench {

// What the listing floor collects per file: the least any listing of names and times must do.
struct FloorEntry {
    std::string name;
    std::string time;
};

// The listing floor: opendir/readdir, fstatat and localtime_r + strftime("%Y/%m/%d  %H:%M")
// per file, name and time text pushed into a vector. Folders are skipped as a listing would.
std::vector<FloorEntry> ListingFloor(const std::string& folder);

// The renaming floor: one renameat2(RENAME_NOREPLACE) per pair inside `folder`, nothing else.
// Returns how many succeeded.
std::size_t RenameFloor(const std::string& folder,
                        const std::vector<std::pair<std::string, std::string>>& renames);

} // namespace quorvel::bench
