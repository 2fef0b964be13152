#include "fs/SafeRename.h"
#include "support/FakeProgress.h"
#include "support/MainWindowHarness.h"

#include <QAction>
#include <QtTest>

#include <filesystem>

using namespace quorvel;
using namespace quorvel::test;
namespace fs = std::filesystem;

namespace {

using Files = QMap<QString, QString>; // name -> content

// Where the test presses 中止.
enum class StopAt {
    Never,
    PreviewStart, // as the look-up of the new names begins
    BatchStart,   // as the batch begins, before the first rename
    RenameCall,   // while the `call`-th rename runs
};

const Files kOriginal{
    {"a.jpg", "a.jpg"}, {"b.jpg", "b.jpg"}, {"c.jpg", "c.jpg"}, {"d.jpg", "d.jpg"}};
const FakeProgressWindow::Shown kLookingUp{"ファイルを読み込んでいます…", 0};
const FakeProgressWindow::Shown kListing{"ファイルを読み込んでいます…", 0};

// Four files in a folder, every row selected, prefix "t_" from 1; the renames go through the
// window's rename calls, and the `stopAt`-th of them presses 中止 while it runs.
struct Window : MainWindowHarness, RenameSystem {
    Window() {
        fs::create_directory(folder);
        for (const QString& name : kOriginal.keys())
            std::ofstream(folder + "/" + name.toStdString()) << name.toStdString();
        writeIni("[Data]\nFolder=" + folder + "\nStartNumber=1\n");
        start();
        dlg->m_listFiles.SetItemState(-1, LVIS_SELECTED, LVIS_SELECTED);
        edit(IDC_PREFIX)->setText(QStringLiteral("t_"));
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
    Files files() const {
        Files found;
        for (const auto& entry : fs::directory_iterator(folder))
            found[QString::fromStdString(entry.path().filename())] = QString::fromStdString(
                {std::istreambuf_iterator<char>(std::ifstream(entry.path()).rdbuf()), {}});
        return found;
    }
    QStringList shownBoxes() const {
        QStringList shown;
        for (const FakeMessageBox::Shown& b : boxes.shown)
            shown << QString::fromStdString(b.caption + " " + std::to_string(b.style) + " " +
                                            b.text);
        return shown;
    }
    QStringList listed() const {
        QStringList rows;
        for (const std::string& name : names())
            rows << QString::fromStdString(name);
        return rows;
    }

    FakeProgressWindow progress;
    int calls = 0, stopAt = 0;
    const std::string folder = workDir() + "/photos";
};

} // namespace

Q_DECLARE_METATYPE(StopAt)
Q_DECLARE_METATYPE(std::vector<FakeProgressWindow::Shown>)

class TestStopBatch : public QObject {
    Q_OBJECT

private slots:
    void stop_Should_KeepWhatWasRenamed_AndLeaveItToUndo_data();
    void stop_Should_KeepWhatWasRenamed_AndLeaveItToUndo();
    void stoppedUndo_Should_LeaveTheRestToTheNextUndo_data();
    void stoppedUndo_Should_LeaveTheRestToTheNextUndo();
};

void TestStopBatch::stop_Should_KeepWhatWasRenamed_AndLeaveItToUndo_data() {
    QTest::addColumn<StopAt>("stopAt");
    QTest::addColumn<int>("call");
    QTest::addColumn<std::vector<FakeProgressWindow::Shown>>("runs");
    QTest::addColumn<QStringList>("boxes"); // caption, style, text
    QTest::addColumn<Files>("after");
    const QString confirm = "確認 65 ファイル名を変更します。よろしいですか？";
    QTest::newRow("not stopped: the whole batch, no box of its own")
        << StopAt::Never << 0
        << std::vector<FakeProgressWindow::Shown>{kLookingUp,
                                                  {"ファイル名を変更しています…", 4},
                                                  kListing}
        << QStringList{confirm}
        << Files{{"t_1.jpg", "a.jpg"},
                 {"t_2.jpg", "b.jpg"},
                 {"t_3.jpg", "c.jpg"},
                 {"t_4.jpg", "d.jpg"}};
    QTest::newRow("stopped while the second file is renamed: two keep their new names")
        << StopAt::RenameCall << 2
        << std::vector<FakeProgressWindow::Shown>{kLookingUp,
                                                  {"ファイル名を変更しています…", 4, "b.jpg"},
                                                  kListing}
        << QStringList{confirm, "Quorvel 64 変換を中止しました。\n2 件のファイル名を変更しました。"}
        << Files{
               {"t_1.jpg", "a.jpg"}, {"t_2.jpg", "b.jpg"}, {"c.jpg", "c.jpg"}, {"d.jpg", "d.jpg"}};
    QTest::newRow("stopped before the first rename: none renamed, nothing to undo")
        << StopAt::BatchStart << 0
        << std::vector<FakeProgressWindow::Shown>{kLookingUp,
                                                  {"ファイル名を変更しています…", 4, "a.jpg"},
                                                  kListing}
        << QStringList{confirm, "Quorvel 64 変換を中止しました。\n0 件のファイル名を変更しました。"}
        << kOriginal;
    QTest::newRow("stopped while the last file is renamed: the batch is complete")
        << StopAt::RenameCall << 4
        << std::vector<FakeProgressWindow::Shown>{kLookingUp,
                                                  {"ファイル名を変更しています…", 4, "d.jpg"},
                                                  kListing}
        << QStringList{confirm}
        << Files{{"t_1.jpg", "a.jpg"},
                 {"t_2.jpg", "b.jpg"},
                 {"t_3.jpg", "c.jpg"},
                 {"t_4.jpg", "d.jpg"}};
    QTest::newRow("stopped while the new names are looked up: nothing asked, read or listed")
        << StopAt::PreviewStart << 0
        << std::vector<FakeProgressWindow::Shown>{{"ファイルを読み込んでいます…", 0}}
        << QStringList() << kOriginal;
}

void TestStopBatch::stop_Should_KeepWhatWasRenamed_AndLeaveItToUndo() {
    QFETCH(StopAt, stopAt);
    QFETCH(int, call);
    QFETCH(Files, after);
    Window w;
    w.progress.runs.clear(); // the listing at start-up
    w.stopAt = stopAt == StopAt::RenameCall ? call : 0;
    w.progress.stopAtStartOfRun = stopAt == StopAt::PreviewStart ? 1
                                  : stopAt == StopAt::BatchStart ? 2
                                                                 : 0;
    w.click(IDC_START);

    QTEST(w.progress.runs, "runs");
    QTEST(w.shownBoxes(), "boxes");
    QCOMPARE(w.files(), after);
    // Listed again as after every batch, unless nothing was read.
    QCOMPARE(w.listed(), stopAt == StopAt::PreviewStart ? kOriginal.keys() : after.keys());
    QCOMPARE(w.dlg->m_strPrefix, stopAt == StopAt::PreviewStart ? "" : "t_");

    // What was renamed, and only that, comes back with Ctrl+Z.
    const bool undoable = after != kOriginal;
    QCOMPARE(w.dlg->UndoAction()->isEnabled(), undoable);
    w.boxes.shown.clear();
    w.dlg->UndoAction()->trigger();
    QCOMPARE(w.files(), kOriginal);
    QCOMPARE(int(w.boxes.shown.size()), undoable ? 1 : 0);
}

void TestStopBatch::stoppedUndo_Should_LeaveTheRestToTheNextUndo_data() {
    QTest::addColumn<int>("call"); // the rename back during which 中止 is pressed
    QTest::addColumn<Files>("after");
    QTest::addColumn<QStringList>("boxes");  // of the first undo, after its confirmation
    QTest::addColumn<QString>("secondPlan"); // what the second undo's confirmation lists
    QTest::newRow("stopped during the first file back: three left")
        << 1
        << Files{{"t_1.jpg", "a.jpg"},
                 {"t_2.jpg", "b.jpg"},
                 {"t_3.jpg", "c.jpg"},
                 {"d.jpg", "d.jpg"}}
        << QStringList{"Quorvel 64 元に戻す処理を中止しました。\n1 "
                       "件のファイル名を元に戻しました。"}
        << "t_1.jpg → a.jpg\nt_2.jpg → b.jpg\nt_3.jpg → c.jpg\n";
    QTest::newRow("stopped during the third: one left")
        << 3
        << Files{{"t_1.jpg", "a.jpg"}, {"b.jpg", "b.jpg"}, {"c.jpg", "c.jpg"}, {"d.jpg", "d.jpg"}}
        << QStringList{"Quorvel 64 元に戻す処理を中止しました。\n3 "
                       "件のファイル名を元に戻しました。"}
        << "t_1.jpg → a.jpg\n";
    QTest::newRow("stopped during the last: the undo is complete")
        << 4 << kOriginal << QStringList() << "";
}

void TestStopBatch::stoppedUndo_Should_LeaveTheRestToTheNextUndo() {
    QFETCH(int, call);
    QFETCH(Files, after);
    QFETCH(QString, secondPlan);
    Window w;
    w.click(IDC_START);
    w.boxes.shown.clear();
    w.progress.runs.clear();
    w.calls = 0;
    w.stopAt = call;
    w.dlg->UndoAction()->trigger();
    QCOMPARE(w.progress.runs.front(),
             (FakeProgressWindow::Shown{"ファイル名を変更しています…", 4,
                                        "t_" + std::to_string(5 - call) + ".jpg"}));
    QCOMPARE(w.files(), after);
    QTEST(w.shownBoxes().mid(1), "boxes");
    QCOMPARE(w.listed(), after.keys());

    QCOMPARE(w.dlg->UndoAction()->isEnabled(), !secondPlan.isEmpty());
    w.boxes.shown.clear();
    w.stopAt = 0;
    w.dlg->UndoAction()->trigger();
    QCOMPARE(w.files(), kOriginal);
    QCOMPARE(QString::fromStdString(w.boxes.shown.empty() ? "" : w.boxes.shown[0].details),
             secondPlan);
}

QTEST_MAIN(TestStopBatch)
#include "tst_stopbatch.moc"
