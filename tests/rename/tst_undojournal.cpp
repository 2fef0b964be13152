#include "fs/SafeRename.h"
#include "rename/UndoJournalFile.h"
#include "support/MainWindowHarness.h"
#include "support/TestFolder.h"

#include <QAction>
#include <QtTest>

#include <filesystem>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace quorvel;
using namespace quorvel::test;
namespace fs = std::filesystem;

namespace {

// What someone put where the journal is read.
enum class Planted {
    Valid,
    OldNameEscapes,
    NewNameEscapes,
    EmptyName,
    OtherFolder,
    Directory,
    Fifo,
    LinkToDevZero,
    LinkToJournal,
    Truncated,
    Garbage,
    Huge,
    SomeoneElses,
};

// a.jpg and b.jpg renamed to IMG_1.jpg and IMG_2.jpg in `folder`, as the batch's journal says.
UndoJournal RenamedBatch(const std::string& folder) {
    for (const char* name : {"a.jpg", "b.jpg"})
        std::ofstream(folder + "/" + name) << name;
    const FolderHandle dir(folder);
    UndoJournal journal = MakeUndoJournal(
        dir.fd(), folder + "/", {{"a.jpg", "IMG_1.jpg"}, {"b.jpg", "IMG_2.jpg"}}, {});
    journal.done = 2;
    fs::rename(folder + "/a.jpg", folder + "/IMG_1.jpg");
    fs::rename(folder + "/b.jpg", folder + "/IMG_2.jpg");
    return journal;
}

void Plant(Planted what, const std::string& path, UndoJournal journal, const std::string& other) {
    using enum Planted;
    switch (what) {
    case OldNameEscapes:
        journal.entries[0].oldName = "../../escaped-a.jpg";
        break;
    case NewNameEscapes:
        journal.entries[0].newName = "sub/../../IMG_1.jpg";
        break;
    case EmptyName:
        journal.entries[1].oldName.clear();
        break;
    case OtherFolder:
        journal.folder = other + "/";
        break;
    default:
        break;
    }
    const std::string bytes = SerializeUndoJournal(journal);
    fs::create_directories(fs::path(path).parent_path());
    switch (what) {
    case Directory:
        fs::create_directory(path);
        return;
    case Fifo:
        mkfifo(path.c_str(), 0600);
        return;
    case LinkToDevZero:
        fs::create_symlink("/dev/zero", path);
        return;
    case LinkToJournal:
        std::ofstream(other + "/j.undo", std::ios::binary) << bytes;
        fs::create_symlink(other + "/j.undo", path);
        return;
    case Truncated:
        std::ofstream(path, std::ios::binary) << bytes.substr(0, bytes.size() - 8);
        return;
    case Garbage:
        std::ofstream(path, std::ios::binary) << "PK\3\4 not a journal at all";
        return;
    case Huge:
        std::ofstream(path, std::ios::binary) << bytes;
        fs::resize_file(path, std::uintmax_t(321) << 20);
        return;
    default:
        std::ofstream(path, std::ios::binary) << bytes;
    }
    if (what == SomeoneElses && chown(path.c_str(), 65534, 65534) != 0)
        QSKIP("only root can give a file to someone else");
}

struct Window : MainWindowHarness {
    explicit Window(const std::string& folder) {
        writeIni("[Data]\nFolder=" + folder + "\n[Config]\nSmallCheck=1\n");
    }
    std::string journal() const { return UndoJournalPath(iniPath()); }
};

} // namespace

Q_DECLARE_METATYPE(Planted)
Q_DECLARE_METATYPE(JournalProblem)

class TestUndoJournal : public QObject {
    Q_OBJECT

private slots:
    void read_Should_BelieveOnlyAJournalOfThisFolder_data() {
        QTest::addColumn<Planted>("planted");
        QTest::addColumn<JournalProblem>("problem");
        // What the start-up learns from the journal's head alone.
        QTest::addColumn<JournalProblem>("peeked");
        using enum Planted;
        using P = JournalProblem;
        QTest::newRow("the batch's own") << Valid << P::None << P::None;
        QTest::newRow("an old name that climbs out") << OldNameEscapes << P::OutsideFolder
                                                     << P::None;
        QTest::newRow("a new name that climbs out") << NewNameEscapes << P::OutsideFolder
                                                    << P::None;
        QTest::newRow("an empty name") << EmptyName << P::OutsideFolder << P::None;
        QTest::newRow("another folder's path") << OtherFolder << P::OtherFolder << P::None;
        QTest::newRow("a directory") << Directory << P::Damaged << P::Damaged;
        QTest::newRow("a FIFO: never waited on") << Fifo << P::Damaged << P::Damaged;
        QTest::newRow("a link to /dev/zero") << LinkToDevZero << P::Damaged << P::Damaged;
        QTest::newRow("a link to a sound journal") << LinkToJournal << P::Damaged << P::Damaged;
        QTest::newRow("cut short") << Truncated << P::Damaged << P::None;
        QTest::newRow("garbage") << Garbage << P::Damaged << P::Damaged;
        QTest::newRow("larger than any batch") << Huge << P::Damaged << P::Damaged;
        QTest::newRow("someone else's") << SomeoneElses << P::NotYours << P::NotYours;
    }
    void read_Should_BelieveOnlyAJournalOfThisFolder() {
        QFETCH(Planted, planted);
        const TestFolder disk, other;
        const std::string path = disk.path() + "/state/j.undo";
        fs::create_directory(disk.path() + "/photos");
        const UndoJournal batch = RenamedBatch(disk.path() + "/photos");
        RenamedBatch(other.path());
        Plant(planted, path, batch, other.path());

        const JournalRead read = ReadUndoJournal(path);
        QTEST(read.problem, "problem");
        QCOMPARE(read.journal.has_value(), read.problem == JournalProblem::None);
        bool somethingToUndo = false;
        QTEST(PeekUndoJournal(path, somethingToUndo), "peeked");
        QCOMPARE(somethingToUndo, PeekUndoJournal(path, somethingToUndo) == JournalProblem::None);
    }

