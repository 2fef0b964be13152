#pragma once

#include <cstddef>
#include <string>

namespace quorvel::bench {

// Renames on a memory card: an exFAT image mounted through exfat-fuse on a loop device, as the
// tests mount it, fresh for each batch. Wall clock: the work is in the file system's process.
struct CardTiming {
    double caseOnlyMs; // IMG_0001.JPG … to IMG_0001.jpg …: new names in letter case only
    double newNamesMs; // IMG_0001.JPG … to P0001.jpg …: the floor
};

// Both batches of `files` renames through the rename layer, as a batch makes them. Throws
// CaseFailure when a rename fails; returns false with `skipped` set when this machine cannot
// mount the image (not root, no /dev/fuse, a tool missing).
bool CardRenameCase(std::size_t files, CardTiming& timing, std::string& skipped);

} // namespace quorvel::bench
