#pragma once

#include <cstdint>
#include <string>

namespace quorvel {

// The modified-time text of a file row: "YYYY/MM/DD  HH:MM" (two spaces, 17 characters) of
// `seconds` since 1970-01-01 00:00:00 UTC, in local time with the UTC offset that was in force
// at that moment in the current time zone (as last set by tzset()). Works on 64-bit time, so
// dates before 1970 and after 2038 show their real time. Empty only when the local year lies
// outside 1..9999 or the time cannot be converted.
//
// Cheap enough to call once per file of a large folder: the offset is remembered per span of
// time, and localtime_r is asked only for spans not seen yet.
std::string FileTimeText(std::int64_t seconds);

} // namespace quorvel
