#include "fs/WorkingDirectory.h"

#include <cerrno>
#include <cstdlib>
#include <memory>
#include <unistd.h>

namespace quorvel {

std::string CurrentDirectory(int* error) {
    // glibc sizes the buffer itself when given none, so a deep directory is never cut.
    const std::unique_ptr<char, decltype(&std::free)> cwd(getcwd(nullptr, 0), &std::free);
    if (!cwd) {
        if (error)
            *error = errno;
        return {};
    }
    if (error)
        *error = 0;
    return cwd.get();
}

} // namespace quorvel
