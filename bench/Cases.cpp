#include "Cases.h"

#include "BenchData.h"
#include "BenchWindow.h"
#include "Floors.h"
#include "Measure.h"

#include "res/resource.h"

#include <algorithm>
#include <cstdio>
#include <numeric>
#include <utility>

namespace quorvel::bench {

namespace {

void Expect(bool condition, const std::string& what) {
    if (!condition)
        throw CaseFailure(what);
}

void ExpectNoBox(const BenchWindow& window) {
    Expect(window.boxes.shown.empty(),
           window.boxes.shown.empty() ? std::string() : "a box: " + window.boxes.shown.front());
}

void ExpectListed(BenchWindow& window, std::size_t rows) {
    ExpectNoBox(window);
    Expect(window.dlg().m_bListValid == 1, "the folder was not listed");
    Expect(std::size_t(window.list().GetItemCount()) == rows,
           "listed " + std::to_string(window.list().GetItemCount()) + " rows, expected " +
               std::to_string(rows));
}

std::vector<std::string> Column(BenchWindow& window, int column) {
    std::vector<std::string> texts;
    for (int r = 0; r < window.list().GetItemCount(); ++r)
        texts.push_back(window.list().GetItemText(r, column));
    return texts;
}

std::vector<int> SelectedRows(BenchWindow& window) {
    std::vector<int> rows;
    for (int r = window.list().GetNextItem(-1, LVNI_SELECTED); r != -1;
         r = window.list().GetNextItem(r, LVNI_SELECTED))
        rows.push_back(r);
    return rows;
}

// Where each selected row should stand after one move when no two selected rows are neighbours:
// each swaps with its neighbour, except one already at the edge, which stays.
std::vector<int> ExpectedAfterMove(const std::vector<int>& selected, int rowCount, bool up) {
    std::vector<int> expected;
    for (int r : selected) {
        if (up)
            expected.push_back(r == 0 ? 0 : r - 1);
        else
            expected.push_back(r == rowCount - 1 ? r : r + 1);
    }
    return expected;
}

// The files of a rename case: the first of the large folder under fresh names, and the names
// they get.
struct RenameWork {
    std::vector<std::string> sources;
    std::vector<std::string> oldNames;
    std::vector<std::string> newNames;
    std::vector<std::pair<std::string, std::string>> renames;
};

RenameWork MakeRenameWork(const Workload& w, std::size_t files) {
    Expect(files <= w.photoNames.size(), "too few files to rename");
    RenameWork work{{w.photoNames.begin(), w.photoNames.begin() + std::ptrdiff_t(files)},
                    PhotoNames(files, 5),
                    {},
                    {}};
    for (std::size_t i = 0; i < files; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "trip_%05zu.jpg", i + 1);
        work.newNames.push_back(name);
        work.renames.emplace_back(work.oldNames[i], name);
    }
    return work;
}

// The floor of RenameCase on its own: the renames as bare renameat2 calls in a fresh folder, then
// its listing floor. The folder is removed afterwards.
Sample RenameFloorSample(const Workload& w, const RenameWork& work, const std::string& folder) {
    const std::string error = LinkFolderOfFiles(folder, w.photos, work.sources, work.oldNames);
    Expect(error.empty(), error);
    std::size_t renamed = 0;
    std::vector<FloorEntry> listed;
    const Sample sample = TimeOf([&] {
        renamed = RenameFloor(folder, work.renames);
        listed = ListingFloor(folder);
    });
    Expect(renamed == work.renames.size() && listed.size() == work.renames.size(),
           "the floor's renames failed");
    RemoveTree(folder);
    return sample;
}

// The window listing `folder` with every row selected and the rename case's texts typed.
void PrepareRename(BenchWindow& window, const std::string& folder, std::size_t files) {
    window.ListFolder(folder);
    window.list().SetItemState(-1, LVIS_SELECTED, LVIS_SELECTED);
    window.dlg().m_strPrefix = "trip_";
    window.dlg().m_strStartNumber = "00001";
    window.dlg().m_bLowerExt = 1;
    window.dlg().UpdateData(false);
    window.Settle();
    ExpectListed(window, files);
}

} // namespace

