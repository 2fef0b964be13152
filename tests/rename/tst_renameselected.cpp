#include "platform/FileListView.h"
#include "platform/SafeRename.h"
#include "support/MainWindowHarness.h"

#include <QHeaderView>
#include <QtTest>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>

#include <fcntl.h>
#include <sys/stat.h>

using namespace quorvel;
using namespace quorvel::test;

namespace {

namespace fs = std::filesystem;

const char* const kConfirmText = "ファイル名を変更します。よろしいですか？";
const char* const kClashText = "既に同名のファイル名がフォルダ内に存在します。";
const char* const kMissingText = "ファイルもしくはフォルダが存在しない場合は\n変換はできません。";
const char* const kNoSelectionText =
    "ファイルが選択されていません。\nファイルを選択してから操作を行って下さい。";

std::string ContentOf(const std::string& name) {
    return "content of " + name;
}

// Each file holds a content naming it, so every file can be traced after the run; the n-th
// file is an hour younger than the one before, so the date order is the order given here.
void MakeFiles(const std::string& folder, const QStringList& names) {
    for (qsizetype i = 0; i < names.size(); ++i) {
        const std::string name = names[i].toStdString();
        const std::string path = folder + "/" + name;
        std::ofstream(path, std::ios::binary) << ContentOf(name);
        const timespec when{1'600'000'000 + 3600 * time_t(i), 0};
        const timespec times[2] = {when, when};
        QVERIFY(utimensat(AT_FDCWD, path.c_str(), times, 0) == 0);
    }
}

// Every file below the folder, by its path relative to it, with its content.
std::map<std::string, std::string> Snapshot(const std::string& folder) {
    std::map<std::string, std::string> files;
    for (const auto& entry : fs::recursive_directory_iterator(folder)) {
        if (!entry.is_regular_file())
            continue;
        std::ifstream in(entry.path(), std::ios::binary);
        std::stringstream content;
        content << in.rdbuf();
        files[fs::relative(entry.path(), folder).string()] = content.str();
    }
    return files;
}

// "new<old": the file `new` holds what `old` held before the run.
std::map<std::string, std::string> Expected(const QStringList& pairs) {
    std::map<std::string, std::string> files;
    for (const QString& pair : pairs) {
        const qsizetype lt = pair.lastIndexOf('<');
        files[pair.left(lt).toStdString()] = ContentOf(pair.mid(lt + 1).toStdString());
    }
    return files;
}

std::set<std::string> TopLevelFiles(const std::string& folder) {
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
        if (entry.is_regular_file())
            names.insert(entry.path().filename().string());
    return names;
}

void Select(CListCtrl& list, const QList<int>& rows) {
    list.SetItemState(-1, 0, LVIS_SELECTED | LVIS_FOCUSED);
    for (int r : rows)
        list.SetItemState(r, LVIS_SELECTED, LVIS_SELECTED);
}

std::vector<unsigned> States(const CListCtrl& list) {
    std::vector<unsigned> states;
    for (int r = 0; r < list.GetItemCount(); ++r)
        states.push_back(list.GetItemState(r, LVIS_SELECTED | LVIS_FOCUSED));
    return states;
}

// Replaces the real rename calls: the n-th rename fails with a given error; counts the calls
// that could replace or copy around the refusal.
class FailingRenameSystem : public RenameSystem {
public:
    int Renameat2NoReplace(int dirfd, const char* from, const char* to) override {
        ++renames;
        if (renames == failAt)
            return error;
        return RenameSystem::Renameat2NoReplace(dirfd, from, to);
    }
    int Linkat(int dirfd, const char* from, const char* to) override {
        ++fallbacks;
        return RenameSystem::Linkat(dirfd, from, to);
    }
    int Renameat(int dirfd, const char* from, const char* to) override {
        ++fallbacks;
        return RenameSystem::Renameat(dirfd, from, to);
    }

    int failAt = 0;
    int error = 0;
    int renames = 0;
    int fallbacks = 0;
};

class FailingHarness : public MainWindowHarness {
public:
    ~FailingHarness() { dlg.reset(); }
    RenameSystem& renameSystem() override { return system; }
    FailingRenameSystem system;
};

// A folder of files beside the harness's working directory, listed by the window at start.
struct PhotoFolder {
    explicit PhotoFolder(const QString& name = QStringLiteral("photos"))
        : path(tmp.path().toStdString() + "/" + name.toStdString()) {
        fs::create_directory(path);
    }
    QTemporaryDir tmp;
    std::string path;
};

void StartListing(MainWindowHarness& h, const std::string& folder, const char* filter = "*.*") {
    h.writeIni("[Data]\nFolder=" + folder + "\nStartNumber=001\nKaku=" + filter + "\n");
    h.start();
}

// One run of the start button: the folder and its files, what the user did before, what was
// typed, and every file expected afterwards.
struct RunCase {
    QString folderName = QStringLiteral("photos");
    QString folderSuffix{}; // typed after the folder's text just before the run
    QStringList files{};    // oldest first
    QStringList subfolders{};
    QStringList steps{}; // before selecting: "date" clicks 更新日時, "downN"/"upN" moves row N
    QList<int> selected{};
    QString prefix{};
    QString start = QStringLiteral("001");
    int lowerExt = 1;
    QString vanish{};       // removed after the listing
    QStringList expected{}; // "new<old" for every file below the folder
    bool failed = false;
};

} // namespace

Q_DECLARE_METATYPE(RunCase)

class TestRenameSelected : public QObject {
    Q_OBJECT

private slots:
    void refusal_Should_ShowOneBoxAndChangeNothing_data();
    void refusal_Should_ShowOneBoxAndChangeNothing();
    void run_Should_RenameSelectedRowsInRowOrderAndListAfresh_data();
    void run_Should_RenameSelectedRowsInRowOrderAndListAfresh();
    void systemFailure_Should_StopAtThatRowAndKeepEarlierRenames_data();
    void systemFailure_Should_StopAtThatRowAndKeepEarlierRenames();
};

void TestRenameSelected::refusal_Should_ShowOneBoxAndChangeNothing_data() {
    QTest::addColumn<QString>("filter");
    QTest::addColumn<QList<int>>("selected");
    QTest::addColumn<int>("answer"); // of the first box
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<int>("style");

    const QString missing = QString::fromUtf8(kMissingText);
    const QString noSelection = QString::fromUtf8(kNoSelectionText);
    const QString confirm = QString::fromUtf8(kConfirmText);
    const QString tessaly = QStringLiteral("Tessaly");
    const QString kakunin = QStringLiteral("確認");
    QTest::newRow("missing rows, none selected")
        << "*.none" << QList<int>{} << int(IDOK) << missing << tessaly << 0x30;
    QTest::newRow("missing rows refused before the selection is looked at")
        << "*.none" << QList<int>{0, 1} << int(IDOK) << missing << tessaly << 0x30;
    QTest::newRow("no row selected")
        << "*.*" << QList<int>{} << int(IDOK) << noSelection << tessaly << 0x30;
    QTest::newRow("confirmation cancelled")
        << "*.*" << QList<int>{0, 2} << int(IDCANCEL) << confirm << kakunin << 0x41;
    QTest::newRow("confirmation answered with anything but OK")
        << "*.*" << QList<int>{1} << 6 /* Yes */ << confirm << kakunin << 0x41;
}

void TestRenameSelected::refusal_Should_ShowOneBoxAndChangeNothing() {
    QFETCH(QString, filter);
    QFETCH(QList<int>, selected);
    QFETCH(int, answer);
    QFETCH(QString, text);
    QFETCH(QString, caption);
    QFETCH(int, style);

    PhotoFolder folder;
    MakeFiles(folder.path, {"a.jpg", "b.jpg", "c.jpg"});
    MainWindowHarness h;
    StartListing(h, folder.path, filter.toUtf8().constData());
    Select(h.dlg->m_listFiles, selected);
    const std::vector<std::string> rows = h.names();
    const std::vector<unsigned> states = States(h.dlg->m_listFiles);
    const auto disk = Snapshot(folder.path);

    // Typed after the last exchange: only a run past the confirmation may read these.
    h.edit(IDC_PREFIX)->setText(QStringLiteral("typed_"));
    h.edit(IDC_STARTNUMBER)->setText(QStringLiteral("050"));
    // A file that appears now would show if the folder were listed again.
    MakeFiles(folder.path, {"late.jpg"});
    h.boxes.answers = {answer};
    h.click(IDC_START);

    QCOMPARE(int(h.boxes.shown.size()), 1);
    QCOMPARE(QString::fromStdString(h.boxes.shown[0].text), text);
    QCOMPARE(QString::fromStdString(h.boxes.shown[0].caption), caption);
    QCOMPARE(int(h.boxes.shown[0].style), style);
    QCOMPARE(h.dlg->m_strPrefix, std::string());
    QCOMPARE(h.dlg->m_strStartNumber, std::string("001"));
    QCOMPARE(h.edit(IDC_PREFIX)->text(), QStringLiteral("typed_"));
    QCOMPARE(h.names(), rows);
    QCOMPARE(States(h.dlg->m_listFiles), states);
    auto expected = disk;
    expected["late.jpg"] = ContentOf("late.jpg");
    QCOMPARE(Snapshot(folder.path), expected);
}

void TestRenameSelected::run_Should_RenameSelectedRowsInRowOrderAndListAfresh_data() {
    QTest::addColumn<RunCase>("run");
    const QStringList abcd{"a.jpg", "b.jpg", "c.jpg", "d.jpg"};
    const QStringList abc{"a.txt", "b.txt", "c.txt"};
    const QStringList ab{"a.jpg", "b.jpg", "keep.jpg"};

    // Selection and row order.
    QTest::newRow("only the selected rows, top to bottom") << RunCase{
        .files = abcd,
        .selected = {1, 3},
        .prefix = "trip_",
        .expected = {"a.jpg<a.jpg", "trip_001.jpg<b.jpg", "c.jpg<c.jpg", "trip_002.jpg<d.jpg"}};
    QTest::newRow("row order after sorting by modification time")
        << RunCase{.files = {"c.png", "a.png", "b.png"},
                   .steps = {"date"},
                   .selected = {0, 1, 2},
                   .prefix = "p",
                   .start = "1",
                   .expected = {"p1.png<c.png", "p2.png<a.png", "p3.png<b.png"}};
    QTest::newRow("row order after sorting by modification time twice")
        << RunCase{.files = {"c.png", "a.png", "b.png"},
                   .steps = {"date", "date"},
                   .selected = {0, 1, 2},
                   .prefix = "p",
                   .start = "1",
                   .expected = {"p1.png<b.png", "p2.png<a.png", "p3.png<c.png"}};
    QTest::newRow("row order after moving the first row down")
        << RunCase{.files = abc,
                   .steps = {"down0"},
                   .selected = {0, 1, 2},
                   .prefix = "n",
                   .start = "01",
                   .expected = {"n01.txt<b.txt", "n02.txt<a.txt", "n03.txt<c.txt"}};
    QTest::newRow("row order after moving the last row up")
        << RunCase{.files = abcd,
                   .steps = {"up3"},
                   .selected = {1, 2, 3},
                   .prefix = "m",
                   .start = "1",
                   .expected = {"a.jpg<a.jpg", "m1.jpg<b.jpg", "m2.jpg<d.jpg", "m3.jpg<c.jpg"}};

    // Start numbers and widths.
    QTest::newRow("start 9 outgrows its width of one")
        << RunCase{.files = abc,
                   .selected = {0, 1, 2},
                   .prefix = "s",
                   .start = "9",
                   .expected = {"s9.txt<a.txt", "s10.txt<b.txt", "s11.txt<c.txt"}};
    QTest::newRow("empty start counts from 0 without zeros")
        << RunCase{.files = abc,
                   .selected = {0, 1, 2},
                   .prefix = "s",
                   .start = "",
                   .expected = {"s0.txt<a.txt", "s1.txt<b.txt", "s2.txt<c.txt"}};
    QTest::newRow("negative start keeps its sign and pads after zero")
        << RunCase{.files = abc,
                   .selected = {0, 1, 2},
                   .prefix = "s",
                   .start = "-1",
                   .expected = {"s-1.txt<a.txt", "s00.txt<b.txt", "s01.txt<c.txt"}};

    // The lower-case option touches the extension only, and only when it is exactly 1.
    const QStringList upper{"A.JPG", "B.Jpg"};
    QTest::newRow("option 1 lowers the extension only")
        << RunCase{.files = upper,
                   .selected = {0, 1},
                   .prefix = "IMG_",
                   .expected = {"IMG_001.jpg<A.JPG", "IMG_002.jpg<B.Jpg"}};
    QTest::newRow("option 0 keeps the extension")
        << RunCase{.files = upper,
                   .selected = {0, 1},
                   .prefix = "IMG_",
                   .lowerExt = 0,
                   .expected = {"IMG_001.JPG<A.JPG", "IMG_002.Jpg<B.Jpg"}};
    QTest::newRow("option 5 keeps the extension")
        << RunCase{.files = upper,
                   .selected = {0, 1},
                   .prefix = "IMG_",
                   .lowerExt = 5,
                   .expected = {"IMG_001.JPG<A.JPG", "IMG_002.Jpg<B.Jpg"}};

    // Clashes and vanished files stop the run at that row; nothing is ever replaced.
    QTest::newRow("clash with a selected file further down stops there")
        << RunCase{.files = {"a.txt", "b.txt", "x1.txt"},
                   .selected = {0, 1, 2},
                   .prefix = "x",
                   .start = "0",
                   .expected = {"x0.txt<a.txt", "b.txt<b.txt", "x1.txt<x1.txt"},
                   .failed = true};
    QTest::newRow("clash at the first row renames nothing")
        << RunCase{.files = {"001.jpg", "002.jpg"},
                   .selected = {0, 1},
                   .start = "002",
                   .expected = {"001.jpg<001.jpg", "002.jpg<002.jpg"},
                   .failed = true};
    QTest::newRow("an unselected file under the new name is never overwritten")
        << RunCase{.files = {"a.jpg", "b.jpg", "trip_002.jpg"},
                   .selected = {0, 1},
                   .prefix = "trip_",
                   .expected = {"trip_001.jpg<a.jpg", "b.jpg<b.jpg", "trip_002.jpg<trip_002.jpg"},
                   .failed = true};
    QTest::newRow("a folder under the new name is never replaced")
        << RunCase{.files = {"a", "b"},
                   .subfolders = {"t2"},
                   .selected = {0, 1},
                   .prefix = "t",
                   .start = "1",
                   .expected = {"t1<a", "b<b"},
                   .failed = true};
    QTest::newRow("a file gone since the listing stops the run at its row")
        << RunCase{.files = {"a.jpg", "b.jpg", "c.jpg"},
                   .selected = {0, 1, 2},
                   .prefix = "trip_",
                   .vanish = "b.jpg",
                   .expected = {"trip_001.jpg<a.jpg", "c.jpg<c.jpg"},
                   .failed = true};
    QTest::newRow("renaming files onto their own names succeeds")
        << RunCase{.files = {"001.jpg", "002.jpg", "003.jpg"},
                   .selected = {0, 1, 2},
                   .expected = {"001.jpg<001.jpg", "002.jpg<002.jpg", "003.jpg<003.jpg"}};

    // Where the new path points.
    QTest::newRow("a prefix naming an existing subfolder moves the files into it")
        << RunCase{.files = ab,
                   .subfolders = {"sub"},
                   .selected = {0, 1},
                   .prefix = "sub/",
                   .expected = {"sub/001.jpg<a.jpg", "sub/002.jpg<b.jpg", "keep.jpg<keep.jpg"}};
    QTest::newRow("a prefix naming a missing subfolder fails at the first row")
        << RunCase{.files = ab,
                   .selected = {0, 1},
                   .prefix = "sub/",
                   .expected = {"a.jpg<a.jpg", "b.jpg<b.jpg", "keep.jpg<keep.jpg"},
                   .failed = true};
    QTest::newRow("a leading / in the prefix stays inside the folder")
        << RunCase{.files = abc,
                   .selected = {0, 1},
                   .prefix = "/x_",
                   .start = "1",
                   .expected = {"x_1.txt<a.txt", "x_2.txt<b.txt", "c.txt<c.txt"}};
    QTest::newRow("several leading / in the prefix stay inside the folder")
        << RunCase{.files = abc,
                   .selected = {0},
                   .prefix = "//x_",
                   .start = "1",
                   .expected = {"x_1.txt<a.txt", "b.txt<b.txt", "c.txt<c.txt"}};
    QTest::newRow("folder text ending in /")
        << RunCase{.folderSuffix = "/",
                   .files = abc,
                   .selected = {0, 1, 2},
                   .prefix = "f",
                   .start = "1",
                   .expected = {"f1.txt<a.txt", "f2.txt<b.txt", "f3.txt<c.txt"}};
    QTest::newRow("% in the folder, the prefix and the extension is copied literally")
        << RunCase{.folderName = "100%d%s",
                   .files = {"a.%d", "b.%s"},
                   .selected = {0, 1},
                   .prefix = "%s%d_",
                   .start = "01",
                   .expected = {"%s%d_01.%d<a.%d", "%s%d_02.%s<b.%s"}};
    QTest::newRow("Japanese folder, prefix and names")
        << RunCase{.folderName = "写真",
                   .files = {"a夏.JPG", "b冬.jpeg"},
                   .selected = {0, 1},
                   .prefix = "旅行_",
                   .start = "1",
                   .expected = {"旅行_1.jpg<a夏.JPG", "旅行_2.jpeg<b冬.jpeg"}};
}

void TestRenameSelected::run_Should_RenameSelectedRowsInRowOrderAndListAfresh() {
    QFETCH(RunCase, run);
    const auto& [folderName, folderSuffix, files, subfolders, steps, selected, prefix, start,
                 lowerExt, vanish, expected, failed] = run;

    PhotoFolder folder(folderName);
    MakeFiles(folder.path, files);
    for (const QString& sub : subfolders)
        fs::create_directory(folder.path + "/" + sub.toStdString());
    MainWindowHarness h;
    StartListing(h, folder.path);
    QCOMPARE(h.dlg->m_bListValid, 1);
    h.dlg->m_bLowerExt = lowerExt;

    for (const QString& step : steps) {
        if (step == "date") {
            emit h.dlg->m_listFiles.View()->horizontalHeader()->sectionClicked(1);
        } else {
            Select(h.dlg->m_listFiles, {step.mid(step.size() - 1).toInt()});
            h.click(step.startsWith("down") ? IDC_DOWN : IDC_UP);
        }
    }
    Select(h.dlg->m_listFiles, selected);
    if (!folderSuffix.isEmpty())
        h.edit(IDC_FOLDER)->setText(QString::fromStdString(folder.path) + folderSuffix);
    h.edit(IDC_PREFIX)->setText(prefix);
    h.edit(IDC_STARTNUMBER)->setText(start);
    if (!vanish.isEmpty())
        QVERIFY(fs::remove(folder.path + "/" + vanish.toStdString()));
    // Nothing may be read or renamed while the confirmation is still open.
    const auto before = Snapshot(folder.path);
    bool untouchedWhileAsked = false;
    h.boxes.onShow = [&] {
        if (h.boxes.shown.size() == 1)
            untouchedWhileAsked = Snapshot(folder.path) == before && h.dlg->m_strPrefix.empty();
    };
    h.click(IDC_START);

    QVERIFY(untouchedWhileAsked);
    QCOMPARE(int(h.boxes.shown.size()), failed ? 2 : 1);
    QCOMPARE(h.boxes.shown[0].text, std::string(kConfirmText));
    if (failed) {
        QCOMPARE(h.boxes.shown[1].text, std::string(kClashText));
        QCOMPARE(h.boxes.shown[1].caption, std::string("Quorvel"));
        QCOMPARE(h.boxes.shown[1].style, 0x10u);
    }
    QCOMPARE(Snapshot(folder.path), Expected(expected));

    // The folder is listed afresh, nothing selected; the typed texts stay as they were.
    const std::vector<std::string> rows = h.names();
    QCOMPARE(std::set<std::string>(rows.begin(), rows.end()), TopLevelFiles(folder.path));
    QCOMPARE(int(rows.size()), int(TopLevelFiles(folder.path).size()));
    QCOMPARE(h.dlg->m_listFiles.GetSelectedCount(), 0);
    QCOMPARE(h.dlg->m_bListValid, 1);
    QCOMPARE(h.edit(IDC_PREFIX)->text(), prefix);
    QCOMPARE(h.edit(IDC_STARTNUMBER)->text(), start);
    QCOMPARE(QString::fromStdString(h.dlg->m_strPrefix), prefix);
    QCOMPARE(QString::fromStdString(h.dlg->m_strStartNumber), start);
    QCOMPARE(h.dlg->m_strFolder, folder.path + folderSuffix.toStdString());
    // A leading "/" in the prefix must never have reached the root.
    QVERIFY(!fs::exists("/x_1.txt"));
}

void TestRenameSelected::systemFailure_Should_StopAtThatRowAndKeepEarlierRenames_data() {
    QTest::addColumn<int>("failAt");
    QTest::addColumn<int>("error");
    QTest::newRow("third rename denied") << 3 << EACCES;
    QTest::newRow("first rename across file systems") << 1 << EXDEV;
    QTest::newRow("second name too long") << 2 << ENAMETOOLONG;
    QTest::newRow("last rename on a read-only file system") << 5 << EROFS;
}

void TestRenameSelected::systemFailure_Should_StopAtThatRowAndKeepEarlierRenames() {
    QFETCH(int, failAt);
    QFETCH(int, error);

    PhotoFolder folder;
    const QStringList files{"a.jpg", "b.jpg", "c.jpg", "d.jpg", "e.jpg"};
    MakeFiles(folder.path, files);
    FailingHarness h;
    h.system.failAt = failAt;
    h.system.error = error;
    StartListing(h, folder.path);
    h.dlg->m_listFiles.SetItemState(-1, LVIS_SELECTED, LVIS_SELECTED);
    h.edit(IDC_PREFIX)->setText(QStringLiteral("trip_"));
    h.click(IDC_START);

    QCOMPARE(h.system.renames, failAt);
    QCOMPARE(h.system.fallbacks, 0);
    QCOMPARE(int(h.boxes.shown.size()), 2);
    QCOMPARE(h.boxes.shown[1].text, std::string(kClashText));
    QCOMPARE(h.boxes.shown[1].style, 0x10u);
    QStringList expected;
    for (int i = 0; i < files.size(); ++i)
        expected << (i + 1 < failAt ? QStringLiteral("trip_%1.jpg<").arg(i + 1, 3, 10, QChar('0'))
                                    : files[i] + "<") +
                        files[i];
    QCOMPARE(Snapshot(folder.path), Expected(expected));
    const std::vector<std::string> rows = h.names();
    QCOMPARE(std::set<std::string>(rows.begin(), rows.end()), TopLevelFiles(folder.path));
    QCOMPARE(h.dlg->m_listFiles.GetSelectedCount(), 0);
}

QTEST_MAIN(TestRenameSelected)
#include "tst_renameselected.moc"
