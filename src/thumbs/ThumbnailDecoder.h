#pragma once

#include "thumbs/Thumbnail.h"
#include "thumbs/ThumbnailPaths.h"

#include <QList>

#include <string>

namespace quorvel {

// Decodes the image open as fd (its path for the libraries that open files themselves) at the
// size of the box rather than in full, upright as its Exif orientation says. A raw file gives
// its embedded preview. Never throws; a null picture when nothing could read it.
Thumbnail DecodeThumbnail(int fd, const std::string& path, ImageKind kind, int box);

// Of a raw file's embedded previews, smallest first, the one to decode: the smallest that fills
// the box in one direction, else the largest.
qsizetype ChoosePreview(const QList<QSize>& ascending, int box);

// The image's upright pixel size from its header alone; invalid when it cannot be read.
QSize ImagePixelSize(int fd, const std::string& path, ImageKind kind);

} // namespace quorvel
