#include "rename/NameBuilder.h"
#include "support/MainWindowHarness.h"

#include <QtTest>

#include <cerrno>
#include <filesystem>
#include <map>

using namespace quorvel;
using namespace quorvel::test;
namespace fs = std::filesystem;

namespace {

// The boxes a start can show, in the words, captions and styles the user sees.
enum class Box { Missing, NoSelection, Confirm, Failure };

QString Describe(const std::string& caption, unsigned style, const std::string& text) {
    return QString::fromStdString(caption + " " + std::to_string(style) + " " + text);
}

QString Describe(Box box) {
    switch (box) {
    case Box::Missing:
        return Describe("Tessaly", 0x30,
                        "ファイルもしくはフォルダが存在しない場合は\n変換はできません。");
    case Box::NoSelection:
        return Describe(
            "Tessaly", 0x30,
            "ファイルが選択されていません。\nファイルを選択してから操作を行って下さい。");
    case Box::Confirm:
        return Describe("確認", 0x41, "ファイル名を変更します。よろしいですか？");
    case Box::Failure:
        return Describe("Quorvel", 0x10, "既に同名のファイル名がフォルダ内に存在します。");
    }
    return {};
}

// Every file below the folder, by path, with the name of the file whose content it holds (each
// file is made holding its own name).
using Files = QMap<QString, QString>;

// A folder named with Japanese and "%", typed with a separator, holding the old files and the
// subfolders of the new names; the failAt-th rename fails with EXDEV.
class Fixture : RenameSystem, public MainWindowHarness {
public:
    Fixture(const Files& expected, int smallCheck) {
        for (auto it = expected.begin(); it != expected.end(); ++it) {
            fs::create_directories(fs::path(folder + "/" + it.key().toStdString()).parent_path());
            std::ofstream(folder + "/" + it.value().toStdString()) << it.value().toStdString();
        }
        writeIni("[Data]\nFolder=" + folder +
                 "\n[Config]\nSmallCheck=" + std::to_string(smallCheck) + "\n");
        start();
        edit(IDC_FOLDER)->setText(QString::fromStdString(folder + "/"));
    }
    ~Fixture() { dlg.reset(); } // the window still uses this rename system while it closes
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
                files[QString::fromStdString(fs::relative(entry.path(), folder))] =
                    QString::fromStdString({std::istreambuf_iterator<char>(in), {}});
        return files;
    }
    int failAt = 0, renames = 0;
    const std::string folder = workDir() + "/写真%d%s";
};

} // namespace

class TestRenameSelected : public QObject {
    Q_OBJECT

private slots:
    void newName_Should_FollowAtoi_And_KeepOwnExtension_data() {
        QTest::addColumn<QByteArray>("start");
        QTest::addColumn<int>("lowerExt");
        QTest::addColumn<uint>("k"); // the k-th selected row
        QTest::addColumn<QByteArray>("oldName");
        QTest::addColumn<QByteArray>("newName");
        const auto row = [](const char* what, QByteArray start, int lowerExt, uint k,
                            QByteArray oldName, QByteArray newName) {
            QTest::newRow(what) << start << lowerExt << k << oldName << newName;
        };
        row("001 pads to three", "001", 0, 0, "f", "P001");
        row("001 outgrows its width, never cut", "001", 0, 999, "f", "P1000");
        row("C-locale white space and sign count in the width, zeros after the sign",
            "\t\n\v\f\r -05", 0, 0, "f", "P-00000005");
        row("empty: no zeros", "", 0, 2, "f", "P2");
        row("letters after the digits", "12ab", 0, 1, "f", "P0013");
        row("int wraps", "2147483647", 0, 1, "f", "P-2147483648");
        row("full-width digits: no number, two columns each", "００１", 0, 1, "f", "P000001");
        row("the last dot counts", "1", 0, 0, "写真.b.", "P1.");
        row("no dot, no extension", "1", 0, 0, "README", "P1");
        row("a leading dot: the whole name", "1", 0, 0, ".Profile", "P1.Profile");
        row("option 1 lowers A to Z only", "1", 1, 0, "X.@AZ[`Ｊ\xfe\x41", "P1.@az[`Ｊ\xfe\x61");
        row("option 2 leaves the extension", "1", 2, 0, "X.JPG", "P1.JPG");
        row("option -1 leaves the extension", "1", -1, 0, "X.JPG", "P1.JPG");
    }
    void newName_Should_FollowAtoi_And_KeepOwnExtension() {
        QFETCH(QByteArray, start);
        QFETCH(int, lowerExt);
        QFETCH(uint, k);
        QFETCH(QByteArray, oldName);
        QFETCH(QByteArray, newName);
        const NameBuilder builder("P", start.toStdString(), lowerExt);
        QCOMPARE(QByteArray::fromStdString(builder.NewName(oldName.toStdString(), k)), newName);
    }

