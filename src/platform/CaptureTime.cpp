#include "platform/CaptureTime.h"

#include <exiv2/exiv2.hpp>

#include <sys/stat.h>

#include <chrono>
#include <cstdio>
#include <mutex>

namespace quorvel {
namespace {

using namespace std::chrono;

constexpr CaptureKey kMicrosPerSecond = 1'000'000;

// Reads exactly `count` digits at `pos`; -1 when any is missing.
int Digits(std::string_view text, std::size_t pos, std::size_t count) {
    if (pos + count > text.size())
        return -1;
    int value = 0;
    for (std::size_t i = pos; i < pos + count; ++i) {
        if (text[i] < '0' || text[i] > '9')
            return -1;
        value = value * 10 + (text[i] - '0');
    }
    return value;
}

// Leading digits as microseconds: "5" is half a second; digits past the sixth are dropped.
CaptureKey Fraction(std::string_view digits) {
    CaptureKey micros = 0;
    CaptureKey scale = kMicrosPerSecond / 10;
    for (char c : digits) {
        if (c < '0' || c > '9')
            break;
        micros += (c - '0') * scale;
        scale /= 10;
    }
    return micros;
}

bool IsOneOf(std::string_view text, std::size_t pos, std::string_view allowed) {
    return pos < text.size() && allowed.find(text[pos]) != std::string_view::npos;
}

CaptureKey MakeKey(int y, int mo, int d, int h, int mi, int s, CaptureKey micros) {
    const year_month_day date{year(y), month(unsigned(mo)), day(unsigned(d))};
    if (y < 1 || y > 9999 || !date.ok() || h < 0 || h > 23 || mi < 0 || mi > 59 || s < 0 || s > 59)
        return kCaptureNone;
    const auto time = local_days(date) + hours(h) + minutes(mi) + seconds(s);
    return duration_cast<microseconds>(time.time_since_epoch()).count() + micros;
}

// Text values end at a NUL: Exif ASCII values carry their terminator, some writers pad with more.
std::string_view UpToNul(const std::string& text) {
    return std::string_view(text).substr(0, text.find('\0'));
}

std::string_view TrimmedStart(std::string_view text) {
    while (!text.empty() && text.front() == ' ')
        text.remove_prefix(1);
    return text;
}

// Serialises the registration of namespaces that XMP packets bring along.
std::mutex g_xmpLock;

void LockXmp(void* mutex, bool lock) {
    if (lock)
        static_cast<std::mutex*>(mutex)->lock();
    else
        static_cast<std::mutex*>(mutex)->unlock();
}

} // namespace

void PrepareCaptureTimeReading() {
    static std::once_flag once;
    std::call_once(once, [] {
        Exiv2::LogMsg::setLevel(Exiv2::LogMsg::mute);
        Exiv2::XmpParser::initialize(LockXmp, &g_xmpLock);
    });
}

CaptureKey ParseExifTime(std::string_view dateTime, std::string_view subSeconds) {
    // The Exif form uses colons in the date; dashes and slashes are what some writers put there.
    if (dateTime.size() < 19 || !IsOneOf(dateTime, 4, ":-/") || dateTime[7] != dateTime[4] ||
        !IsOneOf(dateTime, 10, " T") || dateTime[13] != ':' || dateTime[16] != ':')
        return kCaptureNone;
    for (std::size_t i = 19; i < dateTime.size(); ++i)
        if (dateTime[i] != ' ')
            return kCaptureNone;
    return MakeKey(Digits(dateTime, 0, 4), Digits(dateTime, 5, 2), Digits(dateTime, 8, 2),
                   Digits(dateTime, 11, 2), Digits(dateTime, 14, 2), Digits(dateTime, 17, 2),
                   Fraction(TrimmedStart(subSeconds)));
}

CaptureKey ParseXmpTime(std::string_view dateTime) {
    if (dateTime.size() < 10 || dateTime[4] != '-' || dateTime[7] != '-')
        return kCaptureNone;
    int h = 0, mi = 0, s = 0;
    CaptureKey micros = 0;
    std::size_t pos = 10;
    if (pos < dateTime.size() && dateTime[pos] == 'T') {
        h = Digits(dateTime, pos + 1, 2);
        mi = IsOneOf(dateTime, pos + 3, ":") ? Digits(dateTime, pos + 4, 2) : -1;
        pos += 6;
        if (IsOneOf(dateTime, pos, ":")) {
            s = Digits(dateTime, pos + 1, 2);
            pos += 3;
            if (IsOneOf(dateTime, pos, ".")) {
                const std::size_t first = ++pos;
                while (pos < dateTime.size() && dateTime[pos] >= '0' && dateTime[pos] <= '9')
                    ++pos;
                if (pos == first)
                    return kCaptureNone;
                micros = Fraction(dateTime.substr(first));
            }
        }
    }
    // The zone designator, if any, is checked but not applied: see CaptureKey.
    const std::string_view zone = dateTime.substr(std::min(pos, dateTime.size()));
    const bool zoneOk = zone.empty() || zone == "Z" ||
                        (zone.size() == 6 && IsOneOf(zone, 0, "+-") && Digits(zone, 1, 2) >= 0 &&
                         zone[3] == ':' && Digits(zone, 4, 2) >= 0);
    if (!zoneOk)
        return kCaptureNone;
    return MakeKey(Digits(dateTime, 0, 4), Digits(dateTime, 5, 2), Digits(dateTime, 8, 2), h, mi, s,
                   micros);
}

CaptureKey ReadCaptureTime(const std::string& path) {
    // A pipe or a device listed in the folder would block the reader or never end.
    struct stat info;
    if (stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode))
        return kCaptureNone;
    try {
        const Exiv2::Image::AutoPtr image = Exiv2::ImageFactory::open(path, false);
        if (image.get() == nullptr)
            return kCaptureNone;
        image->readMetadata();

        const Exiv2::ExifData& exif = image->exifData();
        const auto exifText = [&exif](const Exiv2::ExifKey& key) {
            const auto it = exif.findKey(key);
            return it == exif.end() ? std::string() : it->toString();
        };
        static const Exiv2::ExifKey kOriginal("Exif.Photo.DateTimeOriginal");
        static const Exiv2::ExifKey kOriginalSub("Exif.Photo.SubSecTimeOriginal");
        static const Exiv2::ExifKey kDigitized("Exif.Photo.DateTimeDigitized");
        static const Exiv2::ExifKey kDigitizedSub("Exif.Photo.SubSecTimeDigitized");
        for (const auto& [time, sub] :
             {std::pair{&kOriginal, &kOriginalSub}, std::pair{&kDigitized, &kDigitizedSub}}) {
            const std::string text = exifText(*time);
            if (text.empty())
                continue;
            const CaptureKey key = ParseExifTime(UpToNul(text), UpToNul(exifText(*sub)));
            if (key != kCaptureNone)
                return key;
        }

        const Exiv2::XmpData& xmp = image->xmpData();
        static const Exiv2::XmpKey kXmpOriginal("Xmp.exif.DateTimeOriginal");
        static const Exiv2::XmpKey kXmpCreated("Xmp.photoshop.DateCreated");
        for (const Exiv2::XmpKey* name : {&kXmpOriginal, &kXmpCreated}) {
            const auto it = xmp.findKey(*name);
            if (it == xmp.end())
                continue;
            const CaptureKey key = ParseXmpTime(UpToNul(it->toString()));
            if (key != kCaptureNone)
                return key;
        }
    } catch (...) {
        // Exiv2 reports unreadable, unknown and damaged files by throwing; a damaged file may
        // also run it out of memory. Either way there is no time to show.
    }
    return kCaptureNone;
}

std::string CaptureTimeText(CaptureKey key) {
    if (key == kCaptureNotRead || key == kCaptureNone)
        return {};
    const local_time<microseconds> time{microseconds(key)};
    const local_days date = floor<days>(time);
    const year_month_day ymd(date);
    const hh_mm_ss<seconds> clock(floor<seconds>(time - date));
    char text[32];
    std::snprintf(text, sizeof text, "%04d/%02u/%02u  %02d:%02d:%02d", int(ymd.year()),
                  unsigned(ymd.month()), unsigned(ymd.day()), int(clock.hours().count()),
                  int(clock.minutes().count()), int(clock.seconds().count()));
    return text;
}

} // namespace quorvel
