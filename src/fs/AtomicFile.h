#pragma once

#include <string>
#include <string_view>
#include <sys/types.h>

namespace quorvel {

// Replaces the file at path with bytes through a temporary file beside it, so a crash or a full
// disk leaves the old file, never a truncated one. Returns 0 or an errno value; on failure the
// temporary file is gone and the old file untouched.
int ReplaceFileAtomically(const std::string& path, std::string_view bytes, mode_t mode);

} // namespace quorvel