    void start_Should_RenameSelectedRowsInRowOrder_NeverReplacing_data() {
        QTest::addColumn<QString>("filter"); // typed into the pattern box; "" leaves it
        QTest::addColumn<int>("movedDown");  // row moved down before the selection; -1 none
        QTest::addColumn<QList<int>>("selected");
        QTest::addColumn<QString>("prefix");
        QTest::addColumn<QString>("start"); // "" leaves the saved 001
        QTest::addColumn<int>("smallCheck");
        QTest::addColumn<int>("failAt"); // the rename that fails; 0 none
        QTest::addColumn<bool>("cancel");
        QTest::addColumn<QList<Box>>("boxes");
        QTest::addColumn<Files>("after");
        const auto row = [](const char* what, QString filter, int movedDown, QList<int> selected,
                            QString prefix, QString start, int smallCheck, int failAt, bool cancel,
                            QList<Box> boxes, Files after) {
            QTest::newRow(what) << filter << movedDown << selected << prefix << start << smallCheck
                                << failAt << cancel << boxes << after;
        };
        const QList<Box> confirmed{Box::Confirm};
        row("missing rows refused before the selection counts", "*.none", -1, {}, "x", "", 0, 0,
            false, {Box::Missing}, {{"a", "a"}});
        row("no row selected", "", -1, {}, "x", "", 0, 0, false, {Box::NoSelection}, {{"a", "a"}});
        row("cancelled: nothing read", "", -1, {0}, "x", "", 0, 0, true, confirmed, {{"a", "a"}});
        row("only the selected rows, in row order after a move", "", 0, {0, 1, 3}, "trip_", "", 1,
            0, false, confirmed,
            {{"trip_001.jpg", "b.jpg"},
             {"trip_002.jpg", "a.JPG"},
             {"c.jpg", "c.jpg"},
             {"trip_003.jpg", "d.jpg"}});
        row("option 1 lowers the extension", "", -1, {0}, "p", "1", 1, 0, false, confirmed,
            {{"p1.jpg", "A.JPG"}});
        row("option 2 leaves it", "", -1, {0}, "p", "1", 2, 0, false, confirmed,
            {{"p1.JPG", "A.JPG"}});
        row("option 5 leaves it", "", -1, {0}, "p", "1", 5, 0, false, confirmed,
            {{"p1.JPG", "A.JPG"}});
        row("full-width start number: width 6", "", -1, {0, 1}, "p", "００１", 0, 0, false,
            confirmed, {{"p000000.a", "x.a"}, {"p000001.b", "y.b"}});
        row("an existing file is never overwritten: the run stops there", "", -1, {0, 1, 2}, "t",
            "1", 0, 0, false, {Box::Confirm, Box::Failure},
            {{"t1", "a"}, {"b", "b"}, {"t2", "t2"}});
        row("renaming files onto their own names succeeds", "", -1, {0, 1}, "", "", 0, 0, false,
            confirmed, {{"001.jpg", "001.jpg"}, {"002.jpg", "002.jpg"}});
        row("leading slashes stay inside the folder typed with a separator", "", -1, {0, 1},
            "//sub/x", "1", 0, 0, false, confirmed, {{"sub/x1", "a"}, {"sub/x2", "b"}, {"c", "c"}});
        row("percent signs and Japanese taken literally", "", -1, {0, 1}, "旅行%s_", "01", 1, 0,
            false, confirmed, {{"旅行%s_01.%d", "a夏.%d"}, {"旅行%s_02.%s", "b.%S"}});
        row("a failed move stops the run, keeps earlier renames and copies nothing", "", -1,
            {0, 1, 2, 3}, "t", "1", 0, 3, false, {Box::Confirm, Box::Failure},
            {{"t1", "a"}, {"t2", "b"}, {"c", "c"}, {"d", "d"}});
    }
    void start_Should_RenameSelectedRowsInRowOrder_NeverReplacing() {
        QFETCH(QString, filter);
        QFETCH(int, movedDown);
        QFETCH(QList<int>, selected);
        QFETCH(QString, prefix);
        QFETCH(QString, start);
        QFETCH(int, smallCheck);
        QFETCH(int, failAt);
        QFETCH(bool, cancel);
        QFETCH(QList<Box>, boxes);
        QFETCH(Files, after);
        Fixture f(after, smallCheck);
        if (!filter.isEmpty())
            f.edit(IDC_FILTER)->setText(filter);
        if (movedDown >= 0) {
            f.select({movedDown});
            f.click(IDC_DOWN);
        }
        f.edit(IDC_PREFIX)->setText(prefix);
        if (!start.isEmpty())
            f.edit(IDC_STARTNUMBER)->setText(start);
        f.failAt = failAt;
        if (cancel)
            f.boxes.answers = {IDCANCEL};
        f.select(selected);
        f.click(IDC_START);

        QStringList shown, expectedBoxes;
        for (const FakeMessageBox::Shown& b : f.boxes.shown)
            shown << Describe(b.caption, b.style, b.text);
        for (Box box : boxes)
            expectedBoxes << Describe(box);
        QCOMPARE(shown, expectedBoxes);
        const Files found = f.snapshot();
        QCOMPARE(found, after);
        // The confirmation previews each "old → new" the run then does.
        const bool runs = boxes[0] == Box::Confirm && !cancel;
        const QString preview = QString::fromStdString(runs ? f.boxes.shown[0].details : "");
        const QStringList lines = preview.section("\n\n", 0, 0).split('\n', Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), runs ? selected.size() : 0);
        for (const QString& line : boxes.size() == 1 ? lines : QStringList())
            QCOMPARE(found.value(line.section(" → ", 1)), line.section(" → ", 0, 0));
        // A run keeps the texts it read and lists the folder afresh; a refusal reads nothing.
        QCOMPARE(QString::fromStdString(f.dlg->m_strPrefix), runs ? prefix : QString());
        QCOMPARE(f.edit(IDC_PREFIX)->text(), prefix);
        for (const std::string& name : runs ? f.names() : std::vector<std::string>())
            QVERIFY(found.contains(QString::fromStdString(name)));
    }
};

QTEST_MAIN(TestRenameSelected)
#include "tst_renameselected.moc"
