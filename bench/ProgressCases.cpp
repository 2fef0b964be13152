#include "ProgressCases.h"

#include "BenchData.h"
#include "BenchWindow.h"
#include "Measure.h"

#include "fs/FileSearch.h"
#include "fs/SafeRename.h"
#include "platform/ProgressWindow.h"
#include "res/resource.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <fstream>
#include <limits>
#include <thread>

#include <dirent.h>
#include <fcntl.h>
#include <malloc.h>
#include <sys/prctl.h>
#include <unistd.h>

namespace quorvel::bench {

namespace {

void Expect(bool condition, const std::string& what) {
    if (!condition)
        throw CaseFailure(what);
}

// A share whose every metadata call waits for its round trip: the calling thread sleeps.
class SlowSearch : public SearchSystem {
public:
    explicit SlowSearch(int delayUs) : m_delayUs(delayUs) {}
    int Fstatat(int dirfd, const char* name, struct stat* st, int flags) override {
        std::this_thread::sleep_for(std::chrono::microseconds(m_delayUs));
        return SearchSystem::Fstatat(dirfd, name, st, flags);
    }

private:
    int m_delayUs;
};

// A share that takes `periodUs` per rename, however late the caller's thread wakes: call k ends
// no sooner than k periods after the first began, and a late wake-up is made up by the next calls.
// A batch then takes the same time on a busy machine as on an idle one, unless the work around
// the calls falls behind.
class PacedRename : public RenameSystem {
public:
    explicit PacedRename(int periodUs) : m_period(std::chrono::microseconds(periodUs)) {}
    int Renameat2NoReplace(int dirfd, const char* from, const char* to) override {
        const auto now = std::chrono::steady_clock::now();
        if (m_next == std::chrono::steady_clock::time_point())
            m_next = now;
        m_next += m_period;
        if (m_next > now) {
            // The timer slack a thread gets by default, 50 µs, would dwarf a period of 30.
            thread_local const bool tight = prctl(PR_SET_TIMERSLACK, 1000UL) == 0;
            (void)tight;
            std::this_thread::sleep_until(m_next);
        }
        return RenameSystem::Renameat2NoReplace(dirfd, from, to);
    }

private:
    const std::chrono::steady_clock::duration m_period;
    std::chrono::steady_clock::time_point m_next{};
};

// Long work as it was before there was a progress window: run on the spot, on this thread.
class RunOnTheSpot : public IProgressWindow {
public:
    void Run(QWidget*, const ProgressView&, WorkProgress&,
             const std::function<void()>& work) override {
        work();
    }
};

// The names of `files` links to the large folder's files, each source used in turn.
void LinkFiles(const Workload& w, const std::string& folder,
               const std::vector<std::string>& names) {
    std::vector<std::string> sources;
    sources.reserve(names.size());
    for (std::size_t i = 0; i < names.size(); ++i)
        sources.push_back(w.photoNames[i % w.photoNames.size()]);
    const std::string error = LinkFolderOfFiles(folder, w.photos, sources, names);
    Expect(error.empty(), error);
}

long PeakResidentBytes() {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.starts_with("VmHWM:"))
            return std::stol(line.substr(6)) * 1024;
    return -1;
}

// The heap block of a string's text, header included; none for a text kept inside the object.
long HeapBytes(const std::string& text) {
    const bool inside = text.data() >= reinterpret_cast<const char*>(&text) &&
                        text.data() < reinterpret_cast<const char*>(&text + 1);
    return inside ? 0 : long(malloc_usable_size(const_cast<char*>(text.data())) + sizeof(size_t));
}

// The listing floor through a slow metadata call, one call after the other.
std::size_t SlowListingFloor(const std::string& folder, SearchSystem& search) {
    DIR* dir = opendir(folder.c_str());
    if (dir == nullptr)
        return 0;
    std::size_t listed = 0;
    while (const dirent* entry = readdir(dir)) {
        struct stat info;
        if (entry->d_type == DT_DIR ||
            search.Fstatat(dirfd(dir), entry->d_name, &info, AT_SYMLINK_NOFOLLOW) != 0)
            continue;
        std::tm fields{};
        char text[32];
        localtime_r(&info.st_mtim.tv_sec, &fields);
        listed += std::strftime(text, sizeof text, "%Y/%m/%d  %H:%M", &fields) > 0;
    }
    closedir(dir);
    return listed;
}

// The longest gap between turns of the event loop while `run` runs.
double LongestStallMs(const std::function<void()>& run) {
    QElapsedTimer clock;
    qint64 last = 0;
    qint64 longest = 0;
    QTimer tick;
    tick.setTimerType(Qt::PreciseTimer);
    QObject::connect(&tick, &QTimer::timeout, &tick, [&] {
        longest = std::max(longest, clock.nsecsElapsed() - last);
        last = clock.nsecsElapsed();
    });
    tick.start(10);
    clock.start();
    run();
    longest = std::max(longest, clock.nsecsElapsed() - last);
    return double(longest) / 1e6;
}

} // namespace

