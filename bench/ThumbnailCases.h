#pragma once

#include "Cases.h"

namespace quorvel::bench {

// A 6000 x 4000 JPEG made once per run: the tooltip's 256 px picture decoded from it, against
// a full decode of the same file.
Timing ThumbnailDecodeCase(const Workload& w);
// The same JPEG listed in a window whose shared cache already holds its entry: from the
// pointer's rest on its row until the tooltip shows the picture.
Best CachedThumbnailCase(const Workload& w);

} // namespace quorvel::bench
