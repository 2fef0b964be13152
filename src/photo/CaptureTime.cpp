#include "photo/CaptureTime.h"

#include "fs/RegularFile.h"

#include <exiv2/exiv2.hpp>

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <memory>
#include <mutex>
#include <vector>

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

// A photo as Exiv2 reads it here: one descriptor opened for reading only, which no call can
// write through, read in blocks. Exiv2's own file access opens the file anew for each step and
// reads it in small pieces; this one opens it once and mostly needs one read for all the
// metadata.
class ReadOnlyFile final : public Exiv2::BasicIo {
public:
    // The descriptor is the object's from now on.
    ReadOnlyFile(int fd, std::size_t size, std::string path)
        : m_fd(fd), m_size(size), m_path(std::move(path)) {}
    ~ReadOnlyFile() override {
        munmap();
        ::close(m_fd);
    }
    ReadOnlyFile(const ReadOnlyFile&) = delete;
    ReadOnlyFile& operator=(const ReadOnlyFile&) = delete;

    // Exiv2 opens and closes its source around each step; the descriptor stays open throughout.
    int open() override {
        m_pos = 0;
        m_eof = false;
        return 0;
    }
    int close() override { return munmap(); }

    long write(const Exiv2::byte*, long) override { return 0; }
    long write(Exiv2::BasicIo&) override { return 0; }
    int putb(Exiv2::byte) override { return EOF; }
    void transfer(Exiv2::BasicIo&) override { throw Exiv2::Error(Exiv2::kerFunctionNotSupported); }

    Exiv2::DataBuf read(long count) override {
        // A damaged length field must not become a huge allocation.
        if (count < 0 || std::size_t(count) > m_size)
            throw Exiv2::Error(Exiv2::kerInvalidMalloc);
        Exiv2::DataBuf buffer(count);
        buffer.size_ = read(buffer.pData_, count);
        return buffer;
    }
    long read(Exiv2::byte* out, long count) override {
        long done = 0;
        while (done < count && m_pos < m_size) {
            if (m_pos < m_blockStart || m_pos >= m_blockStart + m_block.size()) {
                if (!fill())
                    break;
            }
            const std::size_t offset = m_pos - m_blockStart;
            const std::size_t n = std::min(std::size_t(count - done), m_block.size() - offset);
            std::memcpy(out + done, m_block.data() + offset, n);
            done += long(n);
            m_pos += n;
        }
        m_eof = done < count;
        return done;
    }
    int getb() override {
        Exiv2::byte b;
        return read(&b, 1) == 1 ? b : EOF;
    }
    int seek(int64_t offset, Position from) override {
        const int64_t base = from == beg ? 0 : from == cur ? int64_t(m_pos) : int64_t(m_size);
        if (base + offset < 0)
            return 1;
        m_pos = std::size_t(base + offset);
        m_eof = false;
        return 0;
    }
    // TIFF-based files (most raw formats) are parsed from a map of the whole file, as Exiv2
    // does; pages not looked at are never read.
    Exiv2::byte* mmap(bool writeable) override {
        if (writeable)
            throw Exiv2::Error(Exiv2::kerFailedToMapFileForReadWrite, m_path, "read only");
        if (m_map == nullptr) {
            void* map = ::mmap(nullptr, m_size, PROT_READ, MAP_SHARED, m_fd, 0);
            if (map == MAP_FAILED)
                throw Exiv2::Error(Exiv2::kerCallFailed, m_path, std::strerror(errno), "mmap");
            m_map = static_cast<Exiv2::byte*>(map);
        }
        return m_map;
    }
    int munmap() override {
        if (m_map != nullptr)
            ::munmap(m_map, m_size);
        m_map = nullptr;
        return 0;
    }
    long tell() const override { return long(m_pos); }
    std::size_t size() const override { return m_size; }
    bool isopen() const override { return true; }
    int error() const override { return m_error; }
    bool eof() const override { return m_eof; }
    std::string path() const override { return m_path; }

private:
    // Room for the metadata of nearly every photo in one read.
    static constexpr std::size_t kBlockBytes = 64 * 1024;

    bool fill() {
        m_block.resize(kBlockBytes);
        const ssize_t n = pread(m_fd, m_block.data(), kBlockBytes, off_t(m_pos));
        m_block.resize(n > 0 ? std::size_t(n) : 0);
        m_blockStart = m_pos;
        m_error = n < 0 ? errno : 0;
        return n > 0;
    }

    const int m_fd;
    const std::size_t m_size;
    const std::string m_path;
    std::size_t m_pos = 0;
    bool m_eof = false;
    int m_error = 0;
    std::vector<Exiv2::byte> m_block;
    std::size_t m_blockStart = 0;
    Exiv2::byte* m_map = nullptr;
};

// Exiv2 0.27 takes its sources and hands its images over in std::auto_ptr, which C++17
// deprecated; this is the one place that meets it.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
std::unique_ptr<Exiv2::Image> OpenImage(std::unique_ptr<Exiv2::BasicIo> source) {
    return std::unique_ptr<Exiv2::Image>(
        Exiv2::ImageFactory::open(Exiv2::BasicIo::AutoPtr(source.release())).release());
}
#pragma GCC diagnostic pop

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
    // Without blocking: a pipe or a device listed in the folder is opened, seen and left alone.
    struct stat info {};
    const int fd = OpenRegularFile(path, info);
    if (fd < 0)
        return kCaptureNone;
    // Owns the descriptor from here on, whatever fails.
    std::unique_ptr<ReadOnlyFile> file;
    try {
        file = std::make_unique<ReadOnlyFile>(fd, std::size_t(info.st_size), path);
    } catch (...) {
        close(fd);
        return kCaptureNone;
    }
    try {
        const std::unique_ptr<Exiv2::Image> image = OpenImage(std::move(file));
        if (image == nullptr)
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
