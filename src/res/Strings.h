#pragma once

#include <string>

namespace quorvel {

// The string table: empty for an id it does not hold.
std::string LoadResourceString(int id);

} // namespace quorvel
