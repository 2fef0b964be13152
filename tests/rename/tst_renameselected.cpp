#include "support/FakeProgress.h"
#include "support/MainWindowHarness.h"

#include <QAction>
#include <QtTest>

#include <filesystem>

using namespace quorvel;
using namespace quorvel::test;
namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace {

// Every file of the folder, by name, with the name it had first, which it also holds.
using Files = QMap<QString, QString>;

const QString kConfirm = "ファイル名を変更します。よろしいですか？";

// The window over a folder named with Japanese and "%", holding each file of `after` under its
// first name. The renames go through here: during the stopAt-th, 中止 is pressed.
struct Window : MainWindowHarness, RenameSystem {
    Window(const Files& after, int smallCheck = 0) {
        fs::create_directory(folder);
        for (const QString& old : after)
            std::ofstream(folder + "/" + old.toStdString()) << old.toStdString();
        writeIni("[Data]\nFolder=" + folder +
                 "\n[Config]\nSmallCheck=" + std::to_string(smallCheck) + "\n");
        start();
    }
    ~Window() { dlg.reset(); } // the window still uses these while it closes
    RenameSystem& renameSystem() override { return *this; }
    IProgressWindow& progressWindow() override { return progress; }
    int Renameat2NoReplace(int dirfd, const char* from, const char* to) override {
        const int result = RenameSystem::Renameat2NoReplace(dirfd, from, to);
        if (++calls == stopAt)
            progress.PressStop();
        return result;
    }
    void select(const QList<int>& rows) {
        dlg->m_listFiles.SetItemState(-1, 0, LVIS_SELECTED | LVIS_FOCUSED);
        for (int r : rows)
            dlg->m_listFiles.SetItemState(r, LVIS_SELECTED, LVIS_SELECTED);
    }
    void run(const QString& prefix, const QString& start) {
        edit(IDC_PREFIX)->setText(prefix);
        if (!start.isEmpty())
            edit(IDC_STARTNUMBER)->setText(start);
        progress.runs.clear();
        click(IDC_START);
    }
    Files files() const {
        Files found;
        for (const auto& entry : fs::directory_iterator(folder))
            found[QString::fromStdString(entry.path().filename())] = QString::fromStdString(
                {std::istreambuf_iterator<char>(std::ifstream(entry.path()).rdbuf()), {}});
        return found;
    }
    QStringList texts() const {
        QStringList shown;
        for (const auto& b : boxes.shown)
            shown << QString::fromStdString(b.text);
        return shown;
    }

    FakeProgressWindow progress;
    int calls = 0, stopAt = 0;
    const std::string folder = workDir() + "/写真%d%s";
};

} // namespace

