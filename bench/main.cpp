// quorvel-bench: how fast the window lists, sorts, moves, selects, previews and renames a large
// folder, and how much memory its rows take, each time compared with a floor measured in the same
// run on the same machine. Exits non-zero when a case misses its mark.
//
//   quorvel-bench [case ...]    no case named: every case

#include "BenchData.h"
#include "BenchWindow.h"
#include "Cases.h"
#include "Measure.h"

#include "res/resource.h"

#include <QApplication>

#include <algorithm>
#include <cstdio>
#include <functional>

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

struct Case {
    const char* name;
    std::function<void(const char* name, Report&)> run;
};

} // namespace

int main(int argc, char* argv[]) {
    // The window is shown, but never on anyone's screen.
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);

    const ScratchFolder scratch;
    if (!scratch.ok()) {
        std::perror("quorvel-bench: cannot make a temporary folder");
        return 2;
    }
    std::vector<std::string> names = PhotoNames(kPhotoFiles, 6);
    Workload w{scratch.path(),
               scratch.path() + "/Qorv.ini",
               scratch.path() + "/photos",
               kPhotoFiles + kJapaneseFiles,
               names,
               kRepetitions};
    Best listingFloor;

    // In this order: rows-memory first, while the heap holds nothing of earlier cases.
    const Case cases[] = {
        {"rows-memory",
         [&](const char* name, Report& r) { r.bytes(name, RowsMemoryBytes(w), kRowBytesMark); }},
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
        {"select-all-100k",
         [&](const char* name, Report& r) {
             r.ratio(name, SelectAllCaseTime(w), listingFloor, kClickMark);
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
        const double ms = MillisecondsOf([&] {
            try {
                c.run(c.name, report);
            } catch (const CaseFailure& failure) {
                // A case that cannot be measured misses its mark like a slow one.
                report.failed(c.name, failure.what());
            }
        });
        std::fprintf(stderr, "# %s took %.1fs in all\n", c.name, ms / 1000);
    }
    std::fprintf(stderr, "# load average after: %s\n", LoadAverage().c_str());
    return report.allMet() ? 0 : 1;
}
