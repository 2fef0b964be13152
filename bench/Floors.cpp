#include "Floors.h"

#include <cstdio>
#include <ctime>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace quorvel::bench {

std::vector<FloorEntry> ListingFloor(const std::string& folder) {
    std::vector<FloorEntry> entries;
    DIR* dir = opendir(folder.c_str());
    if (dir == nullptr)
        return entries;
    const int dirFd = dirfd(dir);
    while (const dirent* entry = readdir(dir)) {
        if (entry->d_type == DT_DIR)
            continue;
        struct stat info;
        if (fstatat(dirFd, entry->d_name, &info, AT_SYMLINK_NOFOLLOW) != 0 || S_ISDIR(info.st_mode))
            continue;
        std::tm fields{};
        char text[32];
        localtime_r(&info.st_mtim.tv_sec, &fields);
        const std::size_t length = std::strftime(text, sizeof text, "%Y/%m/%d  %H:%M", &fields);
        entries.push_back(FloorEntry{entry->d_name, std::string(text, length)});
    }
    closedir(dir);
    return entries;
}

std::size_t RenameFloor(const std::string& folder,
                        const std::vector<std::pair<std::string, std::string>>& renames) {
    const int dirFd = open(folder.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    if (dirFd < 0)
        return 0;
    std::size_t done = 0;
    for (const auto& [from, to] : renames)
        done += renameat2(dirFd, from.c_str(), dirFd, to.c_str(), RENAME_NOREPLACE) == 0;
    close(dirFd);
    return done;
}

} // namespace quorvel::bench
