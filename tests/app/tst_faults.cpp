#include "text/SystemErrorText.h"
#include "support/MainWindowHarness.h"

#include <QtTest>

#include <cerrno>
#include <fcntl.h>
#include <filesystem>
#include <linux/fs.h>
#include <sys/ioctl.h>

using namespace quorvel;
using namespace quorvel::test;
namespace fs = std::filesystem;

namespace {

// The immutable flag binds root too; where it cannot be set, the permission bits do the job.
void SetUnwritable(const fs::path& path, bool on) {
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    int flags = 0;
    bool done = fd >= 0 && ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
    flags = on ? flags | FS_IMMUTABLE_FL : flags & ~FS_IMMUTABLE_FL;
    done = done && ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
    if (fd >= 0)
        close(fd);
    if (!done)
        fs::permissions(path, fs::perms(0222),
                        on ? fs::perm_options::remove : fs::perm_options::add);
}

// "name=content ..." of a folder's files, in name order.
QString contents(const fs::path& folder) {
    const QDir dir(QString::fromStdString(folder));
    QStringList entries = dir.entryList(QDir::Files);
    for (QString& name : entries) {
        QFile file(dir.filePath(name));
        name += "=" + (file.open(QIODevice::ReadOnly) ? file.readAll() : "?");
    }
    return entries.join(' ');
}

} // namespace

class TestFaults : public QObject {
    Q_OBJECT

private slots:
    void fault_Should_NeverLoseData_data() {
        QTest::addColumn<QString>("fault");
        QTest::addColumn<QString>("lastBox"); // "caption text"; "%e": the text of ENOENT
        const auto row = [](const char* what, QString fault, QString lastBox = {}) {
            QTest::newRow(what) << fault << lastBox;
        };
        row("working directory unwritable on closing: silent, no temporary file", "lock work");
        row("Qorv.ini unwritable on closing: silent, kept", "lock ini");
        row("Qorv.ini a directory on closing: silent, left alone", "dir ini");
        row("folder deleted, then refreshed: reported, rows kept", "deleted", "Tessaly %e");
        row("target appearing while asked: never overwritten, the run stops there", "n_002.txt",
            "Quorvel 既に同名のファイル名がフォルダ内に存在します。");
    }

    void fault_Should_NeverLoseData() {
        QFETCH(QString, fault);
        QFETCH(QString, lastBox);
        MainWindowHarness h;
        const fs::path work = h.workDir(), data = work / "data";
        fs::create_directory(data);
        for (const char* n : {"a", "b", "c"})
            std::ofstream(data / (std::string(n) + ".txt")) << n;
        const std::string ini = "[Data]\nFolder=" + data.string() + "\n";
        h.writeIni(ini);
        h.start();
        const std::vector<std::string> rows = h.names();
        if (fault.startsWith("lock")) {
            const fs::path locked = fault == "lock work" ? work : fs::path(h.iniPath());
            h.edit(IDC_STARTNUMBER)->setText(QStringLiteral("0100"));
            SetUnwritable(locked, true);
            h.click(IDC_EXIT);
            SetUnwritable(locked, false);
            QVERIFY(h.dlg->IsDestroyed());
            QCOMPARE(contents(work), QString::fromStdString("Qorv.ini=" + ini));
        } else if (fault == "dir ini") {
            fs::remove(h.iniPath());
            fs::create_directory(h.iniPath());
            h.click(IDC_EXIT);
            QVERIFY(fs::is_directory(h.iniPath()) && fs::is_empty(h.iniPath()));
            QCOMPARE(contents(work), QString());
        } else if (fault == "deleted") {
            fs::remove_all(data);
            h.click(IDC_REFRESH);
            QCOMPARE(h.names(), rows);
        } else {
            h.click(IDC_SELECTALL);
            h.edit(IDC_PREFIX)->setText(QStringLiteral("n_"));
            h.boxes.onShow = [&] {
                if (h.boxes.shown.size() == 1)
                    std::ofstream(data / fault.toStdString()) << "theirs";
            };
            h.click(IDC_START);
            QCOMPARE(contents(data), "b.txt=b c.txt=c n_001.txt=a n_002.txt=theirs");
        }
        QCOMPARE(int(h.boxes.shown.size()), lastBox.isEmpty() ? 0 : fault == "deleted" ? 1 : 2);
        if (!lastBox.isEmpty())
            QCOMPARE(QString::fromStdString(h.boxes.shown.back().caption + " " +
                                            h.boxes.shown.back().text),
                     lastBox.replace("%e", QString::fromStdString(SystemErrorText(ENOENT))));
    }
};

QTEST_MAIN(TestFaults)
#include "tst_faults.moc"
