#include "platform/FileSearch.h"
#include "platform/SystemErrorText.h"

#include <QtTest>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

using quorvel::FindFiles;
using quorvel::FoundFile;
using quorvel::SearchError;
using quorvel::SearchResult;

Q_DECLARE_METATYPE(SearchError)

namespace quorvel {
// Names the values in QCOMPARE's failure messages.
char* toString(SearchError error) {
    const char* names[] = {"None", "NoSuchEntry", "PathNotFound", "BadPathName", "Other"};
    return qstrdup(names[static_cast<int>(error)]);
}
} // namespace quorvel

namespace {

// Times of the fixture's files, UTC; the test runs in Tokyo time (UTC+9, no summer time since
// 1951), so each shows nine hours later.
constexpr qint64 kOrdinaryTime = 1577934240; // 2020-01-02 03:04 UTC
constexpr qint64 kFutureTime = 2224065600;   // 2040-06-23 12:00 UTC
constexpr qint64 kPastTime = -288662400;     // 1960-11-08 00:00 UTC
constexpr qint64 kLinkTime = 1000000000;     // 2001-09-09 01:46 UTC
constexpr qint64 kTargetTime = 1234567890;   // 2009-02-13 23:31 UTC

const QByteArray kInvalidName("bad\xff.txt");

bool SetTime(const std::string& path, qint64 seconds, bool ofLink = false) {
    const timespec times[2] = {{static_cast<time_t>(seconds), 0},
                               {static_cast<time_t>(seconds), 0}};
    return utimensat(AT_FDCWD, path.c_str(), times, ofLink ? AT_SYMLINK_NOFOLLOW : 0) == 0;
}

bool MakeFile(const std::string& path, qint64 seconds) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) {
        return false;
    }
    ::close(fd);
    return SetTime(path, seconds);
}

QByteArrayList Names(const std::vector<FoundFile>& found, std::size_t from = 0) {
    QByteArrayList names;
    for (std::size_t i = from; i < found.size(); ++i) {
        names << QByteArray::fromStdString(found[i].name);
    }
    return names;
}

QByteArrayList Sorted(QByteArrayList names) {
    std::sort(names.begin(), names.end());
    return names;
}

} // namespace

class FileSearchTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();

    void listsMatchingFilesOnly_data();
    void listsMatchingFilesOnly();
    void showsTheModifiedTime_data();
    void showsTheModifiedTime();
    void reportsWhyNothingWasListed_data();
    void reportsWhyNothingWasListed();
    void folderWithoutPermissionIsOtherError();
    void appendsInDirectoryOrder();
    void systemErrorText_data();
    void systemErrorText();

private:
    std::string Path(const char* name) const { return root_ + "/" + name; }

    QTemporaryDir dir_;
    std::string root_;
};

void FileSearchTest::initTestCase() {
    qputenv("TZ", "Asia/Tokyo");
    tzset();

    QVERIFY(dir_.isValid());
    root_ = QFile::encodeName(dir_.path()).toStdString();
    const std::string listed = Path("listed");
    QVERIFY(::mkdir(listed.c_str(), 0755) == 0);
    for (const char* name :
         {"a.txt", "B.TXT", "README", ".hidden", "日本語.txt", "写真_0001.JPG"}) {
        QVERIFY(MakeFile(listed + "/" + name, kOrdinaryTime));
    }
    QVERIFY(MakeFile(listed + "/" + kInvalidName.toStdString(), kOrdinaryTime));
    QVERIFY(MakeFile(listed + "/future.jpg", kFutureTime));
    QVERIFY(MakeFile(listed + "/past.jpg", kPastTime));
    QVERIFY(MakeFile(listed + "/target.dat", kTargetTime));
    QVERIFY(::mkdir((listed + "/sub").c_str(), 0755) == 0);
    QVERIFY(::mkdir((listed + "/folder.with.dots").c_str(), 0755) == 0);
    QVERIFY(MakeFile(listed + "/sub/inner.txt", kOrdinaryTime));
    QVERIFY(::symlink("sub", (listed + "/linkToFolder").c_str()) == 0);
    QVERIFY(::symlink("target.dat", (listed + "/linkToFile").c_str()) == 0);
    QVERIFY(::symlink("nowhere", (listed + "/dangling").c_str()) == 0);
    QVERIFY(::symlink("loop", (listed + "/loop").c_str()) == 0);
    for (const char* link : {"linkToFile", "dangling", "loop"}) {
        QVERIFY(SetTime(listed + "/" + link, kLinkTime, true));
    }

    QVERIFY(::mkdir(Path("empty").c_str(), 0755) == 0);
    QVERIFY(::mkdir(Path("onlyFolders").c_str(), 0755) == 0);
    QVERIFY(::mkdir(Path("onlyFolders/x").c_str(), 0755) == 0);
    QVERIFY(::mkdir(Path("onlyFolders/y.d").c_str(), 0755) == 0);
}

