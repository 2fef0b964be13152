#pragma once

#include <string>

namespace quorvel {

// The system's description of an errno value in the user's language (LC_MESSAGES), or
// "エラーが発生しました。" when the system has no text for the code. Safe to call from any thread.
std::string SystemErrorText(int code);

} // namespace quorvel
