#include "fs/FileSearch.h"
#include "text/FileTimeText.h"
#include "text/SystemErrorText.h"
#include "platform/WorkProgress.h"

#include <QtTest>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <set>
#include <thread>

#include <dirent.h>

using namespace quorvel;
namespace fs = std::filesystem;

namespace {

// How the storage under a search behaves.
enum class Storage {
    Local,          // answers without waiting, if not at once: the processor stays busy
    Share,          // every status call waits for an answer
    NoTypes,        // a share whose folder tells no kinds: folders are known only by their status
    FailsMidway,    // a local disk whose second read of the folder fails
    StoppedMidway,  // a share whose user presses 中止 during the 100th status call
    StoppedReading, // a share read in small parts, whose user presses 中止 during the first
};

class FakeStorage : public SearchSystem {
public:
    FakeStorage(Storage storage, WorkProgress& progress)
        : m_storage(storage), m_progress(progress) {}

    long Getdents64(int fd, void* buffer, std::size_t size) override {
        ++m_reads;
        if (m_storage == Storage::StoppedReading)
            m_progress.RequestStop();
        if (m_storage == Storage::FailsMidway || m_storage == Storage::StoppedReading) {
            // Small reads, so that the folder takes several.
            return m_reads == 2 && m_storage == Storage::FailsMidway
                       ? -EIO
                       : SearchSystem::Getdents64(fd, buffer, 1024);
        }
        const long length = SearchSystem::Getdents64(fd, buffer, size);
        for (long at = 0; m_storage == Storage::NoTypes && at < length;) {
            auto* entry = reinterpret_cast<dirent64*>(static_cast<char*>(buffer) + at);
            entry->d_type = DT_UNKNOWN;
            at += entry->d_reclen;
        }
        return length;
    }
    int Fstatat(int dirfd, const char* name, struct stat* st, int flags) override {
        {
            const std::lock_guard lock(m_mutex);
            m_threads.insert(std::this_thread::get_id());
            if (++m_calls == 100 && m_storage == Storage::StoppedMidway)
                m_progress.RequestStop();
        }
        if (m_storage == Storage::Local) {
            // Long enough for helper threads, had they been started, to take their share.
            const auto until = std::chrono::steady_clock::now() + std::chrono::microseconds(20);
            while (std::chrono::steady_clock::now() < until) {
            }
        } else if (m_storage != Storage::FailsMidway) {
            std::this_thread::sleep_for(std::chrono::microseconds(200));
        }
        return SearchSystem::Fstatat(dirfd, name, st, flags);
    }
    std::size_t threads() const { return m_threads.size(); }
    int reads() const { return m_reads; }

private:
    const Storage m_storage;
    WorkProgress& m_progress;
    std::mutex m_mutex;
    std::set<std::thread::id> m_threads;
    int m_calls = 0;
    int m_reads = 0;
};

// A row the list held before the search: the search appends after it.
ListRow Kept() {
    ListRow row;
    row.name = row.time = "kept";
    return row;
}

} // namespace

Q_DECLARE_METATYPE(SearchError)
Q_DECLARE_METATYPE(Storage)

class TestFileSearch : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;

