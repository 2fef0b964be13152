#include "rename/NameBuilder.h"
#include "support/MainWindowHarness.h"

#include <QtTest>

#include <cerrno>
#include <filesystem>
#include <map>

using namespace quorvel;
using namespace quorvel::test;
namespace fs = std::filesystem;
using namespace Qt::StringLiterals;

namespace {

using Files = std::map<std::string, std::string>; // path below the folder -> content

const QMap<QString, QString> kBoxes{
    {"missing", "Tessaly 48 ファイルもしくはフォルダが存在しない場合は\n変換はできません。"},
    {"no selection",
     "Tessaly 48 ファイルが選択されていません。\nファイルを選択してから操作を行って下さい。"},
    {"confirm", "確認 65 ファイル名を変更します。よろしいですか？"},
    {"failure", "Quorvel 16 既に同名のファイル名がフォルダ内に存在します。"},
};

Files Parse(const QString& pairs) { // "new<old": file new holds what old held
    Files files;
    for (const QString& pair : pairs.split(' '))
        files[pair.section('<', 0, 0).toStdString()] = pair.section('<', 1).toStdString();
    return files;
}

// A folder named with Japanese and "%", typed with a separator, holding the old files (each holding
// its own name) and the subfolders of the new names; the failAt-th rename fails with EXDEV.
class Fixture : RenameSystem, public MainWindowHarness {
public:
    explicit Fixture(const Files& expected) {
        for (const auto& [now, old] : expected) {
            fs::create_directories(fs::path(folder + "/" + now).parent_path());
            std::ofstream(folder + "/" + old) << old;
        }
        writeIni("[Data]\nFolder=" + folder + "\n");
        start();
        edit(IDC_FOLDER)->setText(QString::fromStdString(folder + "/"));
    }
    RenameSystem& renameSystem() override { return *this; }
    int Renameat2NoReplace(int dirfd, const char* from, const char* to) override {
        return ++renames == failAt ? EXDEV : RenameSystem::Renameat2NoReplace(dirfd, from, to);
    }
    void select(const QList<int>& rows) {
        dlg->m_listFiles.SetItemState(-1, 0, LVIS_SELECTED | LVIS_FOCUSED);
        for (int r : rows)
            dlg->m_listFiles.SetItemState(r, LVIS_SELECTED, LVIS_SELECTED);
    }
    Files snapshot() const {
        Files files;
        for (const auto& entry : fs::recursive_directory_iterator(folder))
            if (std::ifstream in(entry.path()); entry.is_regular_file())
                files[fs::relative(entry.path(), folder)] = {std::istreambuf_iterator<char>(in),
                                                             {}};
        return files;
    }
    int failAt = 0, renames = 0;
    const std::string folder = workDir() + "/写真%d%s";
};

} // namespace

class TestRenameSelected : public QObject {
    Q_OBJECT

private slots:
    void newName_Should_FollowAtoiAndKeepOwnExtension_data();
    void newName_Should_FollowAtoiAndKeepOwnExtension();
    void start_Should_RenameSelectedRowsInRowOrder_NeverReplacing_data();
    void start_Should_RenameSelectedRowsInRowOrder_NeverReplacing();
};

void TestRenameSelected::newName_Should_FollowAtoiAndKeepOwnExtension_data() {
    QTest::addColumn<QByteArray>("start");
    QTest::addColumn<QByteArray>("cases"); // "k:old>new": the k-th selected row's new name
    QTest::newRow("001 outgrows its width, never cut") << "001"_ba
                                                       << "0:f>001 999:f>1000"_ba;
    QTest::newRow("C-locale white space and sign count in the width, zeros after the sign")
        << "\t\n\v\f\r -05"_ba
        << "0:f>-00000005 5:f>000000000"_ba;
    QTest::newRow("int wraps") << "2147483647"_ba
                               << "0:f>2147483647 1:f>-2147483648"_ba;
    QTest::newRow("the last dot counts; option 1 lowers A to Z only")
        << "1"_ba
        << "0:写真.b.>1. 0:X.@AZ[`Ｊ\xfe\x41>1.@az[`Ｊ\xfe\x61"_ba;
}

void TestRenameSelected::newName_Should_FollowAtoiAndKeepOwnExtension() {
    QFETCH(QByteArray, start);
    QFETCH(QByteArray, cases);
    const NameBuilder builder("P", start.toStdString(), 1);
    for (const QByteArray& c : cases.split(' ')) {
        const qsizetype colon = c.indexOf(':'), arrow = c.indexOf('>');
        QCOMPARE(builder.NewName(c.mid(colon + 1, arrow - colon - 1).toStdString(),
                                 c.left(colon).toUInt()),
                 "P" + c.mid(arrow + 1).toStdString());
    }
}

