#include "thumbs/ThumbnailDecoder.h"

#include <QBuffer>
#include <QFile>
#include <QImageReader>
#include <QTransform>

#include <exiv2/exiv2.hpp>

#include <unistd.h>

namespace quorvel {
namespace {

// The image file behind fd from its start, left open for the caller.
class FdFile {
public:
    explicit FdFile(int fd) {
        if (lseek(fd, 0, SEEK_SET) == 0)
            m_file.open(fd, QIODevice::ReadOnly, QFileDevice::DontCloseHandle);
    }
    QIODevice* device() { return m_file.isOpen() ? &m_file : nullptr; }

private:
    QFile m_file;
};

QSize Upright(QSize size, bool quarterTurn) {
    return quarterTurn ? size.transposed() : size;
}

// The reader's image at no more than box × box: decoded at that size where the format can, so
// a large JPEG costs a fraction of its full decode.
Thumbnail ReadFitted(QImageReader& reader, int box) {
    const QSize stored = reader.size();
    if (stored.isValid() && (stored.width() > box || stored.height() > box))
        reader.setScaledSize(stored.scaled(box, box, Qt::KeepAspectRatio).expandedTo({1, 1}));
    QImage picture = reader.read();
    if (picture.isNull())
        return {};
    const bool quarterTurn = reader.autoTransform() &&
                             (reader.transformation() & QImageIOHandler::TransformationRotate90);
    const QSize pixels = stored.isValid() ? Upright(stored, quarterTurn) : picture.size();
    if (picture.width() > box || picture.height() > box)
        picture = picture.scaled(box, box, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    return {picture, pixels};
}

// Exif orientations 1-8 as the image readers' transformations.
QImageIOHandler::Transformations FromExifOrientation(long orientation) {
    switch (orientation) {
    case 2:
        return QImageIOHandler::TransformationMirror;
    case 3:
        return QImageIOHandler::TransformationRotate180;
    case 4:
        return QImageIOHandler::TransformationFlip;
    case 5:
        return QImageIOHandler::TransformationFlipAndRotate90;
    case 6:
        return QImageIOHandler::TransformationRotate90;
    case 7:
        return QImageIOHandler::TransformationMirrorAndRotate90;
    case 8:
        return QImageIOHandler::TransformationRotate270;
    default:
        return QImageIOHandler::TransformationNone;
    }
}

QImage Transformed(QImage image, QImageIOHandler::Transformations t) {
    image = image.mirrored(t & QImageIOHandler::TransformationMirror,
                           t & QImageIOHandler::TransformationFlip);
    if (t & QImageIOHandler::TransformationRotate90)
        image = image.transformed(QTransform().rotate(90));
    return image;
}

long ExifNumber(const Exiv2::ExifData& exif, const char* key) {
    const auto it = exif.findKey(Exiv2::ExifKey(key));
    return it == exif.end() || it->count() == 0 ? 0 : it->toLong();
}

QImageIOHandler::Transformations RawOrientation(const Exiv2::ExifData& exif) {
    const auto it = Exiv2::orientation(exif);
    return FromExifOrientation(it == exif.end() || it->count() == 0 ? 1 : it->toLong());
}

// The size of the developed picture where the camera says it, else of the file's main image.
QSize RawPixelSize(const Exiv2::Image& image) {
    const Exiv2::ExifData& exif = image.exifData();
    QSize size(int(ExifNumber(exif, "Exif.Photo.PixelXDimension")),
               int(ExifNumber(exif, "Exif.Photo.PixelYDimension")));
    if (size.isEmpty())
        size = QSize(image.pixelWidth(), image.pixelHeight());
    return size.isEmpty()
               ? QSize()
               : Upright(size, RawOrientation(exif) & QImageIOHandler::TransformationRotate90);
}

std::unique_ptr<Exiv2::Image> OpenRaw(const std::string& path) {
    std::unique_ptr<Exiv2::Image> image(Exiv2::ImageFactory::open(path).release());
    image->readMetadata();
    return image;
}

Thumbnail DecodeRawPreview(const std::string& path, int box) {
    try {
        const std::unique_ptr<Exiv2::Image> image = OpenRaw(path);
        const Exiv2::PreviewManager previews(*image);
        const Exiv2::PreviewPropertiesList list = previews.getPreviewProperties();
        if (list.empty())
            return {};
        QList<QSize> sizes;
        for (const Exiv2::PreviewProperties& p : list)
            sizes << QSize(int(p.width_), int(p.height_));
        const Exiv2::PreviewImage preview =
            previews.getPreviewImage(list[std::size_t(ChoosePreview(sizes, box))]);
        QByteArray bytes(reinterpret_cast<const char*>(preview.pData()), qsizetype(preview.size()));
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::ReadOnly);
        QImageReader reader(&buffer);
        // A preview carries no orientation of its own: the raw file's applies.
        reader.setAutoTransform(false);
        Thumbnail thumbnail = ReadFitted(reader, box);
        if (thumbnail.picture.isNull())
            return {};
        thumbnail.picture = Transformed(thumbnail.picture, RawOrientation(image->exifData()));
        const QSize pixels = RawPixelSize(*image);
        thumbnail.pixelSize = pixels.isValid() ? pixels : thumbnail.picture.size();
        return thumbnail;
    } catch (const std::exception&) {
        return {}; // not a file the library knows, or a damaged one
    }
}

Thumbnail DecodePicture(int fd, int box) {
    FdFile file(fd);
    if (!file.device())
        return {};
    QImageReader reader(file.device());
    reader.setAutoTransform(true);
    return ReadFitted(reader, box);
}

} // namespace

qsizetype ChoosePreview(const QList<QSize>& ascending, int box) {
    for (qsizetype i = 0; i < ascending.size(); ++i)
        if (std::max(ascending[i].width(), ascending[i].height()) >= box)
            return i;
    return ascending.size() - 1;
}

Thumbnail DecodeThumbnail(int fd, const std::string& path, ImageKind kind, int box) {
    if (kind == ImageKind::Raw) {
        Thumbnail preview = DecodeRawPreview(path, box);
        if (!preview.picture.isNull())
            return preview;
        // Without a preview an image plugin may still read the file itself.
    }
    return kind == ImageKind::None ? Thumbnail{} : DecodePicture(fd, box);
}

QSize ImagePixelSize(int fd, const std::string& path, ImageKind kind) {
    if (kind == ImageKind::Raw) {
        try {
            if (const QSize size = RawPixelSize(*OpenRaw(path)); size.isValid())
                return size;
        } catch (const std::exception&) {
        }
    }
    FdFile file(fd);
    if (!file.device())
        return {};
    QImageReader reader(file.device());
    reader.setAutoTransform(true);
    const QSize stored = reader.size();
    return stored.isValid()
               ? Upright(stored, reader.transformation() & QImageIOHandler::TransformationRotate90)
               : QSize();
}

} // namespace quorvel
