#include "app/HeapTrim.h"

#include <malloc.h>

namespace quorvel {

void LimitRetainedHeap() {
    // Setting the bound also fixes the size from which blocks get their own mapping at the
    // default 128 KiB, so a freed large block always goes back at once.
    mallopt(M_TRIM_THRESHOLD, 128 * 1024);
}

} // namespace quorvel
