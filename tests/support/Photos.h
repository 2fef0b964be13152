#pragma once

#include <QImage>
#include <QMap>
#include <QString>

#include <exiv2/exiv2.hpp>

namespace quorvel::test {

// Exiv2 keys and their values: "Exif.Photo.DateTimeOriginal" → "2021:03:01 10:00:00",
// "Xmp.exif.DateTimeOriginal" → "2021-03-01T10:00:00+09:00".
using PhotoTags = QMap<QString, QString>;

// A small picture as Qt writes it in `format` ("JPG", "PNG", "TIFF", "WEBP"), then tagged by
// Exiv2 as a camera or a photo tool would have left it.
inline bool WritePhoto(const QString& path, const PhotoTags& tags = {},
                       const char* format = "JPG") {
    QImage image(16, 12, QImage::Format_RGB32);
    image.fill(Qt::darkCyan);
    if (!image.save(path, format))
        return false;
    if (tags.isEmpty())
        return true;
    try {
        const Exiv2::Image::AutoPtr photo = Exiv2::ImageFactory::open(path.toStdString());
        photo->readMetadata();
        for (auto it = tags.begin(); it != tags.end(); ++it) {
            const std::string key = it.key().toStdString(), value = it.value().toStdString();
            if (it.key().startsWith("Xmp."))
                photo->xmpData()[key] = value;
            else
                photo->exifData()[key] = value;
        }
        photo->writeMetadata();
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

} // namespace quorvel::test
