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

// Someone else's change to the folder, and when it happens.
struct Meanwhile {
    enum When { Never, WhileConfirming, BeforeUndo } when = Never;
    std::string name{};
    std::string content{};   // empty: the file is removed, or renamed
    std::string renamedTo{}; // not empty: the file gets this name
};

struct Outcome {
    Files files;
    bool boxShown = false; // the failure box of the batch, the skipped files of the undo
};

} // namespace

Q_DECLARE_METATYPE(Files)
Q_DECLARE_METATYPE(Meanwhile)
Q_DECLARE_METATYPE(Outcome)

namespace {

// The main window over a folder of the test file system, which also holds the working directory
// and so the undo journal. Every batch uses the prefix IMG_, the start 0001 and lower-case
// extensions; every file holds its own first name.
class Window {
public:
    explicit Window(const QStringList& names) : m_harness(m_disk.qpath()) {
        fs::create_directory(folder);
        for (const QString& name : names)
            std::ofstream(folder + "/" + name.toStdString()) << name.toStdString();
        m_harness.writeIni("[Data]\nFolder=" + folder +
                           "\nStartNumber=0001\n[Config]\nSmallCheck=1\n");
        m_harness.start();
    }

    MainWindowHarness& operator*() { return m_harness; }
    MainWindowHarness* operator->() { return &m_harness; }

    Files files() const {
        Files found;
        for (const auto& entry : fs::directory_iterator(folder))
            found[entry.path().filename()] = {
                std::istreambuf_iterator<char>(std::ifstream(entry.path()).rdbuf()), {}};
        return found;
    }

    void change(const Meanwhile& m) const {
        if (!m.renamedTo.empty())
            fs::rename(folder + "/" + m.name, folder + "/" + m.renamedTo);
        else if (m.content.empty())
            fs::remove(folder + "/" + m.name);
        else
            std::ofstream(folder + "/" + m.name) << m.content;
    }

private:
    const TestFolder m_disk;
    MainWindowHarness m_harness;

public:
    const std::string folder = m_disk.path() + "/photos";
};

Files Unchanged(const QStringList& names) {
    Files files;
    for (const QString& name : names)
        files[name.toStdString()] = name.toStdString();
    return files;
}

} // namespace

class TestLetterCase : public QObject {
    Q_OBJECT

private slots:
    void batchAndUndo_Should_RenameWhatIsSafeAndRefuseEveryClash_data();
    void batchAndUndo_Should_RenameWhatIsSafeAndRefuseEveryClash();
};

