#include "thumbs/ThumbnailLoader.h"

#include "fs/RegularFile.h"
#include "text/FileUri.h"
#include "thumbs/ThumbnailDecoder.h"

#include <exiv2/exiv2.hpp>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace quorvel {
namespace {

class FileHandle {
public:
    // Never waits on a pipe or a device that happens to carry an image's name.
    FileHandle(const std::string& path, struct stat& st) : m_fd(OpenRegularFile(path, st)) {}
    ~FileHandle() {
        if (m_fd >= 0)
            close(m_fd);
    }
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;
    int fd() const { return m_fd; }

private:
    int m_fd;
};

std::string_view NameOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string_view(path)
                                      : std::string_view(path).substr(slash + 1);
}

} // namespace

Thumbnail LoadThumbnail(const ThumbnailCache& cache, const std::string& path) {
    const ImageKind kind = ImageKindOf(NameOf(path));
    if (kind == ImageKind::None)
        return {};
    struct stat st {};
    const FileHandle file(path, st);
    if (file.fd() < 0)
        return {};
    const bool cached = !cache.Root().empty() && !IsInsideFolder(path, cache.Root());
    const ThumbnailStamp stamp{FileUri(path), st.st_mtime, st.st_size};
    if (cached) {
        if (std::optional<Thumbnail> entry = cache.FindLarge(stamp)) {
            if (!entry->pixelSize.isValid())
                entry->pixelSize = ImagePixelSize(file.fd(), path, kind);
            return *entry;
        }
    }
    const bool failedBefore = cached && cache.HasFailed(stamp);
    Thumbnail decoded =
        failedBefore ? Thumbnail{} : DecodeThumbnail(file.fd(), path, kind, kThumbnailBox);
    if (!decoded.picture.isNull()) {
        if (cached)
            cache.SaveLarge(stamp, decoded);
        return decoded;
    }
    if (!cached)
        return {};
    // Another program's decoder may have managed what ours cannot.
    if (std::optional<Thumbnail> entry = cache.FindNormal(stamp))
        return *entry;
    if (!failedBefore)
        cache.SaveFailure(stamp);
    return {};
}

ThumbnailLoader::ThumbnailLoader(QObject* parent) : QObject(parent), m_cache(ThumbnailRoot()) {
    // The metadata library sets up its XMP parser once, before any thread of ours uses it; its
    // complaints about damaged files are of no use to the user, who just sees no picture.
    Exiv2::XmpParser::initialize();
    Exiv2::LogMsg::setLevel(Exiv2::LogMsg::mute);
    m_pool.setMaxThreadCount(1);
}

bool ThumbnailLoader::stop(int ms) {
    m_pool.clear();
    return m_pool.waitForDone(ms);
}

void ThumbnailLoader::request(const std::string& path) {
    m_pool.clear();
    m_pool.start([this, path] {
        const Thumbnail thumbnail = LoadThumbnail(m_cache, path);
        QMetaObject::invokeMethod(
            this, [this, path, thumbnail] { emit loaded(path, thumbnail); }, Qt::QueuedConnection);
    });
}

} // namespace quorvel
