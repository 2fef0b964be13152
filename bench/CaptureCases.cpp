#include "CaptureCases.h"

#include "BenchWindow.h"
#include "Measure.h"

#include "mainwnd/CaptureTimeLoader.h"
#include "platform/listctrl/FileListView.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QScrollBar>
#include <QTimer>

#include <exiv2/exiv2.hpp>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <ctime>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace quorvel::bench {

namespace {

constexpr int kCaptureColumn = 2;
// 2015-01-01 00:00:00, four frames a second.
constexpr std::time_t kFirstCapture = 1420070400;
constexpr int kFramesPerSecond = 4;
// A prime that divides none of the folder sizes used here (see BenchData.cpp).
constexpr std::size_t kShuffle = 7919;
constexpr const char* kTemplateTime = "2015:01:01 00:00:00";
constexpr const char* kTemplateSub = "987";

void Expect(bool condition, const std::string& what) {
    if (!condition)
        throw CaseFailure(what);
}

// A small JPEG as Qt writes it, tagged by Exiv2 in memory with the template's time.
std::string TemplatePhoto() {
    QImage image(16, 12, QImage::Format_RGB32);
    image.fill(Qt::darkCyan);
    QByteArray jpeg;
    QBuffer buffer(&jpeg);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "JPG");
    const Exiv2::Image::AutoPtr photo = Exiv2::ImageFactory::open(
        reinterpret_cast<const Exiv2::byte*>(jpeg.constData()), long(jpeg.size()));
    photo->readMetadata();
    photo->exifData()["Exif.Photo.DateTimeOriginal"] = kTemplateTime;
    photo->exifData()["Exif.Photo.SubSecTimeOriginal"] = kTemplateSub;
    photo->writeMetadata();
    Exiv2::BasicIo& io = photo->io();
    io.seek(0, Exiv2::BasicIo::beg);
    const Exiv2::DataBuf bytes = io.read(io.size());
    return std::string(reinterpret_cast<const char*>(bytes.pData_), std::size_t(bytes.size_));
}

void WaitForCaptureTimes(BenchWindow& window) {
    const CaptureTimeLoader* loader = window.dlg().CaptureTimes();
    while (loader->isReading())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
}

// A window showing the column, pointed at `folder` but not yet listing it.
void ShowColumn(BenchWindow& window, const std::string& folder) {
    window.dlg().OnShowCaptureTime(true);
    window.PointAt(folder);
    window.Settle();
}

std::vector<std::string> CaptureTexts(BenchWindow& window) {
    std::vector<std::string> texts;
    for (int r = 0; r < window.list().GetItemCount(); ++r)
        texts.push_back(window.list().GetItemText(r, kCaptureColumn));
    return texts;
}

} // namespace

std::string MakeFolderOfPhotos(const std::string& folder, const std::vector<std::string>& names) {
    std::string photo;
    try {
        photo = TemplatePhoto();
    } catch (const std::exception& e) {
        return std::string("tagging the template photo: ") + e.what();
    }
    const std::size_t timeAt = photo.find(kTemplateTime), subAt = photo.find(kTemplateSub);
    if (timeAt == std::string::npos || subAt == std::string::npos)
        return "the template photo holds no time";
    if (mkdir(folder.c_str(), 0700) != 0)
        return "mkdir " + folder + ": " + std::strerror(errno);
    const std::size_t count = names.size();
    for (std::size_t i = 0; i < count; ++i) {
        const std::size_t slot = i * kShuffle % count;
        const std::time_t when = kFirstCapture + std::time_t(slot / kFramesPerSecond);
        std::tm fields{};
        gmtime_r(&when, &fields);
        char text[32];
        std::strftime(text, sizeof text, "%Y:%m:%d %H:%M:%S", &fields);
        photo.replace(timeAt, std::strlen(kTemplateTime), text);
        std::snprintf(text, sizeof text, "%03zu", slot % kFramesPerSecond * 250);
        photo.replace(subAt, std::strlen(kTemplateSub), text);
        // O_EXCL: the benchmark never touches a file it did not just make.
        const std::string path = folder + "/" + names[i];
        const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (fd < 0)
            return "create " + names[i] + ": " + std::strerror(errno);
        const bool written = write(fd, photo.data(), photo.size()) == ssize_t(photo.size());
        close(fd);
        if (!written)
            return "write " + names[i];
    }
    return {};
}

