#include "platform/listctrl/FileListView.h"
#include "support/MainWindowHarness.h"
#include "support/TestFolder.h"

#include <QAction>
#include <QtTest>

#include <filesystem>
#include <map>

using namespace quorvel;
using namespace quorvel::test;
namespace fs = std::filesystem;

namespace {

using Files = std::map<std::string, std::string>; // name -> content

// What someone else does to the folder between the batch and its undo: renames `name` to
// `renamedTo`, or else makes it holding `content`.
struct Meanwhile {
    std::string name{}, renamedTo{}, content{};
};

// The real calls, counting the readings of a folder.
struct CountingHarness : MainWindowHarness {
    using MainWindowHarness::MainWindowHarness;
    struct Counting : RenameSystem {
        int ReadFolder(int fd, const char* folder, std::vector<std::string>& names) override {
            ++reads;
            return RenameSystem::ReadFolder(fd, folder, names);
        }
        int reads = 0;
    } sys;
    RenameSystem& renameSystem() override { return sys; }
};

} // namespace

Q_DECLARE_METATYPE(Files)
Q_DECLARE_METATYPE(Meanwhile)

class TestLetterCase : public QObject {
    Q_OBJECT

private slots:
    // The whole window on the test file system, the undo journal included; every file selected,
    // renamed to IMG_0001 on with lower-case extensions. Each file holds its first name.
    void batchAndUndo_Should_RenameWhatIsSafeAndRefuseEveryClash_data() {
        QTest::addColumn<Files>("before");
        QTest::addColumn<Needs>("needs");
        QTest::addColumn<Meanwhile>("meanwhile");
        QTest::addColumn<Files>("batch");
        QTest::addColumn<Files>("undo");
        QTest::addColumn<bool>("skipped"); // the undo lists files it could not give back
        QTest::addColumn<int>("reads");    // of the folder by batch and undo, where case is ignored
        using enum Needs;
        const Files one{{"IMG_0001.JPG", "IMG_0001.JPG"}}, a{{"a.jpg", "a.jpg"}};
        const Files renamed{{"IMG_0001.jpg", "IMG_0001.JPG"}}, aRenamed{{"IMG_0001.jpg", "a.jpg"}};
        const Meanwhile intruder{"A.JPG", "", "intruder"};
        QTest::newRow("a case-only batch, and its undo")
            << Files{{"IMG_0001.JPG", "IMG_0001.JPG"}, {"IMG_0002.JPG", "IMG_0002.JPG"}} << Anything
            << Meanwhile{}
            << Files{{"IMG_0001.jpg", "IMG_0001.JPG"}, {"IMG_0002.jpg", "IMG_0002.JPG"}}
            << Files{{"IMG_0001.JPG", "IMG_0001.JPG"}, {"IMG_0002.JPG", "IMG_0002.JPG"}} << false
            << 2;
        QTest::newRow("undo leaves alone a file already back under its old name")
            << one << Anything << Meanwhile{"IMG_0001.jpg", "IMG_0001.JPG"} << renamed << one
            << false << -1;
        QTest::newRow("undo keeps a file that took the old name in another letter case")
            << a << IgnoresCase << intruder << aRenamed
            << Files{{"IMG_0001.jpg", "a.jpg"}, {"A.JPG", "intruder"}} << true << -1;
        QTest::newRow("undo gives the old name back beside another case where case counts")
            << a << KeepsCase << intruder << aRenamed
            << Files{{"a.jpg", "a.jpg"}, {"A.JPG", "intruder"}} << false << -1;
    }
    void batchAndUndo_Should_RenameWhatIsSafeAndRefuseEveryClash() {
        QFETCH(Files, before);
        QFETCH(Needs, needs);
        QFETCH(Meanwhile, meanwhile);
        QFETCH(bool, skipped);
        if (!Applies(needs, TestFileSystem()))
            QSKIP("the row is for another kind of file system");
        const TestFolder disk;
        CountingHarness w(disk.qpath());
        const std::string folder = disk.path() + "/photos";
        fs::create_directory(folder);
        for (const auto& [name, content] : before)
            std::ofstream(folder + "/" + name) << content;
        const auto files = [&] {
            Files found;
            for (const auto& entry : fs::directory_iterator(folder))
                found[entry.path().filename()] = {
                    std::istreambuf_iterator<char>(std::ifstream(entry.path()).rdbuf()), {}};
            return found;
        };
        w.writeIni("[Data]\nFolder=" + folder + "\nStartNumber=0001\n[Config]\nSmallCheck=1\n");
        w.start().m_listFiles.SetItemState(-1, LVIS_SELECTED, LVIS_SELECTED);
        w.edit(IDC_PREFIX)->setText("IMG_");
        w.click(IDC_START);
        QTEST(files(), "batch");

        const fs::path touched = folder + "/" + meanwhile.name;
        if (!meanwhile.renamedTo.empty())
            fs::rename(touched, folder + "/" + meanwhile.renamedTo);
        else if (!meanwhile.name.empty())
            std::ofstream(touched) << meanwhile.content;
        w.boxes.shown.clear();
        w.dlg->UndoAction()->trigger();
        QTEST(files(), "undo");
        QCOMPARE(w.boxes.shown.size(), skipped ? 2u : 1u);
        if (QFETCH(int, reads); reads >= 0 && Applies(Needs::IgnoresCase, TestFileSystem()))
            QCOMPARE(w.sys.reads, reads);
    }

