#include "ThumbnailCases.h"

#include "BenchData.h"
#include "BenchWindow.h"

#include "platform/listctrl/FileListView.h"
#include "thumbs/Thumbnail.h"
#include "thumbs/ThumbnailDecoder.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QHelpEvent>
#include <QImageReader>
#include <QTimer>

#include <algorithm>
#include <cmath>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace quorvel::bench {
namespace {

constexpr QSize kPhotoSize(6000, 4000);

void Expect(bool condition, const std::string& what) {
    if (!condition)
        throw CaseFailure(what);
}

// A photograph's make-up: a smooth sky over a textured ground, with a little sensor noise, at
// a camera's quality; about 1.5 bits per pixel, as a 24-megapixel photo has.
const std::string& BigJpeg(const Workload& w) {
    static const std::string path = [&w] {
        const std::string file = w.root + "/big.jpg";
        QImage image(kPhotoSize, QImage::Format_RGB32);
        std::uint32_t seed = 1;
        for (int y = 0; y < image.height(); ++y) {
            auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
            for (int x = 0; x < image.width(); ++x) {
                seed = seed * 1103515245u + 12345u;
                const int noise = int((seed >> 16) % 11) - 5;
                int r = 90 + y / 20, g = 140 + y / 25, b = 230 - y / 40;
                if (y >= image.height() * 2 / 5) {
                    const double t =
                        40 * std::sin(x / 23.0 + std::sin(y / 61.0) * 3) * std::cos(y / 17.0) +
                        25 * std::sin((x - y) / 9.0);
                    r = 110 + int(t), g = 100 + int(t * 0.8), b = 60 + int(t * 0.5);
                }
                line[x] = qRgb(std::clamp(r + noise, 0, 255), std::clamp(g + noise, 0, 255),
                               std::clamp(b + noise, 0, 255));
            }
        }
        Expect(image.save(QString::fromStdString(file), "JPEG", 90), "cannot write the JPEG");
        return file;
    }();
    return path;
}

class OpenFile {
public:
    explicit OpenFile(const std::string& path) : m_fd(open(path.c_str(), O_RDONLY | O_CLOEXEC)) {
        Expect(m_fd >= 0, "cannot open " + path);
    }
    ~OpenFile() { close(m_fd); }
    OpenFile(const OpenFile&) = delete;
    OpenFile& operator=(const OpenFile&) = delete;
    int fd() const { return m_fd; }

private:
    int m_fd;
};

// Rests the pointer on row 0 as the tooltip timer reports it, and waits for the tooltip.
void RestOnFirstRow(BenchWindow& window) {
    QWidget* viewport = window.list().View()->viewport();
    const QPoint pos =
        window.list().View()->visualRect(window.list().Model()->index(0, 0)).center();
    QHelpEvent rest(QEvent::ToolTip, pos, viewport->mapToGlobal(pos));
    QCoreApplication::sendEvent(viewport, &rest);
    const QDeadlineTimer deadline(2000);
    QTimer wake; // so that a lost result still ends the wait
    wake.start(100);
    for (;;) {
        if (const auto* tip = window.dlg().findChild<QWidget*>(QStringLiteral("thumbnailTip"));
            tip && tip->isVisible())
            return;
        Expect(!deadline.hasExpired(), "no tooltip");
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
}

void LeaveTheList(BenchWindow& window) {
    QEvent leave(QEvent::Leave);
    QCoreApplication::sendEvent(window.list().View()->viewport(), &leave);
}

} // namespace

Timing ThumbnailDecodeCase(const Workload& w) {
    const std::string& path = BigJpeg(w);
    const OpenFile file(path);
    Best caseBest;
    Best floorBest;
    for (int rep = 0; rep < w.repetitions; ++rep) {
        QImage full;
        floorBest.add(TimeOf([&] { full = QImageReader(QString::fromStdString(path)).read(); }));
        Expect(full.size() == kPhotoSize, "the full decode failed");
        Thumbnail thumbnail;
        caseBest.add(TimeOf([&] {
            thumbnail = DecodeThumbnail(file.fd(), path, ImageKind::Picture, kThumbnailBox);
        }));
        Expect(thumbnail.picture.size() == QSize(256, 170) && thumbnail.pixelSize == kPhotoSize,
               "the thumbnail is not 256 x 170 of 6000 x 4000");
    }
    return Timing{caseBest, floorBest};
}

Best CachedThumbnailCase(const Workload& w) {
    const std::string folder = w.root + "/thumbnail";
    Expect(mkdir(folder.c_str(), 0700) == 0 &&
               link(BigJpeg(w).c_str(), (folder + "/big.jpg").c_str()) == 0,
           "cannot make the folder of the picture");
    BenchWindow window(w.iniPath);
    window.ListFolder(folder);
    window.Settle();
    RestOnFirstRow(window); // decodes and fills the cache
    LeaveTheList(window);
    Best best;
    for (int rep = 0; rep < w.repetitions; ++rep) {
        best.add(TimeOf([&] { RestOnFirstRow(window); }));
        LeaveTheList(window);
    }
    RemoveTree(folder);
    return best;
}

} // namespace quorvel::bench
