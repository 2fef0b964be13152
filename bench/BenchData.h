#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace quorvel::bench {

// A folder of our own under $TMPDIR or /tmp, removed with everything in it when the object goes.
class ScratchFolder {
public:
    ScratchFolder();
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    bool ok() const { return !m_path.empty(); }
    const std::string& path() const { return m_path; }

private:
    std::string m_path;
};

// "IMG_000001.JPG" ... with `digits` digits, numbered from 1.
std::vector<std::string> PhotoNames(std::size_t count, int digits);
// "写真_0001.jpg" ...: names whose sort keys go through the CP932 conversion.
std::vector<std::string> JapaneseNames(std::size_t count);

// Creates `folder` (which must not exist yet) holding one empty file per name. Every file gets
// its own modified time, whole minutes apart, in an order unrelated to the names' order, so that
// sorting by time really moves rows. Returns an empty text on success, else what failed.
std::string MakeFolderOfFiles(const std::string& folder, const std::vector<std::string>& names);

// Creates `folder` (which must not exist yet) holding a second name for each of the files
// `sourceNames` in `sourceFolder`: names[i] for sourceNames[i]. Each is a regular file with its
// own modified time, as a fresh file would be, yet costs no new inode: on a file system without a
// journal every inode freed in the last minutes makes each new one slower to find.
std::string LinkFolderOfFiles(const std::string& folder, const std::string& sourceFolder,
                              const std::vector<std::string>& sourceNames,
                              const std::vector<std::string>& names);

// Removes a folder and everything below it; symbolic links are removed, never followed.
void RemoveTree(const std::string& folder);

// How many entries of the folder, "." and ".." aside, carry exactly one of `names`.
std::size_t CountPresent(const std::string& folder, const std::vector<std::string>& names);

} // namespace quorvel::bench