void FileSearchTest::cleanupTestCase() {
    // QTemporaryDir removes by QString names, which cannot carry a byte that is not UTF-8.
    ::unlink((Path("listed") + "/" + kInvalidName.toStdString()).c_str());
}

void FileSearchTest::listsMatchingFilesOnly_data() {
    QTest::addColumn<QByteArray>("pattern");
    QTest::addColumn<QByteArrayList>("expected");

    const QByteArrayList everyFile{"a.txt",      "B.TXT",         "README",     ".hidden",
                                   "日本語.txt", "写真_0001.JPG", kInvalidName, "future.jpg",
                                   "past.jpg",   "target.dat",    "linkToFile", "dangling",
                                   "loop"};
    QTest::newRow("*.* lists every file but no folder or folder link")
        << QByteArray("*.*") << everyFile;
    QTest::newRow("* lists the same") << QByteArray("*") << everyFile;
    QTest::newRow("extension without regard to case")
        << QByteArray("*.TxT") << QByteArrayList{"a.txt", "B.TXT", "日本語.txt", kInvalidName};
    QTest::newRow("? takes one Japanese character")
        << QByteArray("日本?.txt") << QByteArrayList{"日本語.txt"};
    QTest::newRow("? takes a byte that is not UTF-8")
        << QByteArray("bad?.txt") << QByteArrayList{kInvalidName};
    QTest::newRow("name.* finds the name without extension")
        << QByteArray("readme.*") << QByteArrayList{"README"};
    QTest::newRow("dot files") << QByteArray(".*") << QByteArrayList{".hidden"};
    QTest::newRow("links to files and dangling links are files")
        << QByteArray("*in*") << QByteArrayList{"linkToFile", "dangling"};
    QTest::newRow("Japanese prefix") << QByteArray("写真_*") << QByteArrayList{"写真_0001.JPG"};
}

void FileSearchTest::listsMatchingFilesOnly() {
    QFETCH(QByteArray, pattern);
    QFETCH(QByteArrayList, expected);
    std::vector<FoundFile> found;
    const SearchResult result = FindFiles(Path("listed"), pattern.toStdString(), found);
    QCOMPARE(result.error, SearchError::None);
    QCOMPARE(result.sysError, 0);
    QCOMPARE(Sorted(Names(found)), Sorted(expected));
}

void FileSearchTest::showsTheModifiedTime_data() {
    QTest::addColumn<QByteArray>("name");
    QTest::addColumn<QByteArray>("expected");

    QTest::newRow("ordinary file") << QByteArray("a.txt") << QByteArray("2020/01/02  12:04");
    QTest::newRow("dated 2040") << QByteArray("future.jpg") << QByteArray("2040/06/23  21:00");
    QTest::newRow("dated 1960") << QByteArray("past.jpg") << QByteArray("1960/11/08  09:00");
    QTest::newRow("link to a file shows the file's time")
        << QByteArray("linkToFile") << QByteArray("2009/02/14  08:31");
    QTest::newRow("dangling link shows its own time")
        << QByteArray("dangling") << QByteArray("2001/09/09  10:46");
    QTest::newRow("link to itself shows its own time")
        << QByteArray("loop") << QByteArray("2001/09/09  10:46");
}

