#include "platform/SafeRename.h"
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

struct Window : MainWindowHarness, RenameSystem {
    ~Window() { dlg.reset(); } // the window still uses this rename system while it closes
    RenameSystem& renameSystem() override { return *this; }
    int Renameat2NoReplace(int dirfd, const char* from, const char* to) override {
        return ++renames == failAt ? EACCES : RenameSystem::Renameat2NoReplace(dirfd, from, to);
    }
    int failAt = 0, renames = 0;
};

} // namespace

class TestUndo : public QObject {
    Q_OBJECT

private slots:
    void undo_Should_RestoreLastRenamedFirstNeverOverwriting_data();
    void undo_Should_RestoreLastRenamedFirstNeverOverwriting();
};

void TestUndo::undo_Should_RestoreLastRenamedFirstNeverOverwriting_data() {
    QTest::addColumn<int>("failAt");        // the rename of the batch that fails; 0: none
    QTest::addColumn<QString>("meanwhile"); // "restart", "move" p2.jpg away, "take" b.jpg
    QTest::addColumn<QStringList>(
        "after"); // "name" holding itself or "name<content"; {}: as before
    QTest::newRow("complete batch") << 0 << "" << QStringList();
    QTest::newRow("batch stopped halfway") << 3 << "" << QStringList();
    QTest::newRow("after a restart, by Ctrl+Z") << 0 << "restart" << QStringList();
    QTest::newRow("one file renamed by someone else meanwhile")
        << 0 << "move" << QStringList{"a.jpg", "elsewhere<b.jpg", "c.jpg"};
    QTest::newRow("its old name taken meanwhile")
        << 0 << "take" << QStringList{"a.jpg", "b.jpg<intruder", "a2.jpg<b.jpg", "c.jpg"};
    QTest::newRow("batch that renamed nothing") << 1 << "" << QStringList();
}

void TestUndo::undo_Should_RestoreLastRenamedFirstNeverOverwriting() {
    QFETCH(int, failAt);
    QFETCH(QString, meanwhile);
    QFETCH(QStringList, after);
    const QStringList files = meanwhile == "restart" ? QStringList{"a\nb.jpg", "c d.jpg"}
                                                     : QStringList{"a.jpg", "b.jpg", "c.jpg"};
    if (after.isEmpty())
        after = files;
    const int skipped =
        failAt == 1 ? -1 : meanwhile == "move" || meanwhile == "take"; // -1: no undo
    Window w;
    const std::string folder = w.workDir() + "/photos";
    fs::create_directory(folder);
    for (const QString& name : files)
        std::ofstream(folder + "/" + name.toStdString()) << name.toStdString();
    w.writeIni("[Data]\nFolder=" + folder + "\nStartNumber=1\n");
    w.start().m_listFiles.SetItemState(-1, LVIS_SELECTED, LVIS_SELECTED);
    QAction* undo = w.dlg->UndoAction();
    QVERIFY(w.dlg->SystemMenu()->actions().contains(undo) && !undo->isEnabled() &&
            undo->text() == QStringLiteral("元に戻す(&U)"));
    w.failAt = failAt;
    w.edit(IDC_PREFIX)->setText(QStringLiteral("a"));
    w.click(IDC_START);
    QCOMPARE(undo->isEnabled(), skipped >= 0);

    if (meanwhile == "move")
        fs::rename(folder + "/a2.jpg", folder + "/elsewhere");
    else if (meanwhile == "take")
        std::ofstream(folder + "/b.jpg") << "intruder";
    w.boxes.shown.clear();
    if (meanwhile == "restart") {
        w.dlg.reset();
        w.start().show();
        undo = w.dlg->UndoAction();
        QVERIFY(QTest::qWaitForWindowActive(w.dlg.get()));
        w.edit(IDC_PREFIX)->setFocus(); // where Enter starts a batch
        QTest::keyClick(w.edit(IDC_PREFIX), Qt::Key_Z, Qt::ControlModifier);
    } else {
        undo->trigger();
    }

    std::map<std::string, std::string> expected, found;
    for (const QString& file : after)
        expected[file.section('<', 0, 0).toStdString()] = file.section('<', -1).toStdString();
    for (const auto& entry : fs::directory_iterator(folder))
        found[entry.path().filename().string()] = {
            std::istreambuf_iterator<char>(std::ifstream(entry.path()).rdbuf()), {}};
    QCOMPARE(found, expected);
    QVERIFY(!undo->isEnabled());
    QCOMPARE(int(w.boxes.shown.size()), skipped < 0 ? 0 : 1 + (skipped > 0));
    QCOMPARE(int(w.names().size()), int(expected.size()));
    const auto& shown = w.boxes.shown;
    QVERIFY(skipped < 0 || (shown[0].text == "直前の変換を元に戻します。よろしいですか？" &&
                            shown[0].caption == "Quorvel" && shown[0].style == 0x41));
    QVERIFY(skipped <= 0 ||
            (shown[1].text == "元に戻せなかったファイルがあります。" && shown[1].style == 0x30 &&
             shown[1].details.starts_with("a2.jpg → b.jpg: ")));
}

QTEST_MAIN(TestUndo)
#include "tst_undo.moc"
