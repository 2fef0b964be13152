#include "rename/NameBuilder.h"
#include "support/MainWindowHarness.h"

#include <QtTest>

#include <cerrno>
#include <filesystem>
#include <map>
#include <set>

using namespace quorvel;
using namespace quorvel::test;
namespace fs = std::filesystem;

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

// The window started on a folder named with Japanese and "%", holding the old files of
// `expected`, each holding its own name, and the subfolders of its new names. The failAt-th
// rename fails with EXDEV.
class Fixture : RenameSystem, public MainWindowHarness {
public:
    explicit Fixture(const Files& expected) {
        for (const auto& [now, old] : expected) {
            fs::create_directories(fs::path(folder + "/" + now).parent_path());
            std::ofstream(folder + "/" + old) << old;
        }
        writeIni("[Data]\nFolder=" + folder + "\n");
        start();
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
    void numbering_Should_FollowAtoiAndShiftJisWidth_data();
    void numbering_Should_FollowAtoiAndShiftJisWidth();
    void newName_Should_KeepOwnExtension_data();
    void newName_Should_KeepOwnExtension();
    void start_Should_RenameSelectedRowsInRowOrder_NeverReplacing_data();
    void start_Should_RenameSelectedRowsInRowOrder_NeverReplacing();
};

void TestRenameSelected::numbering_Should_FollowAtoiAndShiftJisWidth_data() {
    QTest::addColumn<QByteArray>("startText");
    QTest::addColumn<QString>("numbers"); // "k=number": the number of the k-th selected row
    QTest::newRow("default 001 outgrows its width, never cut")
        << QByteArray("001") << QString("0=001 998=999 999=1000");
    QTest::newRow("empty starts at 0 with no padding") << QByteArray("") << QString("0=0 1=1");
    QTest::newRow("zeros after the minus sign, padded again past zero")
        << QByteArray("-05") << QString("0=-05 4=-01 5=000");
    QTest::newRow("C-locale white space and a sign count in the width")
        << QByteArray("\t\n\v\f\r +3a") << QString("0=000000003");
    QTest::newRow("two signs are no number") << QByteArray("--5") << QString("0=000");
    QTest::newRow("no digits in half-width kana, a stray byte, full-width space and digit")
        << QByteArray("ｱ\xff\u3000１") << QString("0=000000");
    QTest::newRow("largest int then wraps to the smallest")
        << QByteArray("2147483647") << QString("0=2147483647 1=-2147483648");
    QTest::newRow("beyond 32 bits wraps modulo 2^32")
        << QByteArray("99999999999") << QString("0=01215752191");
}

void TestRenameSelected::numbering_Should_FollowAtoiAndShiftJisWidth() {
    QFETCH(QByteArray, startText);
    QFETCH(QString, numbers);
    const NameBuilder builder("", startText.toStdString(), 0);
    for (const QString& pair : numbers.split(' '))
        QCOMPARE(builder.NewName("file", pair.section('=', 0, 0).toUInt()),
                 pair.section('=', 1).toStdString());
}

void TestRenameSelected::newName_Should_KeepOwnExtension_data() {
    QTest::addColumn<QByteArray>("oldName");
    QTest::addColumn<int>("lowerExt");
    QTest::addColumn<QByteArray>("expected"); // prefix "P_", start "01"
    QTest::newRow("leading dot only: all is extension")
        << QByteArray(".rc") << 1 << QByteArray("P_01.rc");
    QTest::newRow("the last dot counts, even at the end")
        << QByteArray("写真.b.") << 1 << QByteArray("P_01.");
    QTest::newRow("option 1 lowers bytes A to Z only")
        << QByteArray("X.@AZ[`Ｊ\xfe\x41") << 1 << QByteArray("P_01.@az[`Ｊ\xfe\x61");
    QTest::newRow("option 5 keeps the case") << QByteArray("X.JPG") << 5 << QByteArray("P_01.JPG");
}

void TestRenameSelected::newName_Should_KeepOwnExtension() {
    QFETCH(QByteArray, oldName);
    QFETCH(int, lowerExt);
    QFETCH(QByteArray, expected);
    const NameBuilder builder("P_", "01", lowerExt);
    QCOMPARE(QByteArray::fromStdString(builder.NewName(oldName.toStdString(), 0)), expected);
}

void TestRenameSelected::start_Should_RenameSelectedRowsInRowOrder_NeverReplacing_data() {
    // Rows to select; before that, in order: "k=", "p=", "n=" type the pattern, prefix or start
    // number, "/" a separator after the folder; "down=N" moves row N down, "lower=N" sets the
    // option, "fail=K" fails the K-th rename with EXDEV, "answer=N" answers the confirmation.
    QTest::addColumn<QString>("steps");
    QTest::addColumn<QStringList>("boxes");
    QTest::addColumn<QString>("expected"); // every file afterwards, "new<old"
    QTest::newRow("missing rows refused before the selection counts")
        << "k=*.none 0 p=x" << QStringList{"missing"} << "a<a";
    QTest::newRow("no row selected") << "p=x" << QStringList{"no selection"} << "a<a";
    QTest::newRow("cancelled: nothing read") << "0 p=x answer=2" << QStringList{"confirm"} << "a<a";
    QTest::newRow("answered Yes, not OK") << "0 p=x answer=6" << QStringList{"confirm"} << "a<a";
    QTest::newRow("only the selected rows, in row order after a move")
        << "down=0 0 1 3 p=trip_" << QStringList{"confirm"}
        << "trip_001.jpg<b.jpg trip_002.jpg<a.JPG c.jpg<c.jpg trip_003.jpg<d.jpg";
    QTest::newRow("an existing file is never overwritten: the run stops there")
        << "0 1 2 p=t n=1" << QStringList{"confirm", "failure"} << "t1<a b<b t2<t2";
    QTest::newRow("renaming files onto their own names succeeds")
        << "0 1" << QStringList{"confirm"} << "001.jpg<001.jpg 002.jpg<002.jpg";
    QTest::newRow("leading slashes stay inside the folder typed with a separator")
        << "/ 0 1 p=//sub/x n=1" << QStringList{"confirm"} << "sub/x1<a sub/x2<b c<c";
    QTest::newRow("percent signs and Japanese taken literally; option 0 keeps the case")
        << "0 1 lower=0 p=旅行%s_ n=01" << QStringList{"confirm"}
        << "旅行%s_01.%d<a夏.%d 旅行%s_02.%S<b.%S";
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
        const QString value = step.section('=', 1);
        if (step.startsWith("down=")) {
            f.select({value.toInt()});
            f.click(IDC_DOWN);
        } else if (step.startsWith("lower=")) {
            f.dlg->m_bLowerExt = value.toInt();
        } else if (step.startsWith("fail=")) {
            f.failAt = value.toInt();
        } else if (step.startsWith("answer=")) {
            f.boxes.answers = {value.toInt()};
        } else if (step.contains('=')) {
            const int ids[] = {IDC_FILTER, IDC_PREFIX, IDC_STARTNUMBER};
            f.edit(ids[QString("kpn").indexOf(step[0])])->setText(value);
        } else if (step == "/") {
            f.edit(IDC_FOLDER)->setText(QString::fromStdString(f.folder + "/"));
        } else {
            selected << step.toInt();
        }
    }
    f.select(selected);
    const bool runs = boxes[0] == "confirm" && f.boxes.answers.empty();
    f.click(IDC_START);

    QStringList shown, named;
    for (const FakeMessageBox::Shown& box : f.boxes.shown)
        shown << QString::fromStdString(box.caption + " " + std::to_string(box.style) + " " +
                                        box.text);
    for (const QString& name : boxes)
        named << kBoxes.value(name);
    QCOMPARE(shown, named);
    QCOMPARE(f.snapshot(), Parse(expected));
    // A run lists the folder afresh and keeps the texts it read; a refusal reads and lists nothing.
    QCOMPARE(f.dlg->m_listFiles.GetSelectedCount(), runs ? 0 : int(selected.size()));
    QCOMPARE(f.dlg->m_strPrefix, runs ? f.edit(IDC_PREFIX)->text().toStdString() : "");
    if (runs) {
        std::set<std::string> files;
        for (const auto& entry : fs::directory_iterator(f.folder))
            if (entry.is_regular_file())
                files.insert(entry.path().filename());
        const std::vector<std::string> rows = f.names();
        QCOMPARE(std::set<std::string>(rows.begin(), rows.end()), files);
    }
}

QTEST_MAIN(TestRenameSelected)
#include "tst_renameselected.moc"