void FileSearchTest::showsTheModifiedTime() {
    QFETCH(QByteArray, name);
    QFETCH(QByteArray, expected);
    std::vector<FoundFile> found;
    QCOMPARE(FindFiles(Path("listed"), name.toStdString(), found).error, SearchError::None);
    QCOMPARE(found.size(), std::size_t(1));
    QCOMPARE(QByteArray::fromStdString(found[0].timeText), expected);
}

void FileSearchTest::reportsWhyNothingWasListed_data() {
    QTest::addColumn<QByteArray>("folder"); // relative to the fixture unless absolute or empty
    QTest::addColumn<QByteArray>("pattern");
    QTest::addColumn<SearchError>("error");
    QTest::addColumn<int>("sysError");
    QTest::addColumn<int>("count"); // files listed; -1: not checked

    // The folder exists, and something matched: no error, even with nothing to list.
    QTest::newRow("empty folder, *.* matches the dot entries")
        << QByteArray("empty") << QByteArray("*.*") << SearchError::None << 0 << 0;
    QTest::newRow("only subfolders")
        << QByteArray("onlyFolders") << QByteArray("*.*") << SearchError::None << 0 << 0;
    QTest::newRow("pattern names a folder only")
        << QByteArray("listed") << QByteArray("sub") << SearchError::None << 0 << 0;
    QTest::newRow("pattern names a link to a folder only")
        << QByteArray("listed") << QByteArray("linkToFolder") << SearchError::None << 0 << 0;
    QTest::newRow("folder with a trailing slash")
        << QByteArray("listed/") << QByteArray("a.txt") << SearchError::None << 0 << 1;
    QTest::newRow("link to a folder used as the folder")
        << QByteArray("listed/linkToFolder") << QByteArray("*.*") << SearchError::None << 0 << 1;
    QTest::newRow("root as a slash")
        << QByteArray("/") << QByteArray("*.*") << SearchError::None << 0 << -1;
    QTest::newRow("empty folder text is the root")
        << QByteArray("") << QByteArray("*.*") << SearchError::None << 0 << -1;

    // The folder exists, nothing matched.
    QTest::newRow("empty folder, pattern with an extension")
        << QByteArray("empty") << QByteArray("*.txt") << SearchError::NoSuchEntry << ENOENT << 0;
    QTest::newRow("pattern matching nothing")
        << QByteArray("listed") << QByteArray("*.none") << SearchError::NoSuchEntry << ENOENT << 0;
    QTest::newRow("pattern holding a slash")
        << QByteArray("listed") << QByteArray("sub/*.*") << SearchError::NoSuchEntry << ENOENT << 0;
    QTest::newRow("empty pattern")
        << QByteArray("listed") << QByteArray("") << SearchError::NoSuchEntry << ENOENT << 0;

    // The folder cannot be opened.
    QTest::newRow("missing folder")
        << QByteArray("missing") << QByteArray("*.*") << SearchError::PathNotFound << ENOENT << 0;
    QTest::newRow("missing parent") << QByteArray("missing/deeper") << QByteArray("*.*")
                                    << SearchError::PathNotFound << ENOENT << 0;
    QTest::newRow("file used as a folder") << QByteArray("listed/a.txt") << QByteArray("*.*")
                                           << SearchError::PathNotFound << ENOTDIR << 0;
    QTest::newRow("file used as a folder, trailing slash")
        << QByteArray("listed/a.txt/") << QByteArray("*.*") << SearchError::PathNotFound << ENOTDIR
        << 0;
    QTest::newRow("dangling link used as a folder")
        << QByteArray("listed/dangling") << QByteArray("*.*") << SearchError::PathNotFound << ENOENT
        << 0;
    QTest::newRow("name longer than the file system allows")
        << QByteArray(300, 'x') << QByteArray("*.*") << SearchError::BadPathName << ENAMETOOLONG
        << 0;
    QTest::newRow("embedded NUL") << QByteArray("listed\0/sub", 11) << QByteArray("*.*")
                                  << SearchError::BadPathName << EINVAL << 0;
    QTest::newRow("link loop used as a folder")
        << QByteArray("listed/loop") << QByteArray("*.*") << SearchError::Other << ELOOP << 0;
}

