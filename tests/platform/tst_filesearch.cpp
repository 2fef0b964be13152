#include "platform/FileSearch.h"
#include "platform/FileTimeText.h"
#include "platform/SystemErrorText.h"

#include <QtTest>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>

using namespace quorvel;
namespace fs = std::filesystem;

Q_DECLARE_METATYPE(SearchError)

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
        std::vector<ListRow> found{{"kept", "kept"}};
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