void TestLetterCase::batchAndUndo_Should_RenameWhatIsSafeAndRefuseEveryClash_data() {
    QTest::addColumn<QStringList>("names");
    QTest::addColumn<QList<int>>("selected"); // rows in name order
    QTest::addColumn<Needs>("needs");
    QTest::addColumn<Meanwhile>("meanwhile");
    QTest::addColumn<QString>("flagged"); // the problem the preview names; empty: none
    QTest::addColumn<Outcome>("batch");
    QTest::addColumn<Outcome>("undo");
    using enum Needs;
    const QStringList cameraCard{"IMG_0001.JPG", "IMG_0002.JPG"};
    const QStringList otherCase{"a.jpg", "b.jpg", "IMG_0002.JPG"};
    const QStringList sameCase{"a.jpg", "b.jpg", "IMG_0002.jpg"};
    const QStringList abc{"a.jpg", "b.jpg", "c.jpg"};
    const Meanwhile intruder{Meanwhile::BeforeUndo, "A.JPG", "intruder"};

    QTest::newRow("a case-only batch renames every file, and its undo every one back")
        << cameraCard << QList<int>{0, 1} << Anything << Meanwhile{} << QString()
        << Outcome{{{"IMG_0001.jpg", "IMG_0001.JPG"}, {"IMG_0002.jpg", "IMG_0002.JPG"}}}
        << Outcome{Unchanged(cameraCard)};
    QTest::newRow("undo leaves alone a file already back under its old name")
        << QStringList{"IMG_0001.JPG"} << QList<int>{0} << Anything
        << Meanwhile{Meanwhile::BeforeUndo, "IMG_0001.jpg", "", "IMG_0001.JPG"} << QString()
        << Outcome{{{"IMG_0001.jpg", "IMG_0001.JPG"}}} << Outcome{Unchanged({"IMG_0001.JPG"})};
    QTest::newRow("another file in another letter case stops the run there")
        << otherCase << QList<int>{0, 1} << IgnoresCase << Meanwhile{}
        << QStringLiteral("2 行目: 「IMG_0002.jpg」は既にフォルダ内に存在します。")
        << Outcome{{{"IMG_0001.jpg", "a.jpg"},
                    {"b.jpg", "b.jpg"},
                    {"IMG_0002.JPG", "IMG_0002.JPG"}},
                   true}
        << Outcome{Unchanged(otherCase)};
    QTest::newRow("a name in another letter case is no clash where case counts")
        << otherCase << QList<int>{0, 1} << KeepsCase << Meanwhile{} << QString()
        << Outcome{{{"IMG_0001.jpg", "a.jpg"},
                    {"IMG_0002.jpg", "b.jpg"},
                    {"IMG_0002.JPG", "IMG_0002.JPG"}}}
        << Outcome{Unchanged(otherCase)};
    QTest::newRow("a clash in the same case stops the run there")
        << sameCase << QList<int>{0, 1} << Anything << Meanwhile{}
        << QStringLiteral("2 行目: 「IMG_0002.jpg」は既にフォルダ内に存在します。")
        << Outcome{{{"IMG_0001.jpg", "a.jpg"},
                    {"b.jpg", "b.jpg"},
                    {"IMG_0002.jpg", "IMG_0002.jpg"}},
                   true}
        << Outcome{Unchanged(sameCase)};
    QTest::newRow("a file vanished half-way stops the run there")
        << abc << QList<int>{0, 1, 2} << Anything << Meanwhile{Meanwhile::WhileConfirming, "b.jpg"}
        << QString() << Outcome{{{"IMG_0001.jpg", "a.jpg"}, {"c.jpg", "c.jpg"}}, true}
        << Outcome{{{"a.jpg", "a.jpg"}, {"c.jpg", "c.jpg"}}};
    QTest::newRow("undo keeps a file that took the old name in another letter case")
        << QStringList{"a.jpg"} << QList<int>{0} << IgnoresCase << intruder << QString()
        << Outcome{{{"IMG_0001.jpg", "a.jpg"}}}
        << Outcome{{{"IMG_0001.jpg", "a.jpg"}, {"A.JPG", "intruder"}}, true};
    QTest::newRow(
        "undo gives the old name back beside one in another letter case where case counts")
        << QStringList{"a.jpg"} << QList<int>{0} << KeepsCase << intruder << QString()
        << Outcome{{{"IMG_0001.jpg", "a.jpg"}}}
        << Outcome{{{"a.jpg", "a.jpg"}, {"A.JPG", "intruder"}}};
}

void TestLetterCase::batchAndUndo_Should_RenameWhatIsSafeAndRefuseEveryClash() {
    QFETCH(QStringList, names);
    QFETCH(QList<int>, selected);
    QFETCH(Needs, needs);
    QFETCH(Meanwhile, meanwhile);
    QFETCH(QString, flagged);
    QFETCH(Outcome, batch);
    QFETCH(Outcome, undo);
    if (!Applies(needs, TestFileSystem()))
        QSKIP("the row is for another kind of file system");
    Window w(names);
    for (int row : selected)
        w->dlg->m_listFiles.SetItemState(row, LVIS_SELECTED, LVIS_SELECTED);
    w->edit(IDC_PREFIX)->setText("IMG_");
    if (meanwhile.when == Meanwhile::WhileConfirming)
        w->boxes.onShow = [&] {
            w.change(meanwhile);
            w->boxes.onShow = nullptr;
        };
    w->click(IDC_START);
    QCOMPARE(w.files(), batch.files);
    const auto& shown = w->boxes.shown;
    QCOMPARE(shown.size(), batch.boxShown ? 2u : 1u);
    QCOMPARE(shown[0].caption, "確認");
    QCOMPARE(QString::fromStdString(shown[0].details).contains("行目: "), !flagged.isEmpty());
    QVERIFY(QString::fromStdString(shown[0].details).contains(flagged));
    QVERIFY(!batch.boxShown || (shown[1].caption == "Quorvel" && shown[1].style == 0x10));

    if (meanwhile.when == Meanwhile::BeforeUndo)
        w.change(meanwhile);
    w->boxes.shown.clear();
    w->dlg->UndoAction()->trigger();
    QCOMPARE(w.files(), undo.files);
    QCOMPARE(shown.size(), undo.boxShown ? 2u : 1u);
    QCOMPARE(shown[0].text, "直前の変換を元に戻します。よろしいですか？");
    QVERIFY(!undo.boxShown || shown[1].text == "元に戻せなかったファイルがあります。");
}

QTEST_MAIN(TestLetterCase)
#include "tst_lettercase.moc"