Best ListingFloorTime(const Workload& w) {
    Best best;
    for (int rep = 0; rep < w.repetitions; ++rep) {
        std::vector<FloorEntry> entries;
        best.add(TimeOf([&] { entries = ListingFloor(w.photos); }));
        Expect(entries.size() == w.photoCount,
               "the floor listed " + std::to_string(entries.size()) + " files");
    }
    return best;
}

Best ListCaseTime(const Workload& w) {
    Best best;
    for (int rep = 0; rep < w.repetitions; ++rep) {
        BenchWindow window(w.iniPath);
        window.PointAt(w.photos);
        best.add(TimeOf([&] {
            window.dlg().ListFolder(w.photos, 1, 1);
            window.Settle();
        }));
        ExpectListed(window, w.photoCount);
    }
    return best;
}

Best SortCaseTime(const Workload& w, int column) {
    Best best;
    BenchWindow window(w.iniPath);
    for (int rep = 0; rep < w.repetitions; ++rep) {
        window.ListFolder(w.photos);
        window.Settle();
        ExpectListed(window, w.photoCount);
        const std::vector<std::string> before = Column(window, column);
        Expect(column == 0 || !std::is_sorted(before.begin(), before.end()),
               "the times are already in order: the click would have nothing to do");
        best.add(TimeOf([&] {
            window.ClickColumn(column);
            window.Settle();
        }));
        ExpectListed(window, w.photoCount);
        // The first click after a listing: names turn to descending, times to ascending, and
        // the time texts order as their times do.
        std::vector<std::string> after = Column(window, column);
        if (column == 1) {
            Expect(std::is_sorted(after.begin(), after.end()), "times not ascending");
        } else {
            std::reverse(after.begin(), after.end());
            Expect(after == before, "names not reversed");
        }
    }
    return best;
}

long RowsMemoryBytes(const Workload& w) {
    long best = -1;
    for (int rep = 0; rep < w.repetitions; ++rep) {
        BenchWindow window(w.iniPath);
        const long before = ResidentBytes();
        window.ListFolder(w.photos);
        window.Settle();
        const long after = ResidentBytes();
        ExpectListed(window, w.photoCount);
        Expect(before > 0 && after > 0, "no /proc/self/statm");
        const long perRow = (after - before) / long(w.photoCount);
        best = best < 0 ? perRow : std::min(best, perRow);
    }
    return best;
}

Best MoveCaseTime(const Workload& w, int buttonId) {
    Best best;
    BenchWindow window(w.iniPath);
    window.ListFolder(w.photos);
    window.Settle();
    ExpectListed(window, w.photoCount);
    const int rowCount = window.list().GetItemCount();
    for (int rep = 0; rep < w.repetitions; ++rep) {
        window.SelectEveryOtherRow();
        const std::vector<int> selected = SelectedRows(window);
        std::vector<std::string> selectedNames;
        for (int r : selected)
            selectedNames.push_back(window.list().GetItemText(r, 0));
        best.add(TimeOf([&] {
            window.ClickButton(buttonId);
            window.Settle();
        }));
        ExpectListed(window, w.photoCount);
        const std::vector<int> moved = SelectedRows(window);
        Expect(moved == ExpectedAfterMove(selected, rowCount, buttonId == IDC_UP),
               "the selection did not move one place");
        for (std::size_t i = 0; i < moved.size(); ++i)
            Expect(window.list().GetItemText(moved[i], 0) == selectedNames[i],
                   "a selected row did not move with its selection");
    }
    return best;
}

Best DropCaseTime(const Workload& w) {
    Best best;
    BenchWindow window(w.iniPath);
    for (int rep = 0; rep < w.repetitions; ++rep) {
        window.ListFolder(w.photos);
        window.SelectEveryOtherRow();
        ExpectListed(window, w.photoCount);
        const std::vector<int> selected = SelectedRows(window);
        std::vector<std::string> selectedNames;
        for (int r : selected)
            selectedNames.push_back(window.list().GetItemText(r, 0));
        best.add(TimeOf([&] {
            window.DropSelectedRows(0);
            window.Settle();
        }));
        ExpectListed(window, w.photoCount);
        std::vector<int> top(selected.size());
        std::iota(top.begin(), top.end(), 0);
        Expect(SelectedRows(window) == top, "the selection is not at the top");
        for (std::size_t i = 0; i < selected.size(); ++i)
            Expect(window.list().GetItemText(int(i), 0) == selectedNames[i],
                   "the dropped rows are not in their order");
    }
    return best;
}

