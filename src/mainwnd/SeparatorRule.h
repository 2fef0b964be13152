#pragma once

#include <string_view>

namespace quorvel {

// Whether a change of the folder edit from previous to now should list the folder again.
// Adding or removing a trailing "/" names the same folder, so such a change does not list. The
// rule looks only at which text is longer and at their last bytes; it therefore also skips a
// shortening that removes a final "/" ("/abc/" to "/ab") and a change that keeps or grows the
// length and makes the text end in "/" ("/a" to "/b/"). The empty text does not end in "/".
bool FolderChangeShouldList(std::string_view previous, std::string_view now);

} // namespace quorvel
