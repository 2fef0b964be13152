#include "platform/SafeRename.h"
#include "rename/BatchPreview.h"

#include <QtTest>

#include <fstream>

#include <unistd.h>

using namespace quorvel;

class TestBatchPreview : public QObject {
    Q_OBJECT

private slots:
    void problems_Should_BeFlaggedAtTheirRow_data();
    void problems_Should_BeFlaggedAtTheirRow();
};

void TestBatchPreview::problems_Should_BeFlaggedAtTheirRow_data() {
    QTest::addColumn<QStringList>("disk");
    QTest::addColumn<QStringList>("rows");     // old names; "old>new" sets the new name by hand
    QTest::addColumn<QString>("typed");        // prefix|start; "#": the longest name less 4 bytes
    QTest::addColumn<QStringList>("expected"); // kind@row, from 0
    QTest::addColumn<int>("stopRow");          // from 1; 0: the run would not stop

    const QStringList ab{"a.jpg", "b.jpg"}, none;
    const QStringList n2{"001.jpg", "002.jpg"};
    QTest::newRow("own names again") << n2 << n2 << "|001" << none << 0;
    QTest::newRow("name freed by an earlier row")
        << QStringList{"a2.txt", "b.txt"} << QStringList{"a2.txt", "b.txt"} << "a|1" << none << 0;
    QTest::newRow("unselected file under a new name")
        << QStringList{"a.jpg", "b.jpg", "p_2.jpg"} << ab << "p_|1" << QStringList{"taken@1"} << 2;
    QTest::newRow("two rows given one name")
        << ab << QStringList{"a.jpg>x.jpg", "b.jpg>x.jpg"} << "|1" << QStringList{"same@1"} << 2;
    QTest::newRow("9 outgrows its width") << none << ab << "|9" << QStringList{"width@1"} << 0;
    QTest::newRow("name one byte over the limit")
        << none << QStringList{"a.jp", "b.jpg"} << "#|1" << QStringList{"long@1"} << 2;
}

void TestBatchPreview::problems_Should_BeFlaggedAtTheirRow() {
    QFETCH(QStringList, disk);
    QFETCH(QStringList, rows);
    QFETCH(QString, typed);
    QFETCH(QStringList, expected);
    QFETCH(int, stopRow);
    QTemporaryDir dir;
    for (const QString& name : disk)
        std::ofstream(dir.filePath(name).toStdString()) << "x";
    typed.replace("#", QString(pathconf(dir.path().toUtf8(), _PC_NAME_MAX) - 4, 'n'));

    const NameBuilder names(typed.section('|', 0, 0).toStdString(),
                            typed.section('|', 1).toStdString(), 1);
    std::vector<std::string> olds;
    for (const QString& row : rows)
        olds.push_back(row.section('>', 0, 0).toStdString());
    std::vector<PlannedRename> plan = PlanBatch(names, olds);
    for (int k = 0; k < rows.size(); ++k)
        if (rows[k].contains('>'))
            plan[k].newName = rows[k].section('>', 1).toStdString();
    const FolderHandle folder(dir.path().toStdString());
    const auto problems = FindBatchProblems(folder.fd(), plan, names);

    const QStringList kinds{"taken", "same", "width", "long"};
    QStringList found;
    for (const BatchProblem& p : problems)
        found << kinds[int(p.kind)] + "@" + QString::number(p.row);
    QCOMPARE(found, expected);
    QCOMPARE(BatchPreviewText(plan, problems, names)
                 .ends_with("変換は " + std::to_string(stopRow) + " 行目で止まります。\n"),
             stopRow > 0);
}

QTEST_MAIN(TestBatchPreview)
#include "tst_batchpreview.moc"