    // Names as Windows archives, CDs and cards leave them, and worse: renamed and given back
    // byte for byte, folder name included, and shown so that each reads as itself.
    void oddNames_Should_RenameAndUndoByteForByte_data() {
        QTest::addColumn<Needs>("needs");
        QTest::addColumn<std::string>("folderName");
        QTest::addColumn<Files>("before");
        QTest::addColumn<QStringList>("listed"); // what the list shows, in its order
        std::string longName(255, 'x');
        longName.replace(251, 4, ".JPG");
        QTest::newRow("Shift-JIS folder and names, a lone 0xFF, a cut UTF-8 sequence")
            << Needs::AnyBytes << std::string("\x8e\xca\x90\x5e") // 写真
            << Files{{"\x83\x65.JPG", "1"}, {"\x84\x65.JPG", "2"}, {"a\xff.JPG", "3"},
                     {"写\xe5\x86.JPG", "4"}}
            << QStringList{"a\\xFF.JPG", "写\\xE5\\x86.JPG", "テ.JPG", "\\x84e.JPG"};
        QTest::newRow("a leading dash, 255 bytes")
            << Needs::Anything << std::string("-photos") << Files{{"-x.JPG", "1"}, {longName, "2"}}
            << QStringList{"-x.JPG", QString::fromStdString(longName)};
        QTest::newRow("newline and backslash, where names may hold them")
            << Needs::SymbolicLinks << std::string("a\\b")
            << Files{{"a\nb.JPG", "1"}, {"a\\x0Ab.JPG", "2"}}
            << QStringList{"a\\x0Ab.JPG", "a\\x5Cx0Ab.JPG"};
    }
    void oddNames_Should_RenameAndUndoByteForByte() {
        QFETCH(std::string, folderName);
        QFETCH(Files, before);
        QFETCH(Needs, needs);
        if (!Applies(needs, TestFileSystem()))
            QSKIP("the row is for another kind of file system");
        const TestFolder disk;
        MainWindowHarness w(disk.qpath());
        const std::string folder = disk.path() + "/" + folderName;
        fs::create_directory(folder);
        for (const auto& [name, content] : before)
            std::ofstream(folder + "/" + name) << content;
        const auto files = [&] {
            Files found;
            for (const auto& entry : fs::directory_iterator(folder))
                found[entry.path().filename()] = {
                    std::istreambuf_iterator<char>(std::ifstream(entry.path()).rdbuf()), {}};
            return found;
        };
        w.writeIni("[Data]\nFolder=" + folder + "\nStartNumber=1\n[Config]\nSmallCheck=1\n");
        w.start().m_listFiles.SetItemState(-1, LVIS_SELECTED, LVIS_SELECTED);
        QStringList listed;
        const QAbstractItemModel* model = w.dlg->m_listFiles.View()->model();
        for (int r = 0; r < model->rowCount(); ++r)
            listed << model->index(r, 0).data().toString();
        QTEST(listed, "listed");
        w.edit(IDC_PREFIX)->setText("P");
        w.click(IDC_START);
        QCOMPARE(files().size(), before.size());
        for (qsizetype k = 0; k < listed.size(); ++k)
            QVERIFY(files().contains("P" + std::to_string(k + 1) + ".jpg"));
        // The confirmation lists each name as the list shows it.
        for (const QString& name : listed)
            QVERIFY(QString::fromStdString(w.boxes.shown.at(0).details).contains(name));
        w.dlg->UndoAction()->trigger();
        QCOMPARE(files(), before);
        fs::remove_all(folder); // QTemporaryDir cannot spell such names
    }
};

QTEST_MAIN(TestLetterCase)
#include "tst_lettercase.moc"
