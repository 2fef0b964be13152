#include "fs/SafeRename.h"
#include "rename/BatchPreview.h"
#include "support/TestFolder.h"

#include <QtTest>

#include <fstream>

#include <unistd.h>

using namespace quorvel;
using namespace quorvel::test;

namespace {

struct Row {
    std::string oldName;
    std::string newName{}; // empty: the one the prefix and the start number give
};
using Rows = std::vector<Row>;

struct Problem {
    BatchProblemKind kind;
    std::size_t row; // from 0
    friend bool operator==(const Problem&, const Problem&) = default;
};
using Problems = std::vector<Problem>;

QStringList Printed(const Problems& problems) {
    QStringList lines;
    for (const Problem& p : problems)
        lines << QString::number(int(p.kind)) + "@" + QString::number(p.row);
    return lines;
}

} // namespace

Q_DECLARE_METATYPE(Rows)
Q_DECLARE_METATYPE(Problems)

class TestBatchPreview : public QObject {
    Q_OBJECT

private slots:
    void problems_Should_BeFlaggedAtTheirRow_data();
    void problems_Should_BeFlaggedAtTheirRow();
};

void TestBatchPreview::problems_Should_BeFlaggedAtTheirRow_data() {
    QTest::addColumn<QStringList>("disk");
    QTest::addColumn<Rows>("rows");
    QTest::addColumn<int>("batchSize"); // the rows, then rows of files that do not exist
    QTest::addColumn<QString>("prefix");
    QTest::addColumn<bool>("longPrefix"); // the prefix fills the longest name but 4 bytes
    QTest::addColumn<QString>("start");
    QTest::addColumn<Needs>("needs");
    QTest::addColumn<Problems>("expected");
    QTest::addColumn<int>("stopRow"); // from 1; 0: the run would not stop
    using enum Needs;
    using enum BatchProblemKind;
    const QStringList n2{"001.jpg", "002.jpg"};
    const Rows ab{{"a.jpg"}, {"b.jpg"}};
    const QStringList otherCase{"a.jpg", "IMG_0002.JPG"};
    const QStringList camera{"IMG_0001.JPG", "IMG_0002.JPG"};
    const Rows cameraRows{{"IMG_0001.JPG"}, {"IMG_0002.JPG"}};
    const QStringList freed{"IMG_0002.JPG", "b.jpg"};
    const Rows freedRows{{"IMG_0002.JPG"}, {"b.jpg"}};

    QTest::newRow("own names again") << n2 << Rows{{"001.jpg"}, {"002.jpg"}} << 2 << "" << false
                                     << "001" << Anything << Problems{} << 0;
    QTest::newRow("a name freed by an earlier row")
        << QStringList{"a2.txt", "b.txt"} << Rows{{"a2.txt"}, {"b.txt"}} << 2 << "a" << false << "1"
        << Anything << Problems{} << 0;
    QTest::newRow("an unselected file under a new name")
        << QStringList{"a.jpg", "b.jpg", "p_2.jpg"} << ab << 2 << "p_" << false << "1" << Anything
        << Problems{{NameTaken, 1}} << 2;
    QTest::newRow("two rows given one name")
        << QStringList{"a.jpg", "b.jpg"} << Rows{{"a.jpg", "x.jpg"}, {"b.jpg", "x.jpg"}} << 2 << ""
        << false << "1" << Anything << Problems{{SameNewName, 1}} << 2;
    QTest::newRow("9 outgrows its width") << QStringList{} << ab << 2 << "" << false << "9"
                                          << Anything << Problems{{NumberOutgrowsWidth, 1}} << 0;
    QTest::newRow("a name one byte over the limit")
        << QStringList{} << Rows{{"a.jp"}, {"b.jpg"}} << 2 << "" << true << "1" << Anything
        << Problems{{NameTooLong, 1}} << 2;

    for (const int size : {2, 300}) {
        const QByteArray batch = " in a batch of " + QByteArray::number(size);
        QTest::newRow("another file in another letter case" + batch)
            << otherCase << ab << size << "IMG_" << false << "0001" << IgnoresCase
            << Problems{{NameTaken, 1}} << 2;
        QTest::newRow("a name in another letter case where case counts" + batch)
            << otherCase << ab << size << "IMG_" << false << "0001" << KeepsCase << Problems{} << 0;
        QTest::newRow("own names in another letter case" + batch)
            << camera << cameraRows << size << "IMG_" << false << "0001" << Anything << Problems{}
            << 0;
        QTest::newRow("a name freed in another letter case by an earlier row" + batch)
            << freed << freedRows << size << "IMG_" << false << "0001" << Anything << Problems{}
            << 0;
    }
}

void TestBatchPreview::problems_Should_BeFlaggedAtTheirRow() {
    QFETCH(QStringList, disk);
    QFETCH(Rows, rows);
    QFETCH(int, batchSize);
    QFETCH(QString, prefix);
    QFETCH(bool, longPrefix);
    QFETCH(QString, start);
    QFETCH(Needs, needs);
    QFETCH(Problems, expected);
    QFETCH(int, stopRow);
    if (!Applies(needs, TestFileSystem()))
        QSKIP("the row is for another kind of file system");
    const TestFolder dir;
    for (const QString& name : disk)
        std::ofstream(dir.path() + "/" + name.toStdString()) << "x";
    if (longPrefix)
        prefix = QString(pathconf(dir.path().c_str(), _PC_NAME_MAX) - 4, 'n');

    const NameBuilder names(prefix.toStdString(), start.toStdString(), 1);
    std::vector<std::string> olds;
    for (int k = 0; k < batchSize; ++k)
        olds.push_back(k < int(rows.size()) ? rows[k].oldName : "absent_" + std::to_string(k));
    std::vector<PlannedRename> plan = PlanBatch(names, olds);
    for (std::size_t k = 0; k < rows.size(); ++k)
        if (!rows[k].newName.empty())
            plan[k].newName = rows[k].newName;
    const FolderHandle folder(dir.path());
    std::vector<BatchProblem> found = FindBatchProblems(folder.fd(), plan, names);

    Problems problems;
    for (const BatchProblem& p : found)
        problems.push_back({p.kind, p.row});
    QCOMPARE(Printed(problems), Printed(expected));
    QCOMPARE(BatchPreviewText(plan, found, names)
                 .ends_with("変換は " + std::to_string(stopRow) + " 行目で止まります。\n"),
             stopRow > 0);
}

QTEST_MAIN(TestBatchPreview)
#include "tst_batchpreview.moc"
