// quorvel-bench: how fast the window lists, sorts, moves, selects, previews and renames a large
// folder, reads its photos' capture times and sorts by them, and how much memory its rows take,
// each time compared with a floor measured in the same run on the same machine. Exits non-zero
// when a case misses its mark.
//
//   quorvel-bench [case ...]    no case named: every case

#include "BenchData.h"
#include "BenchWindow.h"
#include "CaptureCases.h"
#include "CardCases.h"
#include "Cases.h"
#include "Measure.h"
#include "ProgressCases.h"
#include "ThumbnailCases.h"

#include "app/HeapTrim.h"
#include "res/resource.h"

#include <QApplication>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <optional>

using namespace quorvel::bench;

namespace {

constexpr std::size_t kPhotoFiles = 100000;
constexpr std::size_t kJapaneseFiles = 1000;
constexpr std::size_t kRenameFiles = 10000;
constexpr int kRepetitions = 5;

constexpr double kListMark = 1.3;
constexpr double kSortMark = 0.5;
constexpr long kRowBytesMark = 160;
constexpr double kRenameMark = 1.15;
constexpr double kPreviewMark = 0.25;
constexpr double kClickMark = 0.1;
constexpr std::size_t kCaptureFiles = 10000;
constexpr std::size_t kStallFiles = 100000;
constexpr double kCaptureMark = 0.65; // wall clock, two cores
constexpr double kCaptureSortMark = 0.05;
constexpr double kStallMarkMs = 100;
constexpr long kCaptureRowBytesMark = kRowBytesMark + 16;
constexpr double kDropMark = 0.02;
constexpr double kThumbnailMark = 0.25;
constexpr double kCachedThumbnailMs = 5;

// Long work: slow file systems, a million rows, what the progress window costs.
constexpr std::size_t kSlowListFiles = 10000;
constexpr int kSlowCallUs = 1000;
constexpr double kSlowListMark = 0.2;
constexpr std::size_t kPeakFiles = 1000000;
constexpr double kPeakMark = 1.4;
constexpr std::size_t kProgressRenameFiles = 100000;
// A rename each 30 µs: 3 s for the batch's renames.
constexpr int kProgressRenameUs = 30;
constexpr int kProgressRepetitions = 3;
constexpr double kProgressMark = 1.03;
// A memory card: case-only renames against renames to new names, 5,000 files; the note also
// gives a hundred photos' card and a full camera folder.
constexpr std::size_t kCardFiles = 5000;
constexpr std::size_t kCardNoteFiles[] = {1000, 9999};
constexpr double kCardMark = 1.5;

template <typename... Values> std::string Figure(const char* format, Values... values) {
    char text[160];
    std::snprintf(text, sizeof text, format, values...);
    return text;
}

struct Case {
    const char* name;
    std::function<void(const char* name, Report&)> run;
};

} // namespace

