#pragma once

#include "Cases.h"

#include <cstddef>
#include <string>
#include <vector>

namespace quorvel::bench {

// Creates `folder` (which must not exist yet) holding one small JPEG per name, each with its own
// Exif DateTimeOriginal and SubSecTimeOriginal, whole seconds apart, in an order unrelated to the
// names' order. Returns an empty text on success, else what failed.
std::string MakeFolderOfPhotos(const std::string& folder, const std::vector<std::string>& names);

// The capture floor: for each file of the folder, the Exiv2 read the column makes (open,
// readMetadata, the DateTimeOriginal and SubSecTimeOriginal texts), one after another on this
// thread. Returns how many files gave a time.
std::size_t CaptureFloor(const std::string& folder, const std::vector<std::string>& names);

// What the capture cases measure, each on a folder of photos.
struct CaptureTimings {
    Best floorTime; // the capture floor
    Best readTime;  // listing with the column shown until every time is in, on the wall clock
    Best sortTime;  // then one click on the column's header
};
CaptureTimings CaptureCase(const Workload& w, const std::string& folder,
                           const std::vector<std::string>& names);

// The longest wait of the event loop, in milliseconds, while the capture times of `folder` are
// read with the column shown; the listing itself before the reading is not counted.
double CaptureStallMs(const Workload& w, const std::string& folder, std::size_t files);

// Resident bytes per row of the large folder listed with the column shown and every capture time
// read.
long CaptureRowsMemoryBytes(const Workload& w);

} // namespace quorvel::bench
