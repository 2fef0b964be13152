#pragma once

#include <string_view>

namespace quorvel {

// Matches a file name against a search pattern with the wildcards of the folder listing:
//   "*"  any run of characters, the empty run included;
//   "?"  exactly one character;
//   any other character matches itself, ASCII letters regardless of case (nothing else is
//   folded).
// Characters are UTF-8 characters; a byte that does not start a valid UTF-8 sequence counts as
// one character on its own, so names that are not valid UTF-8 still match predictably.
// A pattern ending in ".*" also matches when the ".*" is dropped, so "*.*" matches every name
// and "report.*" matches "report" as well as "report.txt" (see Wildcard.cpp).
bool MatchWildcard(std::string_view pattern, std::string_view name);

} // namespace quorvel
