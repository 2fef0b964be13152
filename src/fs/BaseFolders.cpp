#include "fs/BaseFolders.h"

#include <cerrno>
#include <cstdlib>

#include <sys/stat.h>

namespace quorvel {

std::string StateHome() {
    if (const char* state = std::getenv("XDG_STATE_HOME"); state != nullptr && state[0] == '/')
        return state;
    const char* home = std::getenv("HOME");
    return home != nullptr && home[0] == '/' ? std::string(home) + "/.local/state" : std::string();
}

bool MakePrivateFolders(const std::string& folder) {
    struct stat st {};
    if (stat(folder.c_str(), &st) == 0)
        return S_ISDIR(st.st_mode);
    const std::size_t slash = folder.rfind('/');
    if (slash != std::string::npos && slash > 0 && !MakePrivateFolders(folder.substr(0, slash)))
        return false;
    return mkdir(folder.c_str(), 0700) == 0 || errno == EEXIST;
}

} // namespace quorvel
