#pragma once

#include <string>
#include <string_view>

namespace quorvel {

// A file name's bytes as a person can read them, in UTF-8. A name in UTF-8 shows as it is. One
// that is not, but reads as CP932 (Shift-JIS from a Windows archive, a CD, a card written on
// Windows), shows as its Japanese text. Anything else shows each byte that decodes to nothing as
// \xHH; such a name shows every backslash as \x5C too, and a control character shows as \xHH in
// any name, so that no name can spell out another's escapes.
std::string ReadableName(std::string_view bytes);
// The same for each name of a path between its slashes.
std::string ReadablePath(std::string_view bytes);

} // namespace quorvel
