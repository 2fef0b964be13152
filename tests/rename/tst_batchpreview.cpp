#include "platform/SafeRename.h"
#include "rename/BatchPreview.h"
#include "support/MainWindowHarness.h"

#include <QtTest>

#include <filesystem>
#include <map>

#include <unistd.h>

using namespace quorvel;
using namespace quorvel::test;
namespace fs = std::filesystem;

static QStringList Numbered(int count, const char* pattern) {
    QStringList names;
    for (int i = 1; i <= count; ++i)
        names << QString::asprintf(pattern, i);
    return names;
}

class TestBatchPreview : public QObject {
    Q_OBJECT

private slots:
    void previewLines_Should_BeTheNamesTheBatchGives_data();
    void previewLines_Should_BeTheNamesTheBatchGives();
    void problems_Should_BeFlaggedAtTheirRow_data();
    void problems_Should_BeFlaggedAtTheirRow();
};

void TestBatchPreview::previewLines_Should_BeTheNamesTheBatchGives_data() {
    QTest::addColumn<QString>("start");
    for (const char* start : {"001", "9", "", "-1", " 7", "12ab", "abc", "０１２"})
        QTest::newRow(qPrintable(QStringLiteral("start \"%1\"").arg(start))) << start;
}

void TestBatchPreview::previewLines_Should_BeTheNamesTheBatchGives() {
    QFETCH(QString, start);
    MainWindowHarness h;
    const std::string folder = h.workDir() + "/photos";
    fs::create_directory(folder);
    for (const char* name : {"a.JPG", "b.txt", "c", ".d"})
        std::ofstream(folder + "/" + name) << name;
    h.writeIni("[Data]\nFolder=" + folder + "\n");
    h.start().m_listFiles.SetItemState(-1, LVIS_SELECTED, LVIS_SELECTED);
    h.edit(IDC_PREFIX)->setText(QStringLiteral("/p_"));
    h.edit(IDC_STARTNUMBER)->setText(start);
    h.click(IDC_START);

    // "old → new" up to the first empty line, where the problems begin; each file holds its
    // old name.
    std::map<std::string, std::string> planned, renamed;
    for (const QString& line : QString::fromStdString(h.boxes.shown.at(0).details).split('\n')) {
        if (line.isEmpty())
            break;
        planned[line.section(" → ", 1).toStdString()] = line.section(" → ", 0, 0).toStdString();
    }
    for (const auto& entry : fs::directory_iterator(folder))
        std::getline(std::ifstream(entry.path()), renamed[entry.path().filename().string()]);
    QCOMPARE(renamed, planned);
}

void TestBatchPreview::problems_Should_BeFlaggedAtTheirRow_data() {
    QTest::addColumn<QStringList>("disk");
    QTest::addColumn<QStringList>("rows");     // old names; "old>new" sets the new name by hand
    QTest::addColumn<QString>("typed");        // prefix|start; "#": the longest name less 4 bytes
    QTest::addColumn<QStringList>("expected"); // kind@row, from 0
    QTest::addColumn<int>("stopRow");          // from 1; 0: the run would not stop

    const QStringList ab{"a.jpg", "b.jpg"}, none;
    const QStringList n2 = Numbered(2, "%03d.jpg"), n100 = Numbered(100, "%03d.jpg");
    QStringList renumbered;
    for (int row = 0; row < 99; ++row)
        renumbered << QStringLiteral("taken@%1").arg(row);
    QTest::newRow("clean batch") << ab << ab << "p_|001" << none << 0;
    QTest::newRow("own names again") << n2 << n2 << "|001" << none << 0;
    QTest::newRow("name freed by an earlier row")
        << QStringList{"a2.txt", "b.txt"} << QStringList{"a2.txt", "b.txt"} << "a|1" << none << 0;
    QTest::newRow("unselected file under a new name, many rows")
        << Numbered(300, "f%d") + QStringList{"p_300"} << Numbered(300, "f%d") << "p_|001"
        << QStringList{"taken@299"} << 300;
    QTest::newRow("001 to 100 renumbered from 002") << n100 << n100 << "|002" << renumbered << 1;
    QTest::newRow("two rows given one name")
        << ab << QStringList{"a.jpg>x.jpg", "b.jpg>x.jpg"} << "|1" << QStringList{"same@1"} << 2;
    QTest::newRow("001 with 1000 rows")
        << none << Numbered(1000, "f%d") << "|001" << QStringList{"width@999"} << 0;
    QTest::newRow("empty start with 11 rows")
        << none << Numbered(11, "f%d") << "|" << QStringList{"width@10"} << 0;
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
    const std::string text = BatchPreviewText(plan, problems, names);
    QCOMPARE(text.find("止まります") != std::string::npos, stopRow > 0);
    QVERIFY(!stopRow ||
            text.ends_with("変換は " + std::to_string(stopRow) + " 行目で止まります。\n"));
}

QTEST_MAIN(TestBatchPreview)
#include "tst_batchpreview.moc"
