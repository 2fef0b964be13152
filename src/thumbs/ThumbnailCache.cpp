#include "thumbs/ThumbnailCache.h"

#include "fs/AtomicFile.h"
#include "fs/BaseFolders.h"
#include "fs/RegularFile.h"

#include <QBuffer>
#include <QCryptographicHash>
#include <QFile>
#include <QImageReader>
#include <QImageWriter>

#include <sys/stat.h>

namespace quorvel {
namespace {

constexpr const char* kUriKey = "Thumb::URI";
constexpr const char* kMTimeKey = "Thumb::MTime";
constexpr const char* kSizeKey = "Thumb::Size";
constexpr const char* kWidthKey = "Thumb::Image::Width";
constexpr const char* kHeightKey = "Thumb::Image::Height";

std::optional<std::string> TextOf(const QImage& entry, const char* key) {
    if (!entry.textKeys().contains(QLatin1String(key)))
        return std::nullopt;
    return entry.text(QLatin1String(key)).toStdString();
}

// The image's size as the entry states it, turned the way the picture is: writers differ in
// whether they give it before or after the Exif orientation.
QSize StatedPixelSize(const QImage& entry) {
    const QSize stated(entry.text(QLatin1String(kWidthKey)).toInt(),
                       entry.text(QLatin1String(kHeightKey)).toInt());
    if (stated.isEmpty())
        return {};
    const bool pictureWide = entry.width() > entry.height();
    const bool statedWide = stated.width() > stated.height();
    const bool square = entry.width() == entry.height() || stated.width() == stated.height();
    return square || pictureWide == statedWide ? stated : stated.transposed();
}

} // namespace

std::string ThumbnailFileName(std::string_view uri) {
    const QByteArray hash = QCryptographicHash::hash(QByteArray(uri.data(), qsizetype(uri.size())),
                                                     QCryptographicHash::Md5);
    return hash.toHex().toStdString() + ".png";
}

std::optional<Thumbnail> ThumbnailCache::Find(std::string_view folder,
                                              const ThumbnailStamp& file) const {
    if (m_root.empty())
        return std::nullopt;
    const std::string path = m_root + "/" + std::string(folder) + "/" + ThumbnailFileName(file.uri);
    // The cache is shared with every other program of the desktop: an entry that is a pipe is
    // no entry.
    struct stat st {};
    const int fd = OpenRegularFile(path, st);
    if (fd < 0)
        return std::nullopt;
    QFile png;
    png.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle);
    QImageReader reader(&png, "png");
    QImage entry = reader.read();
    if (entry.isNull() || !EntryMatches(file, TextOf(entry, kUriKey), TextOf(entry, kMTimeKey),
                                        TextOf(entry, kSizeKey)))
        return std::nullopt;
    const QSize pixels = StatedPixelSize(entry);
    if (entry.width() > kThumbnailBox || entry.height() > kThumbnailBox)
        entry = entry.scaled(kThumbnailBox, kThumbnailBox, Qt::KeepAspectRatio,
                             Qt::SmoothTransformation);
    return Thumbnail{entry, pixels};
}

std::optional<Thumbnail> ThumbnailCache::FindLarge(const ThumbnailStamp& file) const {
    for (const std::string_view folder : kLargeFolders)
        if (std::optional<Thumbnail> found = Find(folder, file))
            return found;
    return std::nullopt;
}

std::optional<Thumbnail> ThumbnailCache::FindNormal(const ThumbnailStamp& file) const {
    return Find(kNormalFolder, file);
}

bool ThumbnailCache::HasFailed(const ThumbnailStamp& file) const {
    return Find(FailFolder(), file).has_value();
}

void ThumbnailCache::Save(std::string_view folder, const ThumbnailStamp& file,
                          const Thumbnail& t) const {
    if (m_root.empty())
        return;
    const std::string dir = m_root + "/" + std::string(folder);
    if (!MakePrivateFolders(dir))
        return;
    // 8 bits per channel with alpha, the form the cache's entries take. The keys go on the
    // image: the writer's own text setting splits a key at its first colon.
    QImage entry = t.picture.convertToFormat(QImage::Format_ARGB32);
    entry.setText(QLatin1String(kUriKey), QString::fromStdString(file.uri));
    entry.setText(QLatin1String(kMTimeKey), QString::number(file.mtime));
    entry.setText(QLatin1String(kSizeKey), QString::number(file.size));
    if (t.pixelSize.isValid()) {
        entry.setText(QLatin1String(kWidthKey), QString::number(t.pixelSize.width()));
        entry.setText(QLatin1String(kHeightKey), QString::number(t.pixelSize.height()));
    }
    entry.setText(QStringLiteral("Software"), QStringLiteral("Quorvel"));
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!QImageWriter(&buffer, "png").write(entry))
        return;
    ReplaceFileAtomically(dir + "/" + ThumbnailFileName(file.uri),
                          std::string_view(bytes.constData(), std::size_t(bytes.size())), 0600);
}

void ThumbnailCache::SaveLarge(const ThumbnailStamp& file, const Thumbnail& thumbnail) const {
    Save(kLargeFolders[0], file, thumbnail);
}

void ThumbnailCache::SaveFailure(const ThumbnailStamp& file) const {
    QImage empty(1, 1, QImage::Format_ARGB32);
    empty.fill(Qt::transparent);
    Save(FailFolder(), file, Thumbnail{empty, {}});
}

} // namespace quorvel
