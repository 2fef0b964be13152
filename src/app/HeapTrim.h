#pragma once

namespace quorvel {

// Has freed memory given back to the system once more than 128 KiB of it lies at the top of a
// heap, for every thread's heap alike. By default the allocator raises that bound, up to 64 MiB,
// after each large block it frees, and only the main thread's heap is ever trimmed past it; a
// large listing, whose rows are built on worker threads, would then keep tens of megabytes of
// freed memory resident for good. Call once, at start-up, before any thread is started.
void LimitRetainedHeap();

} // namespace quorvel
