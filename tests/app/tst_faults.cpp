#include "platform/SystemErrorText.h"
#include "support/MainWindowHarness.h"

#include <QtTest>

#include <cerrno>
#include <fcntl.h>
#include <filesystem>
#include <linux/fs.h>
#include <optional>
#include <set>
#include <sys/ioctl.h>

using namespace quorvel;
using namespace quorvel::test;
namespace fs = std::filesystem;

namespace {

// Root ignores permission bits, so the immutable flag makes a file or folder unwritable for
// everyone; where it cannot be set, the permission bits do the job.
class Unwritable {
public:
    explicit Unwritable(fs::path path) : m_path(std::move(path)) { set(true); }
    ~Unwritable() { set(false); }

private:
    void set(bool on) {
        const int fd = open(m_path.c_str(), O_RDONLY | O_CLOEXEC);
        int flags = 0;
        bool done = fd >= 0 && ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
        flags = on ? flags | FS_IMMUTABLE_FL : flags & ~FS_IMMUTABLE_FL;
        done = done && ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
        if (fd >= 0)
            close(fd);
        if (!done)
            fs::permissions(
                m_path, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                on ? fs::perm_options::remove : fs::perm_options::add);
    }
    fs::path m_path;
};

void put(const fs::path& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

// "name=content ..." of what a folder holds, in name order; folders show as "name/".
std::string contents(const fs::path& folder) {
    std::set<std::string> entries;
    for (const fs::directory_entry& e : fs::directory_iterator(folder)) {
        const std::string name = e.path().filename().string();
        std::ifstream in(e.path(), std::ios::binary);
        entries.insert(e.is_directory()
                           ? name + "/"
                           : name + "=" + std::string(std::istreambuf_iterator(in), {}));
    }
    std::string out;
    for (const std::string& e : entries)
        out += (out.empty() ? "" : " ") + e;
    return out;
}

// A folder "data" in the working directory holding a.txt, b.txt, c.txt (each its own letter),
// saved as the folder to list, and the window started on it.
fs::path StartOnData(MainWindowHarness& h) {
    const fs::path data = fs::path(h.workDir()) / "data";
    fs::create_directory(data);
    for (const char* n : {"a", "b", "c"})
        put(data / (std::string(n) + ".txt"), n);
    h.writeIni("[Data]\nFolder=" + data.string() + "\n");
    h.start();
    return data;
}

} // namespace

class TestFaults : public QObject {
    Q_OBJECT

private slots:
    void Closing_Should_LeaveSettingsSilently_When_TheyCannotBeWritten_data();
    void Closing_Should_LeaveSettingsSilently_When_TheyCannotBeWritten();
    void Refresh_Should_ReportAndKeepRows_When_FolderGone_data();
    void Refresh_Should_ReportAndKeepRows_When_FolderGone();
    void Rename_Should_NeverOverwrite_When_TargetAppearsWhileAsked_data();
    void Rename_Should_NeverOverwrite_When_TargetAppearsWhileAsked();
};

void TestFaults::Closing_Should_LeaveSettingsSilently_When_TheyCannotBeWritten_data() {
    QTest::addColumn<QString>("fault");
    QTest::newRow("working directory unwritable") << "folder";
    QTest::newRow("Qorv.ini unwritable") << "file";
    QTest::newRow("Qorv.ini a directory") << "directory";
    QTest::newRow("working directory removed while open") << "removed";
}

void TestFaults::Closing_Should_LeaveSettingsSilently_When_TheyCannotBeWritten() {
    QFETCH(QString, fault);
    MainWindowHarness h;
    const fs::path work = h.workDir(), ini = h.iniPath();
    const std::string old = "[Data]\nStartNumber=007\n";
    if (fault == "directory") {
        fs::create_directory(ini);
        put(ini / "kept", old);
    } else {
        h.writeIni(old);
    }
    h.start();
    h.edit(IDC_STARTNUMBER)->setText(QStringLiteral("0100"));
    std::optional<Unwritable> locked;
    if (fault == "folder" || fault == "file")
        locked.emplace(fault == "folder" ? work : ini);
    if (fault == "removed") {
        fs::remove(ini);
        fs::remove(work);
    }

    h.click(IDC_EXIT);
    QVERIFY(h.dlg->IsDestroyed());
    QCOMPARE(int(h.boxes.shown.size()), 0);
    locked.reset();
    if (fault == "removed") {
        QVERIFY(!fs::exists(work));
        return;
    }
    // No temporary file beside it either.
    QCOMPARE(contents(work), fault == "directory" ? "Qorv.ini/" : "Qorv.ini=" + old);
    if (fault == "directory")
        QCOMPARE(contents(ini), "kept=" + old);
}

void TestFaults::Refresh_Should_ReportAndKeepRows_When_FolderGone_data() {
    QTest::addColumn<bool>("replacedByFile");
    QTest::addColumn<int>("error");
    QTest::newRow("folder deleted") << false << ENOENT;
    QTest::newRow("folder replaced by a file") << true << ENOTDIR;
}

void TestFaults::Refresh_Should_ReportAndKeepRows_When_FolderGone() {
    QFETCH(bool, replacedByFile);
    QFETCH(int, error);
    MainWindowHarness h;
    const fs::path data = StartOnData(h);
    const std::vector<std::string> rows = h.names();
    QCOMPARE(int(rows.size()), 3);
    fs::remove_all(data);
    if (replacedByFile)
        put(data, "x");

    h.click(IDC_REFRESH);
    QCOMPARE(int(h.boxes.shown.size()), 1);
    QCOMPARE(h.boxes.shown[0].caption, std::string("Tessaly"));
    QCOMPARE(h.boxes.shown[0].text, SystemErrorText(error));
    QCOMPARE(h.names(), rows);
}

void TestFaults::Rename_Should_NeverOverwrite_When_TargetAppearsWhileAsked_data() {
    QTest::addColumn<QString>("appearing");
    QTest::addColumn<QString>("expected");
    QTest::newRow("first new name") << "n_001.txt"
                                    << "a.txt=a b.txt=b c.txt=c n_001.txt=theirs";
    QTest::newRow("second new name") << "n_002.txt"
                                     << "b.txt=b c.txt=c n_001.txt=a n_002.txt=theirs";
}

void TestFaults::Rename_Should_NeverOverwrite_When_TargetAppearsWhileAsked() {
    QFETCH(QString, appearing);
    QFETCH(QString, expected);
    MainWindowHarness h;
    const fs::path data = StartOnData(h);
    h.click(IDC_SELECTALL);
    h.edit(IDC_PREFIX)->setText(QStringLiteral("n_"));
    h.boxes.onShow = [&] {
        if (h.boxes.shown.size() == 1)
            put(data / appearing.toStdString(), "theirs");
    };

    h.click(IDC_START);
    QCOMPARE(QString::fromStdString(contents(data)), expected);
    QCOMPARE(int(h.boxes.shown.size()), 2);
    QCOMPARE(h.boxes.shown[1].text, std::string("既に同名のファイル名がフォルダ内に存在します。"));
}

QTEST_MAIN(TestFaults)
#include "tst_faults.moc"