std::size_t CaptureFloor(const std::string& folder, const std::vector<std::string>& names) {
    const Exiv2::ExifKey original("Exif.Photo.DateTimeOriginal");
    const Exiv2::ExifKey sub("Exif.Photo.SubSecTimeOriginal");
    std::size_t found = 0;
    for (const std::string& name : names) {
        try {
            const Exiv2::Image::AutoPtr image =
                Exiv2::ImageFactory::open(folder + "/" + name, false);
            image->readMetadata();
            const Exiv2::ExifData& exif = image->exifData();
            const auto time = exif.findKey(original);
            const auto fraction = exif.findKey(sub);
            found += time != exif.end() && fraction != exif.end() && !time->toString().empty() &&
                     !fraction->toString().empty();
        } catch (const std::exception&) {
        }
    }
    return found;
}

CaptureTimings CaptureCase(const Workload& w, const std::string& folder,
                           const std::vector<std::string>& names) {
    CaptureTimings timings;
    for (int rep = 0; rep < w.repetitions; ++rep) {
        std::size_t found = 0;
        timings.floorTime.add(TimeOf([&] { found = CaptureFloor(folder, names); }));
        Expect(found == names.size(), "the floor found " + std::to_string(found) + " times");

        BenchWindow window(w.iniPath);
        ShowColumn(window, folder);
        timings.readTime.add(TimeOf([&] {
            window.dlg().ListFolder(folder, 1, 1);
            WaitForCaptureTimes(window);
        }));
        Expect(window.boxes.shown.empty() &&
                   std::size_t(window.list().GetItemCount()) == names.size(),
               "the folder was not listed");
        const std::vector<std::string> before = CaptureTexts(window);
        Expect(std::ranges::none_of(before, &std::string::empty), "a capture time is missing");
        Expect(!std::ranges::is_sorted(before), "the times are already in order");

        timings.sortTime.add(TimeOf([&] {
            window.ClickColumn(kCaptureColumn);
            window.Settle();
        }));
        Expect(std::ranges::is_sorted(CaptureTexts(window)), "times not ascending");
    }
    return timings;
}

double CaptureStallMs(const Workload& w, const std::string& folder, std::size_t files) {
    BenchWindow window(w.iniPath);
    ShowColumn(window, folder);
    window.dlg().ListFolder(folder, 1, 1);
    Expect(std::size_t(window.list().GetItemCount()) == files, "the folder was not listed");

    // A timer that should fire every 5 ms; the longest gap between two of its ticks is the
    // longest the window could not have answered. Meanwhile the list is scrolled, as a user
    // looking through it would, which also moves the rows in view to the front of the reading.
    QElapsedTimer clock;
    qint64 last = 0, worst = 0;
    QTimer tick;
    tick.setTimerType(Qt::PreciseTimer);
    tick.setInterval(5);
    int ticks = 0;
    QScrollBar* scroll = window.list().View()->verticalScrollBar();
    QObject::connect(&tick, &QTimer::timeout, &tick, [&] {
        const qint64 now = clock.nsecsElapsed();
        worst = std::max(worst, now - last);
        last = now;
        if (++ticks % 4 == 0)
            scroll->setValue(scroll->value() + 50);
    });
    clock.start();
    tick.start();
    WaitForCaptureTimes(window);
    worst = std::max(worst, clock.nsecsElapsed() - last);
    std::fprintf(stderr, "# capture times of %zu files read in %.1fs, %d ticks\n", files,
                 double(clock.nsecsElapsed()) / 1e9, ticks);
    const std::vector<std::string> texts = CaptureTexts(window);
    Expect(std::ranges::none_of(texts, &std::string::empty), "a capture time is missing");
    return double(worst) / 1e6;
}

long CaptureRowsMemoryBytes(const Workload& w) {
    long best = -1;
    for (int rep = 0; rep < w.repetitions; ++rep) {
        BenchWindow window(w.iniPath);
        ShowColumn(window, w.photos);
        const long before = ResidentBytes();
        window.dlg().ListFolder(w.photos, 1, 1);
        WaitForCaptureTimes(window);
        window.Settle();
        const long after = ResidentBytes();
        Expect(std::size_t(window.list().GetItemCount()) == w.photoCount,
               "the folder was not listed");
        Expect(before > 0 && after > 0, "no /proc/self/statm");
        const long perRow = (after - before) / long(w.photoCount);
        best = best < 0 ? perRow : std::min(best, perRow);
    }
    return best;
}

} // namespace quorvel::bench
