#include "support/MainWindowHarness.h"

#include <QtTest>

#include <fcntl.h>
#include <filesystem>
#include <unistd.h>

using namespace quorvel;
using namespace quorvel::test;

// Extreme folders through list, sort, select all and rename: every file accounted for.
class TestSweep : public QObject {
    Q_OBJECT

private slots:
    void workflow_Should_AccountForEveryFile_data() {
        QTest::addColumn<int>("files");
        QTest::addColumn<int>("nameBytes");   // of the base name, at least
        QTest::addColumn<int>("folderBytes"); // at least this long a folder path
        QTest::newRow("names of 255 bytes") << 50 << 251 << 0;
        QTest::newRow("folder path near 4096 bytes") << 20 << 40 << 3900;
        QTest::newRow("100,000 Japanese names") << 100000 << 0 << 0;
    }

    void workflow_Should_AccountForEveryFile() {
        QFETCH(int, files);
        QFETCH(int, nameBytes);
        QFETCH(int, folderBytes);
        MainWindowHarness h;
        h.start();
        std::string folder = h.workDir() + "/photos";
        while (int(folder.size()) < folderBytes)
            folder += "/" + QString("深").repeated(20).toStdString();
        std::filesystem::create_directories(folder);
        // Hard links make 100,000 names cheaply (a file takes at most 65,000 of them).
        const std::string origin = folder + "/origin";
        for (int i = 0; i < files; ++i) {
            if (i % 50000 == 0) {
                unlink(origin.c_str());
                QVERIFY(close(open(origin.c_str(), O_CREAT | O_WRONLY, 0644)) == 0);
            }
            std::string name = QStringLiteral("写真_%1").arg(i, 6, 10, QChar('0')).toStdString();
            name += std::string(std::max(0, nameBytes - int(name.size())), 'x') + ".JPG";
            QVERIFY2(link(origin.c_str(), (folder + "/" + name).c_str()) == 0, name.c_str());
        }
        QVERIFY(unlink(origin.c_str()) == 0);

        h.edit(IDC_FOLDER)->setText(QString::fromStdString(folder));
        for (int column : {1, 0, 0}) {
            Message click{WM_NOTIFY, LVN_COLUMNCLICK, IDC_FILELIST, true};
            click.subItem = column;
            h.dlg->Dispatch(click);
        }
        h.click(IDC_SELECTALL);
        h.edit(IDC_PREFIX)->setText(QStringLiteral("p"));
        h.edit(IDC_STARTNUMBER)->setText(QStringLiteral("000001"));
        h.click(IDC_START);

        QCOMPARE(h.boxes.shown.size(), std::size_t(1)); // the confirmation, nothing else
        QStringList expected;
        for (int i = 1; i <= files; ++i)
            expected << QStringLiteral("p%1.jpg").arg(i, 6, 10, QChar('0'));
        QVERIFY(QDir(QString::fromStdString(folder)).entryList(QDir::Files) == expected);
        QCOMPARE(h.dlg->m_listFiles.GetItemCount(), files);
    }
};

QTEST_MAIN(TestSweep)
#include "tst_sweep.moc"