void FileSearchTest::reportsWhyNothingWasListed() {
    QFETCH(QByteArray, folder);
    QFETCH(QByteArray, pattern);
    QFETCH(SearchError, error);
    QFETCH(int, sysError);
    QFETCH(int, count);
    const std::string path = folder.isEmpty() || folder.startsWith('/')
                                 ? folder.toStdString()
                                 : root_ + "/" + folder.toStdString();
    std::vector<FoundFile> found{FoundFile{"kept", "kept"}};
    const SearchResult result = FindFiles(path, pattern.toStdString(), found);
    QCOMPARE(result.error, error);
    QCOMPARE(result.sysError, sysError);
    QVERIFY(!found.empty());
    QCOMPARE(found[0].name, std::string("kept"));
    if (count >= 0) {
        QCOMPARE(int(found.size()) - 1, count);
    }
    // The probe only opens the folder, so it sees the same failures, and only those.
    const bool openFails = error != SearchError::None && error != SearchError::NoSuchEntry;
    QCOMPARE(quorvel::ProbeFolder(path).error, openFails ? error : SearchError::None);
}

void FileSearchTest::folderWithoutPermissionIsOtherError() {
    // Root reads every folder, so look through the eyes of an ordinary user: the fixture's
    // temporary folder is private to its owner (0700).
    const std::string folder = Path("listed");
    std::vector<FoundFile> found;
    SearchResult result;
    if (geteuid() == 0) {
        if (::seteuid(65534) != 0) {
            QSKIP("cannot act as an ordinary user here");
        }
        result = FindFiles(folder, "*.*", found);
        QVERIFY(::seteuid(0) == 0);
    } else {
        QVERIFY(::chmod(root_.c_str(), 0) == 0);
        result = FindFiles(folder, "*.*", found);
        QVERIFY(::chmod(root_.c_str(), 0700) == 0);
    }
    QCOMPARE(result.error, SearchError::Other);
    QCOMPARE(result.sysError, EACCES);
    QVERIFY(found.empty());
}

void FileSearchTest::appendsInDirectoryOrder() {
    const std::string folder = Path("listed");
    std::vector<FoundFile> found{FoundFile{"earlier", "x"}};
    QCOMPARE(FindFiles(folder, "*.txt", found).error, SearchError::None);

    QByteArrayList inDirectoryOrder;
    DIR* dir = ::opendir(folder.c_str());
    QVERIFY(dir != nullptr);
    while (const dirent* entry = ::readdir(dir)) {
        const QByteArray name(entry->d_name);
        if (name.toLower().endsWith(".txt")) {
            inDirectoryOrder << name;
        }
    }
    ::closedir(dir);

    QCOMPARE(found[0].name, std::string("earlier"));
    QCOMPARE(Names(found, 1), inDirectoryOrder);
}

void FileSearchTest::systemErrorText_data() {
    QTest::addColumn<int>("code");
    QTest::addColumn<QByteArray>("expected"); // empty: the C library's own text

    QTest::newRow("known code") << EACCES << QByteArray();
    QTest::newRow("unknown code") << 99999 << QByteArray("エラーが発生しました。");
    QTest::newRow("negative code") << -1 << QByteArray("エラーが発生しました。");
}

void FileSearchTest::systemErrorText() {
    QFETCH(int, code);
    QFETCH(QByteArray, expected);
    const std::string text = quorvel::SystemErrorText(code);
    if (expected.isEmpty()) {
        QCOMPARE(text, std::string(std::strerror(code)));
        QVERIFY(!text.empty());
    } else {
        QCOMPARE(QByteArray::fromStdString(text), expected);
    }
}

QTEST_GUILESS_MAIN(FileSearchTest)
#include "tst_filesearch.moc"