private slots:
    void initTestCase() {
        const fs::path root = m_dir.path().toStdString();
        fs::create_directories(root / "listed/sub");
        fs::create_directory(root / "empty");
        for (const char* file : {"a.txt", ".hidden", "README", "日.txt", "b\xff.t"})
            std::ofstream(root / "listed" / file) << file;
        fs::create_symlink("a.txt", root / "listed/toFile");
        fs::create_symlink("sub", root / "listed/toFolder");
        fs::create_symlink("nowhere", root / "listed/dangling");
        fs::create_symlink("loop", root / "listed/loop");
        // 300 files and 20 folders, in whatever order the file system keeps them.
        fs::create_directory(root / "many");
        for (int i = 0; i < 320; ++i) {
            const fs::path path = root / "many" / ("n" + std::to_string(1000 + i));
            if (i % 16 == 0)
                fs::create_directory(path);
            else
                std::ofstream(path) << i;
        }
    }

    // QTemporaryDir goes through QString and cannot remove a name that is not UTF-8.
    void cleanupTestCase() { fs::remove_all(m_dir.path().toStdString()); }

    // Every file found shows a time, dangling links and link loops too (the link's own).
    void listsFilesOrSaysWhyNot_data() {
        QTest::addColumn<QByteArray>("folder");
        QTest::addColumn<QByteArray>("pattern");
        QTest::addColumn<SearchError>("error");
        QTest::addColumn<int>("sysError");
        QTest::addColumn<QByteArrayList>("listed"); // sorted
        const auto row = [](const char* what, const QByteArray& folder, const char* pattern,
                            SearchError error, int sysError, const QByteArrayList& listed = {}) {
            QTest::newRow(what) << folder << QByteArray(pattern) << error << sysError << listed;
        };
        using enum SearchError;
        row("every file and link to one, dangling too, never a folder", "listed", "*.*", None, 0,
            {".hidden", "README", "a.txt", "b\xff.t", "dangling", "loop", "toFile", "日.txt"});
        row("? is one character: a stray byte", "listed", "b?.t", None, 0, {"b\xff.t"});
        row("no stray byte matches part of a kanji", "listed", "*\x97\xa5.txt", NoSuchEntry,
            ENOENT);
        row("empty folder: *.* matches the dot entries", "empty", "*.*", None, 0);
        row("empty folder text is the root", "", "tmp", None, 0);
        row("pattern holding a slash", "listed", "sub/*.*", NoSuchEntry, ENOENT);
        row("missing folder", "missing", "*.*", PathNotFound, ENOENT);
        row("file used as a folder", "listed/a.txt", "*.*", PathNotFound, ENOTDIR);
        row("name too long", QByteArray(300, 'x'), "*.*", BadPathName, ENAMETOOLONG);
        row("embedded NUL", QByteArray("listed\0/sub", 11), "*.*", BadPathName, EINVAL);
        row("link loop as the folder", "listed/loop", "*.*", Other, ELOOP);
    }

    void listsFilesOrSaysWhyNot() {
        QFETCH(QByteArray, folder);
        QFETCH(QByteArray, pattern);
        QFETCH(SearchError, error);
        const std::string path =
            folder.isEmpty() ? "" : m_dir.path().toStdString() + '/' + folder.toStdString();
        std::vector<ListRow> found(1, Kept());
        const SearchResult result = FindFiles(path, pattern.toStdString(), found);
        QCOMPARE(result.error, error);
        QTEST(result.sysError, "sysError");
        QCOMPARE(found.front().name, "kept"); // what was there stays first
        QByteArrayList names;
        for (auto file = found.begin() + 1; file != found.end(); ++file) {
            QVERIFY(!file->time.empty());
            names << QByteArray::fromStdString(file->name);
        }
        std::sort(names.begin(), names.end());
        QTEST(names, "listed");
        // Opening the folder is all the probe does, so it fails exactly where that fails.
        const bool openFails = error != SearchError::None && error != SearchError::NoSuchEntry;
        QCOMPARE(ProbeFolder(path).error, openFails ? error : SearchError::None);
    }

    void examinesOnSeveralThreadsOnlyWhenSlow_data() {
        QTest::addColumn<Storage>("storage");
        QTest::addColumn<SearchError>("error");
        QTest::addColumn<bool>("severalThreads");
        QTest::newRow("local disk: one thread") << Storage::Local << SearchError::None << false;
        QTest::newRow("share: several threads, the same rows in directory order")
            << Storage::Share << SearchError::None << true;
        QTest::newRow("folders told by their status alone are left out, the order kept")
            << Storage::NoTypes << SearchError::None << true;
        QTest::newRow("a failed read midway: the files read so far")
            << Storage::FailsMidway << SearchError::None << false;
        QTest::newRow("stopped midway: nothing added")
            << Storage::StoppedMidway << SearchError::Stopped << true;
        QTest::newRow("stopped while the folder is read: no further read, nothing examined")
            << Storage::StoppedReading << SearchError::Stopped << false;
    }

    void examinesOnSeveralThreadsOnlyWhenSlow() {
        QFETCH(Storage, storage);
        QFETCH(SearchError, error);
        const std::string folder = m_dir.path().toStdString() + "/many";
        // The files in the order the folder lists them.
        std::vector<std::string> inFolderOrder;
        for (const fs::directory_entry& entry : fs::directory_iterator(folder))
            if (entry.is_regular_file())
                inFolderOrder.push_back(entry.path().filename());
        QCOMPARE(inFolderOrder.size(), std::size_t(300));

        WorkProgress progress;
        FakeStorage fake(storage, progress);
        std::vector<ListRow> found(1, Kept());
        QCOMPARE(FindFiles(folder, "*.*", found, fake, &progress).error, error);
        QTEST(fake.threads() > 1, "severalThreads");
        QVERIFY(fake.threads() <= 8);
        std::vector<std::string> names;
        for (const ListRow& row : found)
            names.push_back(row.name);
        QCOMPARE(names.front(), "kept");
        names.erase(names.begin());
        if (storage == Storage::FailsMidway) {
            QVERIFY(!names.empty() && names.size() < inFolderOrder.size());
            inFolderOrder.resize(names.size());
        } else if (error == SearchError::Stopped) {
            inFolderOrder.clear();
        }
        QCOMPARE(names, inFolderOrder);
        QVERIFY(storage != Storage::StoppedReading || fake.reads() == 1);
        // Every entry examined is counted: the folders too where only their status tells them.
        if (error != SearchError::Stopped)
            QCOMPARE(progress.Done(), names.size() + (storage == Storage::NoTypes ? 20 : 0));
    }

    void showsLocalTimeOfTheFilesDate_data() {
        QTest::addColumn<QByteArray>("zone");
        QTest::addColumn<qint64>("seconds");
        QTest::addColumn<QByteArray>("text");
        const auto row = [](const char* what, const char* zone, qint64 seconds, const char* text) {
            QTest::newRow(what) << QByteArray(zone) << seconds << QByteArray(text);
        };
        row("epoch in New York is the day before", "America/New_York", 0, "1969/12/31  19:00");
        row("first minute of summer time", "Europe/Berlin", 1711846800, "2024/03/31  03:00");
        row("seconds are dropped, not rounded", "UTC", 59, "1970/01/01  00:00");
        row("after 2038", "Asia/Kolkata", 2224065600, "2040/06/23  17:30");
        row("local mean time ends mid-hour", "Europe/Berlin", -2422054408, "1893/04/01  00:06");
        row("first second of year 1", "UTC", -62135596800, "0001/01/01  00:00");
        row("year 0", "UTC", -62135596801, nullptr);
        row("smallest time", "UTC", INT64_MIN, nullptr);
        row("largest time", "Asia/Tokyo", INT64_MAX, nullptr);
    }

    void showsLocalTimeOfTheFilesDate() {
        QFETCH(QByteArray, zone);
        QFETCH(qint64, seconds);
        qputenv("TZ", zone);
        tzset();
        QTEST(QByteArray::fromStdString(FileTimeText(seconds)), "text");
        // Offsets are remembered per day and hour: every minute of the days around, taken in
        // turn with the day 8,192 days earlier that shares its memory, agrees with the library.
        for (qint64 step = -86400; step <= 86400 && seconds > -3e9 && seconds < 3e9; step += 59) {
            for (const std::time_t time : {seconds + step, seconds - 8192 * 86400 + step}) {
                std::tm fields{};
                char text[32];
                strftime(text, sizeof text, "%Y/%m/%d  %H:%M", localtime_r(&time, &fields));
                QCOMPARE(QByteArray::fromStdString(FileTimeText(time)), QByteArray(text));
            }
        }
    }

    void systemErrorTextHasAFallback() {
        QCOMPARE(SystemErrorText(EACCES), std::string(std::strerror(EACCES)));
        QCOMPARE(QByteArray::fromStdString(SystemErrorText(99999)), "エラーが発生しました。");
    }
};

QTEST_GUILESS_MAIN(TestFileSearch)
#include "tst_filesearch.moc"
