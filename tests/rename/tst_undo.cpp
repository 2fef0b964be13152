#include "platform/listctrl/FileListView.h"
#include "fs/SafeRename.h"
#include "support/MainWindowHarness.h"

#include <QAction>
#include <QMenu>
#include <QtTest>

#include <cerrno>
#include <filesystem>
#include <map>

using namespace quorvel;
using namespace quorvel::test;
namespace fs = std::filesystem;

namespace {

using Files = std::map<std::string, std::string>; // name -> content

// What someone else does, and when.
enum class Meanwhile {
    Nothing,
    Restart,          // the window is closed and started again; Ctrl+Z in the prefix box
    ReplaceBeforeRun, // a.jpg saved anew by an editor between the listing and the batch
    MoveAway,         // a2.jpg renamed to elsewhere after the batch
    TakeOldName,      // a new b.jpg after the batch
};

struct Window : MainWindowHarness, RenameSystem {
    ~Window() { dlg.reset(); } // the window still uses this rename system while it closes
    RenameSystem& renameSystem() override { return *this; }
    int Renameat2NoReplace(int dirfd, const char* from, const char* to) override {
        return ++renames == failAt ? EACCES : RenameSystem::Renameat2NoReplace(dirfd, from, to);
    }
    int failAt = 0, renames = 0;
};

Files Read(const std::string& folder) {
    Files found;
    for (const auto& entry : fs::directory_iterator(folder))
        found[entry.path().filename().string()] = {
            std::istreambuf_iterator<char>(std::ifstream(entry.path()).rdbuf()), {}};
    return found;
}

} // namespace

Q_DECLARE_METATYPE(Files)
Q_DECLARE_METATYPE(Meanwhile)

class TestUndo : public QObject {
    Q_OBJECT

private slots:
    void undo_Should_RestoreLastRenamedFirstNeverOverwriting_data();
    void undo_Should_RestoreLastRenamedFirstNeverOverwriting();
};

void TestUndo::undo_Should_RestoreLastRenamedFirstNeverOverwriting_data() {
    QTest::addColumn<Files>("before");
    QTest::addColumn<int>("failAt"); // the rename of the batch that fails; 0: none
    QTest::addColumn<Meanwhile>("meanwhile");
    QTest::addColumn<bool>("undoable");
    QTest::addColumn<Files>("after");
    QTest::addColumn<QString>("skipped"); // how the details of the skipped files start; "": none
    const Files abc{{"a.jpg", "a.jpg"}, {"b.jpg", "b.jpg"}, {"c.jpg", "c.jpg"}};
    using enum Meanwhile;
    QTest::newRow("complete batch") << abc << 0 << Nothing << true << abc << "";
    QTest::newRow("batch stopped halfway") << abc << 3 << Nothing << true << abc << "";
    QTest::newRow("after a restart, by Ctrl+Z")
        << Files{{"a\nb.jpg", "a\nb.jpg"}, {"c d.jpg", "c d.jpg"}} << 0 << Restart << true
        << Files{{"a\nb.jpg", "a\nb.jpg"}, {"c d.jpg", "c d.jpg"}} << "";
    QTest::newRow("a file saved anew after the listing is still the batch's")
        << abc << 0 << ReplaceBeforeRun << true
        << Files{{"a.jpg", "a.jpg saved anew"}, {"b.jpg", "b.jpg"}, {"c.jpg", "c.jpg"}} << "";
    QTest::newRow("one file renamed by someone else meanwhile")
        << abc << 0 << MoveAway << true
        << Files{{"a.jpg", "a.jpg"}, {"elsewhere", "b.jpg"}, {"c.jpg", "c.jpg"}}
        << "a2.jpg → b.jpg: ";
    QTest::newRow("its old name taken meanwhile")
        << abc << 0 << TakeOldName << true
        << Files{{"a.jpg", "a.jpg"}, {"b.jpg", "intruder"}, {"a2.jpg", "b.jpg"}, {"c.jpg", "c.jpg"}}
        << "a2.jpg → b.jpg: ";
    QTest::newRow("batch that renamed nothing") << abc << 1 << Nothing << false << abc << "";
}

void TestUndo::undo_Should_RestoreLastRenamedFirstNeverOverwriting() {
    QFETCH(Files, before);
    QFETCH(int, failAt);
    QFETCH(Meanwhile, meanwhile);
    QFETCH(bool, undoable);
    QFETCH(Files, after);
    QFETCH(QString, skipped);
    Window w;
    const std::string folder = w.workDir() + "/photos";
    fs::create_directory(folder);
    for (const auto& [name, content] : before)
        std::ofstream(folder + "/" + name) << content;
    w.writeIni("[Data]\nFolder=" + folder + "\nStartNumber=1\n");
    w.start().m_listFiles.SetItemState(-1, LVIS_SELECTED, LVIS_SELECTED);
    QAction* undo = w.dlg->UndoAction();
    QVERIFY(w.dlg->SystemMenu()->actions().contains(undo) && !undo->isEnabled() &&
            undo->text() == QStringLiteral("元に戻す(&U)"));
    w.failAt = failAt;
    if (meanwhile == Meanwhile::ReplaceBeforeRun) {
        std::ofstream(folder + "/saving") << "a.jpg saved anew";
        fs::rename(folder + "/saving", folder + "/a.jpg");
    }
    w.edit(IDC_PREFIX)->setText(QStringLiteral("a"));
    w.click(IDC_START);
    QCOMPARE(undo->isEnabled(), undoable);

    if (meanwhile == Meanwhile::MoveAway)
        fs::rename(folder + "/a2.jpg", folder + "/elsewhere");
    else if (meanwhile == Meanwhile::TakeOldName)
        std::ofstream(folder + "/b.jpg") << "intruder";
    w.boxes.shown.clear();
    if (meanwhile == Meanwhile::Restart) {
        w.dlg.reset();
        w.start().show();
        undo = w.dlg->UndoAction();
        QVERIFY(QTest::qWaitForWindowActive(w.dlg.get()));
        w.dlg->m_listFiles.SetFocus(); // an edit box keeps Ctrl+Z for its own typing
        QTest::keyClick(w.dlg->m_listFiles.View(), Qt::Key_Z, Qt::ControlModifier);
    } else {
        undo->trigger();
    }

    QCOMPARE(Read(folder), after);
    QVERIFY(!undo->isEnabled());
    const auto& shown = w.boxes.shown;
    QCOMPARE(int(shown.size()), !undoable ? 0 : skipped.isEmpty() ? 1 : 2);
    QCOMPARE(int(w.names().size()), int(after.size()));
    QVERIFY(!undoable || (shown[0].text == "直前の変換を元に戻します。よろしいですか？" &&
                          shown[0].caption == "確認" && shown[0].style == 0x41));
    QVERIFY(skipped.isEmpty() ||
            (shown[1].text == "元に戻せなかったファイルがあります。" && shown[1].style == 0x30 &&
             QString::fromStdString(shown[1].details).startsWith(skipped)));
}

QTEST_MAIN(TestUndo)
#include "tst_undo.moc"