class TestRenameSelected : public QObject {
    Q_OBJECT

private slots:
    void start_Should_RenameSelectedRowsInRowOrder_NeverReplacing_data() {
        QTest::addColumn<QString>("filter"); // typed into the pattern box; "" leaves it
        QTest::addColumn<int>("movedDown");  // row moved down before the selection; -1 none
        QTest::addColumn<QList<int>>("selected");
        QTest::addColumn<QString>("prefix");
        QTest::addColumn<QString>("start"); // "" leaves the saved 001
        QTest::addColumn<int>("smallCheck");
        QTest::addColumn<int>("stopAt"); // the rename during which 中止 is pressed; 0 none;
                                         // -1: as the new names are looked up
        QTest::addColumn<QStringList>("boxes");
        QTest::addColumn<QString>("stoppedAt"); // the file the progress names when stopped
        QTest::addColumn<Files>("after");
        const auto row = [](const char* what, QString filter, int movedDown, QList<int> selected,
                            QString prefix, QString start, int smallCheck, int stopAt,
                            QStringList boxes, QString stoppedAt, Files after) {
            QTest::newRow(what) << filter << movedDown << selected << prefix << start << smallCheck
                                << stopAt << boxes << stoppedAt << after;
        };
        row("missing rows refused before the selection counts", "*.none", -1, {}, "x", "", 0, 0,
            {"ファイルもしくはフォルダが存在しない場合は\n変換はできません。"}, "", {{"a", "a"}});
        row("no row selected", "", -1, {}, "x", "", 0, 0,
            {"ファイルが選択されていません。\nファイルを選択してから操作を行って下さい。"}, "",
            {{"a", "a"}});
        row("only the selected rows, in row order after a move; option 1 lowers the extension", "",
            0, {0, 1, 3}, "trip_", "", 1, 0, {kConfirm}, "",
            {{"trip_001.jpg", "b.jpg"},
             {"trip_002.jpg", "a.JPG"},
             {"c.jpg", "c.jpg"},
             {"trip_003.jpg", "d.jpg"}});
        row("option 2 leaves the extension", "", -1, {0}, "p", "1", 2, 0, {kConfirm}, "",
            {{"p1.JPG", "A.JPG"}});
        row("full-width start number: width 6", "", -1, {0, 1}, "p", "００１", 0, 0, {kConfirm}, "",
            {{"p000000.a", "x.a"}, {"p000001.b", "y.b"}});
        row("an existing file is never overwritten: the run stops there", "", -1, {0, 1, 2}, "t",
            "1", 0, 0, {kConfirm, "既に同名のファイル名がフォルダ内に存在します。"}, "",
            {{"t1", "a"}, {"b", "b"}, {"t2", "t2"}});
        row("stopped while the second file is renamed: two keep their new names", "", -1,
            {0, 1, 2, 3}, "t_", "1", 0, 2,
            {kConfirm, "変換を中止しました。\n2 件のファイル名を変更しました。"}, "b.jpg",
            {{"t_1.jpg", "a.jpg"}, {"t_2.jpg", "b.jpg"}, {"c.jpg", "c.jpg"}, {"d.jpg", "d.jpg"}});
        row("stopped while the new names are looked up: nothing asked or renamed", "", -1, {0, 1},
            "t_", "1", 0, -1, {}, "", {{"a", "a"}, {"b", "b"}});
    }
    void start_Should_RenameSelectedRowsInRowOrder_NeverReplacing() {
        QFETCH(QString, filter);
        QFETCH(int, movedDown);
        QFETCH(QList<int>, selected);
        QFETCH(QString, prefix);
        QFETCH(QString, start);
        QFETCH(int, smallCheck);
        QFETCH(int, stopAt);
        QFETCH(Files, after);
        Window w(after, smallCheck);
        if (!filter.isEmpty())
            w.edit(IDC_FILTER)->setText(filter);
        if (movedDown >= 0) {
            w.select({movedDown});
            w.click(IDC_DOWN);
        }
        w.select(selected);
        // The first file saved anew after the listing, as editors do: still the batch's.
        if (!selected.isEmpty()) {
            const fs::path saved = w.folder + "/" + w.names()[selected[0]];
            fs::copy_file(saved, saved.string() + "~");
            fs::last_write_time(saved.string() + "~", fs::last_write_time(saved) - 1h);
            fs::rename(saved.string() + "~", saved);
        }
        const Files before = w.files();
        w.stopAt = std::max(stopAt, 0);
        w.progress.stopAtStartOfRun = stopAt < 0;
        w.run(prefix, start);

        QTEST(w.texts(), "boxes");
        QCOMPARE(w.files(), after);
        QTEST(QString::fromStdString(w.progress.runs.size() > 1 ? w.progress.runs[1].detailAtStop
                                                                : ""),
              "stoppedAt");
        QCOMPARE(w.edit(IDC_PREFIX)->text(), prefix);
        // What was renamed, and only that, comes back with one undo.
        QCOMPARE(w.dlg->UndoAction()->isEnabled(), after != before);
        w.stopAt = 0;
        w.dlg->UndoAction()->trigger();
        QCOMPARE(w.files(), before);
    }

    void stoppedUndo_Should_LeaveTheRestToTheNextUndo_data() {
        QTest::addColumn<int>("stopAt"); // the rename back during which 中止 is pressed
        QTest::addColumn<Files>("after");
        QTest::addColumn<QString>("secondPlan"); // what the second undo's confirmation lists
        QTest::newRow("stopped during the first file back: three left")
            << 1 << Files{{"t_1", "a"}, {"t_2", "b"}, {"t_3", "c"}, {"d", "d"}}
            << "t_1 → a\nt_2 → b\nt_3 → c\n";
        QTest::newRow("stopped during the third: one left")
            << 3 << Files{{"t_1", "a"}, {"b", "b"}, {"c", "c"}, {"d", "d"}} << "t_1 → a\n";
    }
    void stoppedUndo_Should_LeaveTheRestToTheNextUndo() {
        QFETCH(int, stopAt);
        QFETCH(Files, after);
        const Files original{{"a", "a"}, {"b", "b"}, {"c", "c"}, {"d", "d"}};
        Window w(original);
        w.select({0, 1, 2, 3});
        w.run("t_", "1");
        w.boxes.shown.clear();
        w.calls = 0;
        w.stopAt = stopAt;
        w.dlg->UndoAction()->trigger();
        QCOMPARE(w.files(), after);
        QCOMPARE(w.texts().value(1), "元に戻す処理を中止しました。\n" + QString::number(stopAt) +
                                         " 件のファイル名を元に戻しました。");

        QVERIFY(w.dlg->UndoAction()->isEnabled());
        w.boxes.shown.clear();
        w.stopAt = 0;
        w.dlg->UndoAction()->trigger();
        QCOMPARE(w.files(), original);
        QTEST(QString::fromStdString(w.boxes.shown.at(0).details), "secondPlan");
    }
};

QTEST_MAIN(TestRenameSelected)
#include "tst_renameselected.moc"
