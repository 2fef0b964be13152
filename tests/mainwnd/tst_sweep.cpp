#include "support/MainWindowHarness.h"

#include <QtTest>

#include <fcntl.h>
#include <set>
#include <sys/stat.h>

using namespace quorvel;
using namespace quorvel::test;

// Long names, a deep folder and a large folder taken through the whole workflow: list, sort by
// both columns, select all, rename. Nothing may crash and every file must be accounted for.
class TestSweep : public QObject {
    Q_OBJECT

private slots:
    void workflow_Should_AccountForEveryFile_data();
    void workflow_Should_AccountForEveryFile();
};

namespace {

std::string Repeat(const std::string& unit, std::size_t times) {
    std::string s;
    for (std::size_t i = 0; i < times; ++i)
        s += unit;
    return s;
}

std::set<std::string> Names(const std::string& folder) {
    std::set<std::string> names;
    for (const QString& n : QDir(QString::fromStdString(folder)).entryList(QDir::Files))
        names.insert(n.toStdString());
    return names;
}

} // namespace

void TestSweep::workflow_Should_AccountForEveryFile_data() {
    QTest::addColumn<int>("files");
    QTest::addColumn<int>("nameBytes");   // of the base name before the extension
    QTest::addColumn<int>("folderBytes"); // at least this long a folder path
    QTest::newRow("names of 255 bytes") << 50 << 251 << 0;
    QTest::newRow("folder path near 4096 bytes") << 20 << 40 << 3900;
    QTest::newRow("100,000 Japanese names") << 100000 << 0 << 0;
}

void TestSweep::workflow_Should_AccountForEveryFile() {
    QFETCH(int, files);
    QFETCH(int, nameBytes);
    QFETCH(int, folderBytes);
    MainWindowHarness h;
    h.start();
    std::string folder = h.workDir() + "/photos";
    QVERIFY(mkdir(folder.c_str(), 0755) == 0);
    while (int(folder.size()) < folderBytes) {
        folder +=
            "/" + Repeat("深", std::min<std::size_t>(80, (folderBytes - folder.size()) / 3 + 1));
        QVERIFY(mkdir(folder.c_str(), 0755) == 0);
    }
    // Hard links make 100,000 names cheaply (a file takes at most 65,000 of them); each name is
    // still a file to rename.
    const std::string origin = folder + "/origin";
    for (int i = 0; i < files; ++i) {
        if (i % 50000 == 0) {
            unlink(origin.c_str());
            QVERIFY(close(open(origin.c_str(), O_CREAT | O_WRONLY, 0644)) == 0);
        }
        std::string base = nameBytes == 0
                               ? QStringLiteral("写真_%1").arg(i, 6, 10, QChar('0')).toStdString()
                               : std::to_string(100000 + i);
        if (nameBytes > 0)
            base += std::string(std::size_t(nameBytes) - base.size(), 'x');
        const std::string name = base + ".JPG";
        QVERIFY2(link(origin.c_str(), (folder + "/" + name).c_str()) == 0, name.c_str());
    }
    QVERIFY(unlink(origin.c_str()) == 0);

    CNumberingDlg& dlg = *h.dlg;
    h.edit(IDC_FOLDER)->setText(QString::fromStdString(folder));
    QCOMPARE(dlg.m_listFiles.GetItemCount(), files);
    for (int column : {1, 0, 0}) {
        Message click{WM_NOTIFY, LVN_COLUMNCLICK, IDC_FILELIST, true};
        click.subItem = column;
        dlg.Dispatch(click);
    }
    h.click(IDC_SELECTALL);
    QCOMPARE(dlg.m_listFiles.GetSelectedCount(), files);
    h.edit(IDC_PREFIX)->setText(QStringLiteral("p"));
    h.edit(IDC_STARTNUMBER)->setText(QStringLiteral("000001"));
    h.click(IDC_START);

    QCOMPARE(h.boxes.shown.size(), std::size_t(1)); // the confirmation, nothing else
    std::set<std::string> expected;
    for (int i = 1; i <= files; ++i)
        expected.insert(QStringLiteral("p%1.jpg").arg(i, 6, 10, QChar('0')).toStdString());
    QVERIFY(Names(folder) == expected);
    QCOMPARE(dlg.m_listFiles.GetItemCount(), files);
}

QTEST_MAIN(TestSweep)
#include "tst_sweep.moc"
