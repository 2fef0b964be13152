#pragma once

#include <QImage>
#include <QSize>

namespace quorvel {

// The tooltip's picture fits in a square of this many pixels, the size of the shared cache's
// "large" entries.
inline constexpr int kThumbnailBox = 256;

// A picture of an image file, upright, and the image's own pixel size seen the same way
// (invalid when unknown). A null picture: nothing to show.
struct Thumbnail {
    QImage picture;
    QSize pixelSize;
};

} // namespace quorvel
