#include "fs/SafeRename.h"
#include "rename/BatchPreview.h"
#include "support/TestFolder.h"

#include <QtTest>

#include <fstream>

using namespace quorvel;
using namespace quorvel::test;

class TestBatchPreview : public QObject {
    Q_OBJECT

private slots:
    // Above 256 rows the preview matches names against one listing of the folder, where letter
    // case is the file system's to decide: each row is padded to such a batch with absent files.
    void nameTaken_Should_BeFlaggedWhereTheFileSystemSaysSo_data() {
        QTest::addColumn<QStringList>("disk");
        QTest::addColumn<QStringList>("rows");
        QTest::addColumn<Needs>("needs");
        QTest::addColumn<int>("takenAt"); // the row flagged NameTaken; -1 none
        using enum Needs;
        QTest::newRow("another file in another letter case")
            << QStringList{"a.jpg", "IMG_0002.JPG"} << QStringList{"a.jpg", "b.jpg"} << IgnoresCase
            << 1;
        QTest::newRow("a name in another letter case where case counts")
            << QStringList{"a.jpg", "IMG_0002.JPG"} << QStringList{"a.jpg", "b.jpg"} << KeepsCase
            << -1;
        QTest::newRow("own names in another letter case")
            << QStringList{"IMG_0001.JPG", "IMG_0002.JPG"}
            << QStringList{"IMG_0001.JPG", "IMG_0002.JPG"} << Anything << -1;
        QTest::newRow("a name freed in another letter case by an earlier row")
            << QStringList{"IMG_0002.JPG", "b.jpg"} << QStringList{"IMG_0002.JPG", "b.jpg"}
            << Anything << -1;
    }
    void nameTaken_Should_BeFlaggedWhereTheFileSystemSaysSo() {
        QFETCH(QStringList, disk);
        QFETCH(QStringList, rows);
        QFETCH(Needs, needs);
        QFETCH(int, takenAt);
        if (!Applies(needs, TestFileSystem()))
            QSKIP("the row is for another kind of file system");
        const TestFolder dir;
        for (const QString& name : disk)
            std::ofstream(dir.path() + "/" + name.toStdString()) << "x";
        std::vector<std::string> olds;
        for (int k = 0; k < 300; ++k)
            olds.push_back(k < rows.size() ? rows[k].toStdString() : "absent" + std::to_string(k));
        const NameBuilder names("IMG_", "0001", 1);
        QList<int> taken;
        for (const BatchProblem& p :
             FindBatchProblems(FolderHandle(dir.path()).fd(), PlanBatch(names, olds), names))
            taken << (p.kind == BatchProblemKind::NameTaken ? int(p.row) : -2);
        QCOMPARE(taken, takenAt < 0 ? QList<int>() : QList<int>{takenAt});
    }
};

QTEST_MAIN(TestBatchPreview)
#include "tst_batchpreview.moc"
