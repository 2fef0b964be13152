#include "fs/FileSearch.h"
#include "platform/WorkProgress.h"
#include "text/FileTimeText.h"

#include <QtTest>

#include <filesystem>
#include <fstream>
#include <mutex>
#include <set>
#include <thread>

#include <dirent.h>

using namespace quorvel;
namespace fs = std::filesystem;

namespace {

enum class Storage {
    Local,          // answers without waiting, though not at once
    Share,          // every status call waits for an answer
    NoTypes,        // a share whose folder tells no kinds: folders show only in their status
    StoppedMidway,  // a share whose user presses 中止 during the 100th status call
    StoppedReading, // a share read in small parts, whose user presses 中止 during the first
};

class FakeStorage : public SearchSystem {
public:
    FakeStorage(Storage storage, WorkProgress& progress)
        : m_storage(storage), m_progress(progress) {}

    long Getdents64(int fd, void* buffer, std::size_t size) override {
        ++reads;
        if (m_storage == Storage::StoppedReading) {
            m_progress.RequestStop();
            size = 1024;
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
            threads.insert(std::this_thread::get_id());
            if (++m_calls == 100 && m_storage == Storage::StoppedMidway)
                m_progress.RequestStop();
        }
        if (m_storage == Storage::Local) {
            // Long enough for helper threads, had they been started, to take their share.
            const auto until = std::chrono::steady_clock::now() + std::chrono::microseconds(20);
            while (std::chrono::steady_clock::now() < until) {
            }
        } else {
            std::this_thread::sleep_for(std::chrono::microseconds(200));
        }
        return SearchSystem::Fstatat(dirfd, name, st, flags);
    }

    std::set<std::thread::id> threads;
    int reads = 0;

private:
    const Storage m_storage;
    WorkProgress& m_progress;
    std::mutex m_mutex;
    int m_calls = 0;
};

} // namespace

Q_DECLARE_METATYPE(Storage)

class TestFileSearch : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;

private slots:
    void examinesOnSeveralThreadsOnlyWhenSlow_data() {
        QTest::addColumn<Storage>("storage");
        QTest::addColumn<bool>("stopped");
        QTest::addColumn<bool>("severalThreads");
        QTest::newRow("local disk") << Storage::Local << false << false;
        QTest::newRow("share") << Storage::Share << false << true;
        QTest::newRow("folders told by their status") << Storage::NoTypes << false << true;
        QTest::newRow("stopped midway") << Storage::StoppedMidway << true << true;
        QTest::newRow("stopped while reading") << Storage::StoppedReading << true << false;
    }

    void examinesOnSeveralThreadsOnlyWhenSlow() {
        QFETCH(Storage, storage);
        QFETCH(bool, stopped);
        const fs::path folder = m_dir.path().toStdString();
        for (int i = 0; i < 320; ++i) { // 300 files and 20 folders
            const fs::path path = folder / ("n" + std::to_string(1000 + i));
            i % 16 ? void(std::ofstream(path) << i) : void(fs::create_directory(path));
        }
        std::vector<std::string> expected; // what the folder lists, in its order
        for (const fs::directory_entry& entry : fs::directory_iterator(folder))
            if (entry.is_regular_file() && !stopped)
                expected.push_back(entry.path().filename());
        WorkProgress progress;
        FakeStorage fake(storage, progress);
        std::vector<ListRow> found;
        QCOMPARE(FindFiles(folder, "*.*", found, fake, &progress).error,
                 stopped ? SearchError::Stopped : SearchError::None);
        QTEST(fake.threads.size() > 1, "severalThreads");
        std::vector<std::string> names;
        for (const ListRow& row : found)
            names.push_back(row.name);
        QCOMPARE(names, expected);
        QVERIFY(storage != Storage::StoppedReading || fake.reads == 1);
    }

    void showsTheMinute() {
        qputenv("TZ", "UTC");
        tzset();
        QCOMPARE(FileTimeText(90), "1970/01/01  00:01");
    }
};

QTEST_GUILESS_MAIN(TestFileSearch)
#include "tst_filesearch.moc"