    // Through the window: the undo says why and touches nothing; the file stays to be looked at.
    void undo_Should_RefuseAJournalThatLeavesTheFolder() {
        const TestFolder disk;
        const std::string folder = disk.path() + "/photos";
        fs::create_directory(folder);
        Window w(folder);
        Plant(Planted::OldNameEscapes, w.journal(), RenamedBatch(folder), {});
        w.start();
        QVERIFY(w.dlg->UndoAction()->isEnabled());
        w.dlg->UndoAction()->trigger();
        QCOMPARE(w.boxes.shown.size(), 1u);
        QCOMPARE(w.boxes.shown[0].caption, "確認");
        QCOMPARE(w.boxes.shown[0].text,
                 "直前の変換は元に戻せません。\n記録にフォルダの外を指す名前があります。");
        QVERIFY(fs::exists(folder + "/IMG_1.jpg") && fs::exists(folder + "/IMG_2.jpg"));
        QVERIFY(!fs::exists(disk.path() + "/escaped-a.jpg"));
        QVERIFY(fs::exists(w.journal()));
    }

    // An earlier version's journal beside Qorv.ini moves to the state folder when it is sound,
    // and stays where it is when it is not.
    void legacyJournal_Should_MoveOnlyWhenSound_data() {
        QTest::addColumn<Planted>("planted");
        QTest::addColumn<bool>("adopted");
        QTest::newRow("sound") << Planted::Valid << true;
        QTest::newRow("climbing out") << Planted::OldNameEscapes << false;
    }
    void legacyJournal_Should_MoveOnlyWhenSound() {
        QFETCH(Planted, planted);
        QFETCH(bool, adopted);
        const TestFolder disk;
        const std::string folder = disk.path() + "/photos";
        fs::create_directory(folder);
        Window w(folder);
        const std::string legacy = w.workDir() + "/Qorv.undo";
        Plant(planted, legacy, RenamedBatch(folder), {});
        w.start();
        QCOMPARE(fs::exists(legacy), !adopted);
        QCOMPARE(fs::exists(w.journal()), adopted);
        w.dlg->UndoAction()->trigger();
        QCOMPARE(fs::exists(folder + "/a.jpg"), adopted);
    }

    // Without a place for the journal the user hears first that there is no way back; OK still
    // renames. With one, no batch in the working directory ever finds the journal to rename.
    void batch_Should_SayFirstWhenItCannotBeUndone_data() {
        QTest::addColumn<bool>("journalled");
        QTest::newRow("the state folder takes the journal") << true;
        QTest::newRow("the state folder is a file") << false;
    }
    void batch_Should_SayFirstWhenItCannotBeUndone() {
        QFETCH(bool, journalled);
        const QByteArray state = qgetenv("XDG_STATE_HOME");
        const TestFolder elsewhere;
        Window w(".");
        std::ofstream(w.workDir() + "/a.jpg") << "a";
        if (!journalled) {
            std::ofstream(elsewhere.path() + "/state") << "";
            qputenv("XDG_STATE_HOME", QByteArray::fromStdString(elsewhere.path() + "/state"));
        }
        w.start().m_listFiles.SetItemState(-1, LVIS_SELECTED, LVIS_SELECTED);
        w.edit(IDC_PREFIX)->setText("P");
        w.click(IDC_START);
        qputenv("XDG_STATE_HOME", state);
        QCOMPARE(w.boxes.shown.at(0).text,
                 journalled ? "ファイル名を変更します。よろしいですか？"
                            : "ファイル名を変更します。よろしいですか？\n"
                              "元に戻すための記録を保存できないため、この変換は元に戻せません。");
        QStringList left = QDir(QString::fromStdString(w.workDir())).entryList(QDir::Files);
        left.sort();
        QCOMPARE(left, QStringList({"P001.jpg", "P002.ini"}));
        QCOMPARE(w.dlg->UndoAction()->isEnabled(), journalled);
    }
};

QTEST_MAIN(TestUndoJournal)
#include "tst_undojournal.moc"
