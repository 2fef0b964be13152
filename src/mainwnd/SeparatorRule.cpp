#include "mainwnd/SeparatorRule.h"

namespace quorvel {

namespace {

// The last byte is the last character: in UTF-8 no byte of a multibyte character is 0x2F.
bool EndsInSeparator(std::string_view text) {
    return text.ends_with('/');
}

} // namespace

bool FolderChangeShouldList(std::string_view previous, std::string_view now) {
    if (now.size() < previous.size()) {
        return !(EndsInSeparator(previous) && !EndsInSeparator(now));
    }
    return !(EndsInSeparator(now) && !EndsInSeparator(previous));
}

} // namespace quorvel
