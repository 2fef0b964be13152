#pragma once

#include <string>

namespace quorvel {

// The process's current directory, of any length. On failure: empty, and *error holds errno.
std::string CurrentDirectory(int* error);

} // namespace quorvel
