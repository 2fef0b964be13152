#include "BenchData.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <unordered_set>

#include <dirent.h>
#include <fcntl.h>
#include <ftw.h>
#include <sys/stat.h>
#include <unistd.h>

namespace quorvel::bench {

namespace {

// 2015-01-01 00:00:00 UTC.
constexpr std::int64_t kFirstTime = 1420070400;
constexpr std::int64_t kTimeStep = 600;
// A prime that divides none of the folder sizes used here, so i * kShuffle modulo the count
// visits every slot exactly once.
constexpr std::size_t kShuffle = 7919;

std::string Numbered(const char* format, std::size_t n, int digits) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, format, digits, n);
    return buffer;
}

std::string Failed(const std::string& what, const std::string& name) {
    return what + " " + name + ": " + std::strerror(errno);
}

} // namespace

ScratchFolder::ScratchFolder() {
    // TMPDIR first, as every temporary folder does: it lets the data go to a faster disk.
    const char* tmpdir = std::getenv("TMPDIR");
    std::string templ = std::string(tmpdir && *tmpdir ? tmpdir : "/tmp") + "/quorvel-bench-XXXXXX";
    if (mkdtemp(templ.data()) != nullptr)
        m_path = templ;
}

ScratchFolder::~ScratchFolder() {
    if (ok())
        RemoveTree(m_path);
}

std::vector<std::string> PhotoNames(std::size_t count, int digits) {
    std::vector<std::string> names;
    names.reserve(count);
    for (std::size_t i = 1; i <= count; ++i)
        names.push_back(Numbered("IMG_%0*zu.JPG", i, digits));
    return names;
}

std::vector<std::string> JapaneseNames(std::size_t count) {
    std::vector<std::string> names;
    names.reserve(count);
    for (std::size_t i = 1; i <= count; ++i)
        names.push_back(Numbered("写真_%0*zu.jpg", i, 4));
    return names;
}

std::string MakeFolderOfFiles(const std::string& folder, const std::vector<std::string>& names) {
    if (mkdir(folder.c_str(), 0700) != 0)
        return Failed("mkdir", folder);
    const int dirFd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd < 0)
        return Failed("open", folder);
    std::string error;
    const std::size_t count = names.size();
    for (std::size_t i = 0; i < count && error.empty(); ++i) {
        // O_EXCL: the benchmark never touches a file it did not just make.
        const int fd =
            openat(dirFd, names[i].c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (fd < 0) {
            error = Failed("create", names[i]);
            break;
        }
        close(fd);
        const auto slot = static_cast<std::int64_t>(i * kShuffle % count);
        const struct timespec times[2] = {{kFirstTime + slot * kTimeStep, 0},
                                          {kFirstTime + slot * kTimeStep, 0}};
        if (utimensat(dirFd, names[i].c_str(), times, AT_SYMLINK_NOFOLLOW) != 0)
            error = Failed("utimensat", names[i]);
    }
    close(dirFd);
    return error;
}

std::string LinkFolderOfFiles(const std::string& folder, const std::string& sourceFolder,
                              const std::vector<std::string>& sourceNames,
                              const std::vector<std::string>& names) {
    if (sourceNames.size() != names.size())
        return "as many sources as names needed";
    if (mkdir(folder.c_str(), 0700) != 0)
        return Failed("mkdir", folder);
    const int sourceFd = open(sourceFolder.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    if (sourceFd < 0)
        return Failed("open", sourceFolder);
    const int dirFd = open(folder.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    if (dirFd < 0) {
        close(sourceFd);
        return Failed("open", folder);
    }
    // linkat never replaces an existing name.
    std::string error;
    for (std::size_t i = 0; i < names.size() && error.empty(); ++i)
        if (linkat(sourceFd, sourceNames[i].c_str(), dirFd, names[i].c_str(), 0) != 0)
            error = Failed("link", names[i]);
    close(dirFd);
    close(sourceFd);
    return error;
}

void RemoveTree(const std::string& folder) {
    nftw(
        folder.c_str(),
        [](const char* path, const struct stat*, int, struct FTW*) {
            // Carry on past a failure: removing what can be removed beats stopping half-way.
            remove(path);
            return 0;
        },
        32, FTW_DEPTH | FTW_PHYS);
}

std::size_t CountPresent(const std::string& folder, const std::vector<std::string>& names) {
    const std::unordered_set<std::string> wanted(names.begin(), names.end());
    DIR* dir = opendir(folder.c_str());
    if (dir == nullptr)
        return 0;
    std::size_t found = 0;
    while (const dirent* entry = readdir(dir))
        found += wanted.count(entry->d_name);
    closedir(dir);
    return found;
}

} // namespace quorvel::bench