void TestRenameSelected::start_Should_RenameSelectedRowsInRowOrder_NeverReplacing_data() {
    // Numbers select rows; "k=", "p=", "n=" type the pattern, prefix or start number; "down=N"
    // moves row N down, "fail=K" fails the K-th rename, "answer=N" answers the confirmation.
    QTest::addColumn<QString>("steps");
    QTest::addColumn<QStringList>("boxes");
    QTest::addColumn<QString>("expected"); // every file afterwards, "new<old"
    QTest::newRow("missing rows refused before the selection counts")
        << "k=*.none 0 p=x" << QStringList{"missing"} << "a<a";
    QTest::newRow("no row selected") << "p=x" << QStringList{"no selection"} << "a<a";
    QTest::newRow("cancelled: nothing read") << "0 p=x answer=2" << QStringList{"confirm"} << "a<a";
    QTest::newRow("only the selected rows, in row order after a move")
        << "down=0 0 1 3 p=trip_" << QStringList{"confirm"}
        << "trip_001.jpg<b.jpg trip_002.jpg<a.JPG c.jpg<c.jpg trip_003.jpg<d.jpg";
    QTest::newRow("an existing file is never overwritten: the run stops there")
        << "0 1 2 p=t n=1" << QStringList{"confirm", "failure"} << "t1<a b<b t2<t2";
    QTest::newRow("renaming files onto their own names succeeds")
        << "0 1" << QStringList{"confirm"} << "001.jpg<001.jpg 002.jpg<002.jpg";
    QTest::newRow("leading slashes stay inside the folder typed with a separator")
        << "0 1 p=//sub/x n=1" << QStringList{"confirm"} << "sub/x1<a sub/x2<b c<c";
    QTest::newRow("percent signs and Japanese taken literally")
        << "0 1 p=旅行%s_ n=01" << QStringList{"confirm"}
        << "旅行%s_01.%d<a夏.%d 旅行%s_02.%s<b.%S";
    QTest::newRow("a failed move stops the run, keeps earlier renames and copies nothing")
        << "0 1 2 3 fail=3 p=t n=1" << QStringList{"confirm", "failure"} << "t1<a t2<b c<c d<d";
}

void TestRenameSelected::start_Should_RenameSelectedRowsInRowOrder_NeverReplacing() {
    QFETCH(QString, steps);
    QFETCH(QStringList, boxes);
    QFETCH(QString, expected);
    Fixture f(Parse(expected));
    QList<int> selected;
    for (const QString& step : steps.split(' ')) {
        const QString key = step.section('=', 0, 0), value = step.section('=', 1);
        if (key == "down") {
            f.select({value.toInt()});
            f.click(IDC_DOWN);
        } else if (key == "fail") {
            f.failAt = value.toInt();
        } else if (key == "answer") {
            f.boxes.answers = {value.toInt()};
        } else if (step.contains('=')) {
            const int ids[] = {IDC_FILTER, IDC_PREFIX, IDC_STARTNUMBER};
            f.edit(ids[QString("kpn").indexOf(step[0])])->setText(value);
        } else {
            selected << step.toInt();
        }
    }
    f.select(selected);
    const bool runs = boxes[0] == "confirm" && f.boxes.answers.empty();
    f.click(IDC_START);

    QStringList shown, named;
    for (const FakeMessageBox::Shown& b : f.boxes.shown)
        shown << QString::fromStdString(b.caption + " " + std::to_string(b.style) + " " + b.text);
    for (const QString& name : boxes)
        named << kBoxes.value(name);
    QCOMPARE(shown, named);
    const Files after = f.snapshot();
    QCOMPARE(after, Parse(expected));
    // The confirmation previews each "old → new" the run then does.
    const QString preview = QString::fromStdString(runs ? f.boxes.shown[0].details : "");
    const QStringList lines = preview.section("\n\n", 0, 0).split('\n', Qt::SkipEmptyParts);
    QCOMPARE(lines.size(), runs ? selected.size() : 0);
    for (const QString& line : boxes.size() == 1 ? lines : QStringList())
        QCOMPARE(after.at(line.section(" → ", 1).toStdString()),
                 line.section(" → ", 0, 0).toStdString());
    // A run keeps the texts it read and lists the folder afresh; a refusal reads nothing.
    QCOMPARE(f.dlg->m_strPrefix, runs ? f.edit(IDC_PREFIX)->text().toStdString() : "");
    for (const std::string& row : runs ? f.names() : std::vector<std::string>())
        QVERIFY(after.contains(row));
}

QTEST_MAIN(TestRenameSelected)
#include "tst_renameselected.moc"