int main(int argc, char* argv[]) {
    // As the program itself does.
    quorvel::LimitRetainedHeap();
    // The window is shown, but never on anyone's screen.
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);

    const ScratchFolder scratch;
    if (!scratch.ok()) {
        std::perror("quorvel-bench: cannot make a temporary folder");
        return 2;
    }
    // Thumbnails go into a cache of the run's own, never the user's.
    setenv("XDG_CACHE_HOME", (scratch.path() + "/cache").c_str(), 1);
    // The undo journals too.
    setenv("XDG_STATE_HOME", (scratch.path() + "/state").c_str(), 1);
    std::vector<std::string> names = PhotoNames(kPhotoFiles, 6);
    Workload w{scratch.path(),
               scratch.path() + "/Qorv.ini",
               scratch.path() + "/photos",
               kPhotoFiles + kJapaneseFiles,
               names,
               kRepetitions};
    Best listingFloor;
    const std::string captures = scratch.path() + "/captures";
    const std::string manyCaptures = scratch.path() + "/captures-100k";
    const std::vector<std::string> captureNames = PhotoNames(kCaptureFiles, 5);
    std::optional<CaptureTimings> capture; // of capture-10k, for capture-sort-10k
    const auto captureTimings = [&]() -> const CaptureTimings& {
        if (!capture)
            capture = CaptureCase(w, captures, captureNames);
        return *capture;
    };

    // In this order: rows-memory first, while the heap holds nothing of earlier cases.
    const Case cases[] = {
        {"rows-memory",
         [&](const char* name, Report& r) { r.bytes(name, RowsMemoryBytes(w), kRowBytesMark); }},
        {"rows-memory-capture",
         [&](const char* name, Report& r) {
             r.bytes(name, CaptureRowsMemoryBytes(w), kCaptureRowBytesMark);
         }},
        {"list-100k", [&](const char* name,
                          Report& r) { r.ratio(name, ListCaseTime(w), listingFloor, kListMark); }},
        {"sort-name-100k",
         [&](const char* name, Report& r) {
             r.ratio(name, SortCaseTime(w, 0), listingFloor, kSortMark);
         }},
        {"sort-time-100k",
         [&](const char* name, Report& r) {
             r.ratio(name, SortCaseTime(w, 1), listingFloor, kSortMark);
         }},
        {"rename-10k",
         [&](const char* name, Report& r) {
             const Timing t = RenameCase(w, kRenameFiles);
             r.ratio(name, t.caseTime, t.floorTime, kRenameMark);
         }},
        {"preview-10k",
         [&](const char* name, Report& r) {
             const Timing t = PreviewCase(w, kRenameFiles);
             r.ratio(name, t.caseTime, t.floorTime, kPreviewMark);
         }},
        {"move-up-100k",
         [&](const char* name, Report& r) {
             r.ratio(name, MoveCaseTime(w, quorvel::IDC_UP), listingFloor, kClickMark);
         }},
        {"move-down-100k",
         [&](const char* name, Report& r) {
             r.ratio(name, MoveCaseTime(w, quorvel::IDC_DOWN), listingFloor, kClickMark);
         }},
        {"drop-100k", [&](const char* name,
                          Report& r) { r.ratio(name, DropCaseTime(w), listingFloor, kDropMark); }},
        {"thumbnail-jpeg",
         [&](const char* name, Report& r) {
             const Timing t = ThumbnailDecodeCase(w);
             r.ratio(name, t.caseTime, t.floorTime, kThumbnailMark);
         }},
        {"thumbnail-cached",
         [&](const char* name, Report& r) {
             r.time(name, CachedThumbnailCase(w), kCachedThumbnailMs);
         }},
        {"select-all-100k",
         [&](const char* name, Report& r) {
             r.ratio(name, SelectAllCaseTime(w), listingFloor, kClickMark);
         }},
        {"capture-10k",
         [&](const char* name, Report& r) {
             const CaptureTimings& t = captureTimings();
             r.ratio(name, t.readTime, t.floorTime, kCaptureMark, Clock::Wall);
         }},
        {"capture-sort-10k",
         [&](const char* name, Report& r) {
             const CaptureTimings& t = captureTimings();
             r.ratio(name, t.sortTime, t.floorTime, kCaptureSortMark);
         }},
        {"capture-stall-100k",
         [&](const char* name, Report& r) {
             r.stall(name, CaptureStallMs(w, manyCaptures, kStallFiles), kStallMarkMs);
         }},
        // Long work.
        {"list-slow-10k",
         [&](const char* name, Report& r) {
             const WallTiming t = SlowListingCase(w, kSlowListFiles, kSlowCallUs);
             r.measured(name, Figure("case=%.0fms floor=%.0fms (wall clock)", t.caseMs, t.floorMs),
                        t.caseMs / t.floorMs, kSlowListMark);
         }},
        {"list-1m-peak",
         [&](const char* name, Report& r) {
             const PeakMemory m = ListPeakMemory(w, kPeakFiles);
             std::fprintf(stderr, "# %s listed in %.1fs\n", name, m.listMs / 1000);
             r.measured(name,
                        Figure("peak=%.1fMB rows=%.1fMB", m.peakBytes / 1e6, m.rowsBytes / 1e6),
                        double(m.peakBytes) / double(m.rowsBytes), kPeakMark);
         }},
        {"rename-100k-progress",
         [&](const char* name, Report& r) {
             const ProgressTiming t = ProgressRenameCase(w, kProgressRenameFiles, kProgressRenameUs,
                                                         kProgressRepetitions);
             std::fprintf(stderr,
                          "# %s: longest event-loop stall %.1fms with the progress window, "
                          "%.1fms without; processor %.0fms against %.0fms\n",
                          name, t.caseStallMs, t.floorStallMs, t.cpu.caseMs, t.cpu.floorMs);
             r.measured(name,
                        Figure("case=%.0fms floor=%.0fms (wall clock) stall=%.0fms", t.wall.caseMs,
                               t.wall.floorMs, t.caseStallMs),
                        t.wall.caseMs / t.wall.floorMs, kProgressMark);
         }},
        {"rename-case-only-5k",
         [&](const char* name, Report& r) {
             CardTiming t{};
             std::string skipped;
             if (!CardRenameCase(kCardFiles, t, skipped)) {
                 std::printf("%s: skipped, %s\n", name, skipped.c_str());
                 return;
             }
             r.measured(
                 name,
                 Figure("case=%.0fms floor=%.0fms (wall clock, exFAT)", t.caseOnlyMs, t.newNamesMs),
                 t.caseOnlyMs / t.newNamesMs, kCardMark);
             for (const std::size_t files : kCardNoteFiles)
                 if (CardRenameCase(files, t, skipped))
                     std::fprintf(stderr,
                                  "# %s at %zu files: case=%.0fms floor=%.0fms ratio=%.2f\n", name,
                                  files, t.caseOnlyMs, t.newNamesMs, t.caseOnlyMs / t.newNamesMs);
         }},
    };
    const std::vector<std::string> wanted(argv + 1, argv + argc);
    for (const std::string& name : wanted) {
        if (std::ranges::none_of(cases, [&](const Case& c) { return name == c.name; })) {
            std::fprintf(stderr, "quorvel-bench: no case %s; the cases:", name.c_str());
            for (const Case& c : cases)
                std::fprintf(stderr, " %s", c.name);
            std::fprintf(stderr, "\n");
            return 2;
        }
    }

    const std::vector<std::string> japanese = JapaneseNames(kJapaneseFiles);
    names.insert(names.end(), japanese.begin(), japanese.end());
    std::string error;
    const double makeMs = MillisecondsOf([&] { error = MakeFolderOfFiles(w.photos, names); });
    if (!error.empty()) {
        std::fprintf(stderr, "quorvel-bench: %s\n", error.c_str());
        return 2;
    }
    std::fprintf(stderr, "# made %zu files in %s in %.1fs\n", names.size(), w.photos.c_str(),
                 makeMs / 1000);
    const std::string startFolder = scratch.path() + "/start";
    if (error = MakeFolderOfFiles(startFolder, {}); !error.empty()) {
        std::fprintf(stderr, "quorvel-bench: %s\n", error.c_str());
        return 2;
    }
    const double photosMs = MillisecondsOf([&] {
        error = MakeFolderOfPhotos(captures, captureNames);
        // The large folder's photos: ten names for each of the small one's files.
        std::vector<std::string> sources;
        for (std::size_t i = 0; i < kStallFiles; ++i)
            sources.push_back(captureNames[i % kCaptureFiles]);
        if (error.empty())
            error = LinkFolderOfFiles(manyCaptures, captures, sources, PhotoNames(kStallFiles, 6));
    });
    if (!error.empty()) {
        std::fprintf(stderr, "quorvel-bench: %s\n", error.c_str());
        return 2;
    }
    std::fprintf(stderr, "# made %zu photos and %zu names for them in %.1fs\n", kCaptureFiles,
                 kStallFiles, photosMs / 1000);
    WriteStartSettings(w.iniPath, startFolder);
    std::fprintf(stderr, "# load average before: %s\n", LoadAverage().c_str());

    try {
        ListingFloorTime(w); // warms the caches the timed runs then find warm
        listingFloor = ListingFloorTime(w);
    } catch (const CaseFailure& failure) {
        std::fprintf(stderr, "quorvel-bench: listing floor: %s\n", failure.what());
        return 2;
    }

    Report report;
    for (const Case& c : cases) {
        if (!wanted.empty() && std::ranges::find(wanted, c.name) == wanted.end())
            continue;
        const ProgressWindowsShown progressWindows;
        const double ms = MillisecondsOf([&] {
            try {
                c.run(c.name, report);
            } catch (const CaseFailure& failure) {
                // A case that cannot be measured misses its mark like a slow one.
                report.failed(c.name, failure.what());
            }
        });
        std::fprintf(stderr, "# %s took %.1fs in all; progress windows shown: %d\n", c.name,
                     ms / 1000, progressWindows.count());
    }
    std::fprintf(stderr, "# load average after: %s\n", LoadAverage().c_str());
    return report.allMet() ? 0 : 1;
}
