#include "text/SystemErrorText.h"

#include <array>
#include <cstring>

namespace quorvel {

namespace {

// strerror_r comes in two flavours: the GNU one returns the text, the POSIX one fills the
// buffer and returns 0 on success. Overloads pick whichever the library declared.
[[maybe_unused]] const char* StrerrorResult(const char* text, const char*) {
    return text;
}
[[maybe_unused]] const char* StrerrorResult(int result, const char* buffer) {
    return result == 0 ? buffer : nullptr;
}

} // namespace

std::string SystemErrorText(int code) {
    static const std::string fallback = "エラーが発生しました。";
    // For a code it does not know, strerror_r makes up "Unknown error N"; that is no text for
    // the code, so the fallback is shown instead. strerrordesc_np knows the same codes and
    // answers nullptr for the others.
    if (strerrordesc_np(code) == nullptr) {
        return fallback;
    }
    std::array<char, 256> buffer{};
    const char* text =
        StrerrorResult(strerror_r(code, buffer.data(), buffer.size()), buffer.data());
    if (text == nullptr || *text == '\0') {
        return fallback;
    }
    return text;
}

} // namespace quorvel