Best SelectAllCaseTime(const Workload& w) {
    Best best;
    BenchWindow window(w.iniPath);
    window.ListFolder(w.photos);
    window.Settle();
    ExpectListed(window, w.photoCount);
    for (int rep = 0; rep < w.repetitions; ++rep) {
        window.SelectNoRow();
        best.add(TimeOf([&] {
            window.ClickButton(IDC_SELECTALL);
            window.Settle();
        }));
        ExpectNoBox(window);
        Expect(std::size_t(window.list().GetSelectedCount()) == w.photoCount,
               "not every row selected");
    }
    return best;
}

Timing RenameCase(const Workload& w, std::size_t files) {
    const RenameWork work = MakeRenameWork(w, files);
    Best caseBest;
    Best floorBest;
    BenchWindow window(w.iniPath);
    for (int rep = 0; rep < w.repetitions; ++rep) {
        // Fresh folders every time: nothing the benchmark renames could ever be a file of
        // anyone else, and no rename can meet a name left from an earlier run.
        const std::string floorFolder = w.root + "/rename-floor-" + std::to_string(rep);
        const std::string caseFolder = w.root + "/rename-case-" + std::to_string(rep);
        for (const std::string* folder : {&floorFolder, &caseFolder}) {
            const std::string error =
                LinkFolderOfFiles(*folder, w.photos, work.sources, work.oldNames);
            Expect(error.empty(), error);
        }

        std::size_t renamed = 0;
        std::vector<FloorEntry> listed;
        floorBest.add(TimeOf([&] {
            renamed = RenameFloor(floorFolder, work.renames);
            listed = ListingFloor(floorFolder);
        }));
        Expect(renamed == files && listed.size() == files, "the floor's renames failed");

        PrepareRename(window, caseFolder, files);
        caseBest.add(TimeOf([&] {
            window.ClickButton(IDC_START);
            window.Settle();
        }));
        Expect(window.boxes.shown.size() == 1,
               "a box beside the confirmation: " + window.boxes.shown.back());
        window.boxes.shown.clear();
        ExpectListed(window, files);
        Expect(Column(window, 0) == work.newNames, "the list does not show the new names in order");
        Expect(CountPresent(caseFolder, work.newNames) == files, "not every file renamed");

        RemoveTree(floorFolder);
        RemoveTree(caseFolder);
    }
    return Timing{caseBest, floorBest};
}

Timing PreviewCase(const Workload& w, std::size_t files) {
    const RenameWork work = MakeRenameWork(w, files);
    const std::string lastLine = work.oldNames.back() + " → " + work.newNames.back() + "\n";
    Best caseBest;
    Best floorBest;
    BenchWindow window(w.iniPath);
    window.boxes.answer = IDCANCEL;
    for (int rep = 0; rep < w.repetitions; ++rep) {
        floorBest.add(RenameFloorSample(w, work, w.root + "/preview-floor-" + std::to_string(rep)));
        // A fresh folder every time, as the rename case has: none of the new names has been
        // looked up before.
        const std::string caseFolder = w.root + "/preview-case-" + std::to_string(rep);
        const std::string error =
            LinkFolderOfFiles(caseFolder, w.photos, work.sources, work.oldNames);
        Expect(error.empty(), error);
        PrepareRename(window, caseFolder, files);
        window.boxes.lastDetails.clear();
        caseBest.add(TimeOf([&] {
            window.ClickButton(IDC_START);
            window.Settle();
        }));
        Expect(window.boxes.shown.size() == 1, "not one confirmation");
        window.boxes.shown.clear();
        // One line per row and no problem after them: the last line is the last row's.
        const std::string& details = window.boxes.lastDetails;
        Expect(std::size_t(std::count(details.begin(), details.end(), '\n')) == files &&
                   details.ends_with(lastLine),
               "the preview does not list every row");
        Expect(std::size_t(window.list().GetSelectedCount()) == files,
               "cancelling changed the selection");
        Expect(CountPresent(caseFolder, work.oldNames) == files, "the preview renamed a file");
        RemoveTree(caseFolder);
    }
    return Timing{caseBest, floorBest};
}

} // namespace quorvel::bench
