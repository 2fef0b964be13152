#pragma once

#include "Cases.h"

#include <QObject>

#include <cstddef>

namespace quorvel::bench {

// Counts the progress windows that open while it exists: on a local disk, none should.
class ProgressWindowsShown : public QObject {
public:
    ProgressWindowsShown();
    ~ProgressWindowsShown() override;
    int count() const { return m_count; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    int m_count = 0;
};

// Listing a folder of `files` hard links into a fresh window: the peak of resident memory over
// the memory before, and what the finished rows occupy (their array and the heap blocks of their
// texts, counted block by block, so the figure does not depend on what the heap keeps).
struct PeakMemory {
    long peakBytes;
    long rowsBytes;
    double listMs;
};
PeakMemory ListPeakMemory(const Workload& w, std::size_t files);

// Wall-clock milliseconds of a case and its floor: work that waits on a slow file system, where
// the processor's clock says nothing.
struct WallTiming {
    double caseMs;
    double floorMs;
};

// Listing `files` files into a window whose every metadata call takes `delayUs` longer, against
// the same calls made one at a time in a plain loop.
WallTiming SlowListingCase(const Workload& w, std::size_t files, int delayUs);

// Renaming `files` files through a window whose renames go at one per `periodUs`, as over a
// share, once with the progress window and its worker thread and once with the work run on the
// spot, as without them; the best of `repetitions` each, on both clocks. Also the longest time
// the event loop went without turning during each (a 10 ms timer cannot fire while the thread is
// busy).
struct ProgressTiming {
    WallTiming wall;
    WallTiming cpu;
    double caseStallMs;
    double floorStallMs;
};
ProgressTiming ProgressRenameCase(const Workload& w, std::size_t files, int periodUs,
                                  int repetitions);

} // namespace quorvel::bench