ProgressWindowsShown::ProgressWindowsShown() {
    QCoreApplication::instance()->installEventFilter(this);
}

ProgressWindowsShown::~ProgressWindowsShown() {
    QCoreApplication::instance()->removeEventFilter(this);
}

bool ProgressWindowsShown::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Show && watched->objectName() == "progress")
        ++m_count;
    return false;
}

PeakMemory ListPeakMemory(const Workload& w, std::size_t files) {
    const std::string folder = w.root + "/list-1m";
    LinkFiles(w, folder, PhotoNames(files, 7));
    PeakMemory result{};
    {
        BenchWindow window(w.iniPath);
        const long before = ResidentBytes();
        std::ofstream("/proc/self/clear_refs") << "5"; // the peak starts again from here
        result.listMs = MillisecondsOf([&] {
            window.ListFolder(folder);
            window.Settle();
        });
        result.peakBytes = PeakResidentBytes() - before;
        Expect(std::size_t(window.list().GetItemCount()) == files && window.boxes.shown.empty(),
               "the folder was not listed");
        const std::vector<ListRow>& rows = window.list().Model()->rows();
        result.rowsBytes = long(rows.size() * sizeof(ListRow));
        for (const ListRow& row : rows)
            result.rowsBytes += HeapBytes(row.name) + HeapBytes(row.time);
    }
    RemoveTree(folder);
    return result;
}

WallTiming SlowListingCase(const Workload& w, std::size_t files, int delayUs) {
    const std::string folder = w.root + "/list-slow";
    LinkFiles(w, folder, PhotoNames(files, 5));
    SlowSearch slow(delayUs);
    WallTiming result{};
    result.floorMs =
        MillisecondsOf([&] { Expect(SlowListingFloor(folder, slow) == files, "floor"); });
    {
        QtProgressWindow progress;
        BenchWindow window(w.iniPath, progress, slow, DefaultRenameSystem());
        result.caseMs = MillisecondsOf([&] {
            window.ListFolder(folder);
            window.Settle();
        });
        Expect(std::size_t(window.list().GetItemCount()) == files && window.boxes.shown.empty(),
               "the folder was not listed");
    }
    RemoveTree(folder);
    return result;
}

ProgressTiming ProgressRenameCase(const Workload& w, std::size_t files, int periodUs,
                                  int repetitions) {
    const std::vector<std::string> oldNames = PhotoNames(files, 6);
    std::vector<std::string> newNames;
    for (std::size_t i = 0; i < files; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "trip_%06zu.jpg", i + 1);
        newNames.push_back(name);
    }
    QtProgressWindow progress;
    RunOnTheSpot onTheSpot;
    ProgressTiming result{
        {std::numeric_limits<double>::infinity(), std::numeric_limits<double>::infinity()},
        {std::numeric_limits<double>::infinity(), std::numeric_limits<double>::infinity()},
        0,
        0};
    for (int rep = 0; rep < repetitions; ++rep) {
        for (const bool withProgress : {false, true}) {
            const std::string folder = w.root + "/rename-progress-" + std::to_string(rep) +
                                       (withProgress ? "-case" : "-floor");
            LinkFiles(w, folder, oldNames);
            PacedRename paced(periodUs);
            BenchWindow window(w.iniPath,
                               withProgress ? static_cast<IProgressWindow&>(progress) : onTheSpot,
                               DefaultSearchSystem(), paced);
            window.ListFolder(folder);
            window.list().SetItemState(-1, LVIS_SELECTED, LVIS_SELECTED);
            window.dlg().m_strPrefix = "trip_";
            window.dlg().m_strStartNumber = "000001";
            window.dlg().UpdateData(false);
            window.Settle();
            Sample sample{};
            const double stall = LongestStallMs([&] {
                sample = TimeOf([&] {
                    window.ClickButton(IDC_START);
                    window.Settle();
                });
            });
            Expect(window.boxes.shown.size() == 1,
                   "a box beside the confirmation: " + window.boxes.shown.back());
            Expect(CountPresent(folder, newNames) == files, "not every file renamed");
            std::fprintf(stderr, "#   %s, run %d: %.0fms, processor %.0fms, longest stall %.0fms\n",
                         withProgress ? "with the progress window" : "without", rep + 1,
                         sample.wallMs, sample.cpuMs, stall);
            (withProgress ? result.wall.caseMs : result.wall.floorMs) =
                std::min(withProgress ? result.wall.caseMs : result.wall.floorMs, sample.wallMs);
            (withProgress ? result.cpu.caseMs : result.cpu.floorMs) =
                std::min(withProgress ? result.cpu.caseMs : result.cpu.floorMs, sample.cpuMs);
            double& longest = withProgress ? result.caseStallMs : result.floorStallMs;
            longest = std::max(longest, stall);
            RemoveTree(folder);
        }
    }
    return result;
}

} // namespace quorvel::bench
