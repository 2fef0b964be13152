#include "text/FileTimeText.h"

#include <array>
#include <chrono>
#include <cstdlib>
#include <ctime>
#include <limits>
#include <optional>
#include <vector>

namespace quorvel {

namespace {

constexpr std::int64_t kSecondsPerDay = 86400;
constexpr std::int64_t kSecondsPerHour = 3600;
// 0001-01-01 00:00:00 and 10000-01-01 00:00:00 UTC. Real UTC offsets stay well under a day,
// so anything more than a day outside these is out of range in every time zone, and the
// arithmetic below cannot overflow.
constexpr std::int64_t kFirstSecond = -62135596800;
constexpr std::int64_t kEndSecond = 253402300800;

std::int64_t FloorDiv(std::int64_t value, std::int64_t divisor) {
    const std::int64_t quotient = value / divisor;
    return quotient * divisor > value ? quotient - 1 : quotient;
}

std::optional<long> OffsetAt(std::int64_t seconds) {
    const auto time = static_cast<std::time_t>(seconds);
    std::tm fields{};
    if (localtime_r(&time, &fields) == nullptr) {
        return std::nullopt;
    }
    return fields.tm_gmtoff;
}

// The UTC offset per UTC day, remembered for the days seen so far. Files of one folder
// usually cluster on few days, and even 100,000 files spread over twenty years touch only
// some 7,300 days, so a table of 8,192 days makes localtime_r calls rare. A day holding an
// offset change is remembered per hour instead, and the hour holding the change is asked
// second by second.
//
// A span counts as having one offset when localtime_r reports the same offset at its first
// and at its last second. That would miss a zone that changes its offset and changes it back
// within one day; the time zone database holds no such zone (checked over all of its zones,
// years 1 to 3000).
class OffsetCache {
public:
    std::optional<long> Offset(std::int64_t seconds) {
        RestartIfZoneChanged();
        if (days_.empty()) {
            days_.assign(kDaySlots, Slot{});
        }
        const std::int64_t day = FloorDiv(seconds, kSecondsPerDay);
        Slot& daySlot = days_[static_cast<std::size_t>(day) % kDaySlots];
        if (daySlot.span != day) {
            daySlot = Probe(day * kSecondsPerDay, kSecondsPerDay, day);
        }
        if (daySlot.offset != kChanges) {
            return Known(daySlot.offset);
        }
        const std::int64_t hour = FloorDiv(seconds, kSecondsPerHour);
        Slot& hourSlot = hours_[static_cast<std::size_t>(hour) % hours_.size()];
        if (hourSlot.span != hour) {
            hourSlot = Probe(hour * kSecondsPerHour, kSecondsPerHour, hour);
        }
        if (hourSlot.offset != kChanges) {
            return Known(hourSlot.offset);
        }
        return OffsetAt(seconds);
    }

private:
    static constexpr std::size_t kDaySlots = 8192;
    static constexpr std::int64_t kNoSpan = std::numeric_limits<std::int64_t>::min();
    static constexpr long kChanges = std::numeric_limits<long>::min(); // offset not constant
    static constexpr long kUnknown = kChanges + 1;                     // localtime_r failed

    struct Slot {
        std::int64_t span = kNoSpan; // day or hour number since the epoch
        long offset = 0;
    };

    static std::optional<long> Known(long offset) {
        return offset == kUnknown ? std::nullopt : std::optional<long>(offset);
    }

    static Slot Probe(std::int64_t begin, std::int64_t length, std::int64_t span) {
        const std::optional<long> first = OffsetAt(begin);
        const std::optional<long> last = OffsetAt(begin + length - 1);
        if (!first || !last) {
            return Slot{span, first || last ? kChanges : kUnknown};
        }
        return Slot{span, *first == *last ? *first : kChanges};
    }

    // localtime_r follows the zone that tzset() loaded from TZ; a changed TZ means other
    // offsets, so everything remembered is dropped.
    void RestartIfZoneChanged() {
        const char* zone = std::getenv("TZ");
        const bool zoneSet = zone != nullptr;
        if (zoneSet == zoneSet_ && (!zoneSet || zone_ == zone)) {
            return;
        }
        zoneSet_ = zoneSet;
        zone_ = zoneSet ? zone : "";
        days_.clear();
        hours_.fill(Slot{});
    }

    std::vector<Slot> days_; // allocated on first use: most threads never format a time
    std::array<Slot, 64> hours_{};
    bool zoneSet_ = false;
    std::string zone_;
};

void PutDigits(char* out, int value, int width) {
    for (int i = width - 1; i >= 0; --i) {
        out[i] = static_cast<char>('0' + value % 10);
        value /= 10;
    }
}

} // namespace

std::string FileTimeText(std::int64_t seconds) {
    if (seconds < kFirstSecond - kSecondsPerDay || seconds >= kEndSecond + kSecondsPerDay) {
        return {};
    }
    thread_local OffsetCache cache;
    const std::optional<long> offset = cache.Offset(seconds);
    if (!offset) {
        return {};
    }
    const std::int64_t local = seconds + *offset;
    if (local < kFirstSecond || local >= kEndSecond) {
        return {};
    }
    const std::int64_t days = FloorDiv(local, kSecondsPerDay);
    const auto secondOfDay = static_cast<int>(local - days * kSecondsPerDay);
    const std::chrono::year_month_day date{std::chrono::sys_days{std::chrono::days{days}}};

    std::string text(17, ' ');
    PutDigits(&text[0], static_cast<int>(date.year()), 4);
    text[4] = '/';
    PutDigits(&text[5], static_cast<int>(static_cast<unsigned>(date.month())), 2);
    text[7] = '/';
    PutDigits(&text[8], static_cast<int>(static_cast<unsigned>(date.day())), 2);
    PutDigits(&text[12], secondOfDay / 3600, 2);
    text[14] = ':';
    PutDigits(&text[15], secondOfDay / 60 % 60, 2);
    return text;
}

} // namespace quorvel
