#include "platform/FileListView.h"
#include "support/MainWindowHarness.h"
#include "support/ModalSteps.h"

#include <QtTest>

#include <chrono>
#include <filesystem>
#include <map>
#include <set>

using namespace quorvel;
using namespace quorvel::test;

namespace {

const char* const kRefusedText = "ファイルもしくはフォルダが存在しない場合は\n選択できません。";
const char* const kNoSelectionText =
    "ファイルが選択されていません。\nファイルを選択してから操作を行って下さい。";

// Row states written one character a row: '.' none, 's' selected, 'f' focus mark only,
// 'S' selected and focus mark.
QString StatesOf(const CListCtrl& list) {
    QString text;
    for (int r = 0; r < list.GetItemCount(); ++r) {
        const unsigned s = list.GetItemState(r, LVIS_SELECTED | LVIS_FOCUSED);
        text += s == 0 ? '.' : s == LVIS_SELECTED ? 's' : s == LVIS_FOCUSED ? 'f' : 'S';
    }
    return text;
}

void SetStates(CListCtrl& list, const QString& states) {
    QCOMPARE(int(states.size()), list.GetItemCount());
    for (int r = 0; r < int(states.size()); ++r) {
        const QChar c = states[r];
        unsigned s = 0;
        if (c == 's' || c == 'S')
            s |= LVIS_SELECTED;
        if (c == 'f' || c == 'S')
            s |= LVIS_FOCUSED;
        list.SetItemState(r, s, LVIS_SELECTED | LVIS_FOCUSED);
    }
    QCOMPARE(StatesOf(list), states);
}

// The rows' names by their first letters: "a.txt b.txt" is "ab".
QString Order(const MainWindowHarness& h) {
    QString order;
    for (const std::string& n : h.names())
        order += QString::fromStdString(n).left(1);
    return order;
}

} // namespace

class TestSelection : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup();

    void SelectAndClear_Should_SetEveryRowAndFocusList_data();
    void SelectAndClear_Should_SetEveryRowAndFocusList();
    void Buttons_Should_RefuseAndKeepFocus_data();
    void Buttons_Should_RefuseAndKeepFocus();
    void Move_Should_ShiftSelectedRowsOnePlace_data();
    void Move_Should_ShiftSelectedRowsOnePlace();
    void ListClick_Should_NeverLeaveMissingRowsSelected_data();
    void ListClick_Should_NeverLeaveMissingRowsSelected();

private:
    // Starts the main window shown and active, listing a.txt .. e.txt, or the missing rows of a
    // folder or of a pattern, with the keyboard focus on `button` as if the user tabbed there.
    void start(MainWindowHarness& h, const QString& shows, int button);

    QTemporaryDir m_tree;
    std::map<std::string, std::string> m_timeOf; // column 1 of each file row
};

void TestSelection::initTestCase() {
    QVERIFY(m_tree.isValid());
    QVERIFY(QDir(m_tree.path()).mkdir("files"));
    // Every file a time of its own, so a moved row can be seen to keep its second column.
    const auto now = std::filesystem::file_time_type::clock::now();
    int age = 0;
    for (const char* name : {"a.txt", "b.txt", "c.txt", "d.txt", "e.txt"}) {
        const std::filesystem::path p = (m_tree.path() + "/files/").toStdString() + name;
        QFile f(QString::fromStdString(p.string()));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.close();
        std::filesystem::last_write_time(p, now - std::chrono::hours(24 * 40 * ++age));
    }
    MainWindowHarness h;
    h.writeIni("[Data]\nFolder=" + m_tree.path().toStdString() + "/files\n");
    h.start();
    for (int r = 0; r < h.dlg->m_listFiles.GetItemCount(); ++r)
        m_timeOf[h.dlg->m_listFiles.GetItemText(r, 0)] = h.dlg->m_listFiles.GetItemText(r, 1);
    QCOMPARE(m_timeOf.size(), std::size_t(5));
    std::set<std::string> distinct;
    for (const auto& [name, time] : m_timeOf)
        distinct.insert(time);
    QCOMPARE(distinct.size(), std::size_t(5));
}

void TestSelection::cleanup() {
    CloseLeftoverModals();
}

void TestSelection::start(MainWindowHarness& h, const QString& shows, int button) {
    std::string ini = "[Data]\nFolder=" + m_tree.path().toStdString() + "/files\n";
    if (shows == "missing pattern")
        ini += "Kaku=*.none\n";
    h.writeIni(ini);
    h.start();
    if (shows == "missing folder") {
        // Typed into the folder box: the folder's missing rows.
        h.edit(IDC_FOLDER)->setText(QString::fromStdString(h.dlg->m_strFolder + "/gone"));
    }
    QCOMPARE(h.dlg->m_bListValid, shows == "files" ? 1 : 0);
    QCOMPARE(Order(h), shows == "files" ? QStringLiteral("abcde") : QStringLiteral("指 "));
    h.dlg->show();
    h.dlg->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(h.dlg.get()));
    h.dlg->GetDlgItem(button)->setFocus();
    QCOMPARE(QApplication::focusWidget(), h.dlg->GetDlgItem(button));
}

void TestSelection::SelectAndClear_Should_SetEveryRowAndFocusList_data() {
    QTest::addColumn<QString>("shows");
    QTest::addColumn<int>("button");
    QTest::addColumn<QString>("before");
    QTest::addColumn<QString>("after");

    QTest::newRow("select all, nothing selected") << "files" << IDC_SELECTALL << "....."
                                                  << "sssss";
    QTest::newRow("select all keeps the focus mark where it was")
        << "files" << IDC_SELECTALL << "..f.."
        << "ssSss";
    QTest::newRow("select all, some selected") << "files" << IDC_SELECTALL << "sS..s"
                                               << "sSsss";
    QTest::newRow("select all, all selected") << "files" << IDC_SELECTALL << "sssSs"
                                              << "sssSs";
    QTest::newRow("clear all removes selection and focus mark")
        << "files" << IDC_DESELECTALL << "sS.ss"
        << ".....";
    QTest::newRow("clear all, nothing selected") << "files" << IDC_DESELECTALL << "....."
                                                 << ".....";
    QTest::newRow("clear all works on the missing folder rows")
        << "missing folder" << IDC_DESELECTALL << "Ss"
        << "..";
    QTest::newRow("clear all works on the missing file rows")
        << "missing pattern" << IDC_DESELECTALL << "fs"
        << "..";
}

void TestSelection::SelectAndClear_Should_SetEveryRowAndFocusList() {
    QFETCH(QString, shows);
    QFETCH(int, button);
    QFETCH(QString, before);
    QFETCH(QString, after);

    MainWindowHarness h;
    start(h, shows, button);
    SetStates(h.dlg->m_listFiles, before);
    const QString order = Order(h);

    h.click(button);

    QCOMPARE(StatesOf(h.dlg->m_listFiles), after);
    QCOMPARE(Order(h), order);
    QVERIFY(h.boxes.shown.empty());
    // The focus goes to the list; while the missing rows show, the list is disabled and
    // cannot take it.
    if (shows == "files")
        QCOMPARE(QApplication::focusWidget(), h.dlg->GetDlgItem(IDC_FILELIST));
}

void TestSelection::Buttons_Should_RefuseAndKeepFocus_data() {
    QTest::addColumn<QString>("shows");
    QTest::addColumn<int>("button");
    QTest::addColumn<QString>("states"); // before, and unchanged after
    QTest::addColumn<QString>("text");

    QTest::newRow("select all while the missing folder rows show")
        << "missing folder" << IDC_SELECTALL << ".." << kRefusedText;
    QTest::newRow("select all while the missing file rows show")
        << "missing pattern" << IDC_SELECTALL << "f." << kRefusedText;
    QTest::newRow("up without a selection") << "files" << IDC_UP << "..f.." << kNoSelectionText;
    QTest::newRow("down without a selection") << "files" << IDC_DOWN << "....." << kNoSelectionText;
    QTest::newRow("up while the missing rows show")
        << "missing folder" << IDC_UP << ".." << kNoSelectionText;
    QTest::newRow("down while the missing rows show")
        << "missing pattern" << IDC_DOWN << ".." << kNoSelectionText;
}

void TestSelection::Buttons_Should_RefuseAndKeepFocus() {
    QFETCH(QString, shows);
    QFETCH(int, button);
    QFETCH(QString, states);
    QFETCH(QString, text);

    MainWindowHarness h;
    start(h, shows, button);
    SetStates(h.dlg->m_listFiles, states);
    const QString order = Order(h);

    h.click(button);

    QCOMPARE(h.boxes.shown.size(), std::size_t(1));
    QCOMPARE(QString::fromStdString(h.boxes.shown[0].text), text);
    QCOMPARE(h.boxes.shown[0].caption, std::string("Tessaly"));
    QCOMPARE(h.boxes.shown[0].style, MB_OK | MB_ICONEXCLAMATION);
    QCOMPARE(StatesOf(h.dlg->m_listFiles), states);
    QCOMPARE(Order(h), order);
    QCOMPARE(QApplication::focusWidget(), h.dlg->GetDlgItem(button));
}

void TestSelection::Move_Should_ShiftSelectedRowsOnePlace_data() {
    QTest::addColumn<int>("button");
    QTest::addColumn<QString>("before"); // states of rows a b c d e
    QTest::addColumn<QString>("order");  // afterwards
    QTest::addColumn<QString>("after");

    QTest::newRow("rows 0 and 2 up: row 0 stays, row 2 rises above row 1") << IDC_UP << "s.s.."
                                                                           << "acbde"
                                                                           << "sS...";
    QTest::newRow("rows 1 and 2 of five down: row 3 rises above them") << IDC_DOWN << ".ss.."
                                                                       << "adbce"
                                                                       << "..Ss.";
    QTest::newRow("all selected, up: nothing moves") << IDC_UP << "ssSss"
                                                     << "abcde"
                                                     << "ssSss";
    QTest::newRow("all selected, down: nothing moves") << IDC_DOWN << "sssss"
                                                       << "abcde"
                                                       << "sssss";
    QTest::newRow("row 0 never moves up") << IDC_UP << "S...."
                                          << "abcde"
                                          << "S....";
    QTest::newRow("last row never moves down") << IDC_DOWN << "....s"
                                               << "abcde"
                                               << "....s";
    QTest::newRow("block at the top stays, the rest rises") << IDC_UP << "ss.s."
                                                            << "abdce"
                                                            << "ssS..";
    QTest::newRow("block at the bottom stays, the rest sinks") << IDC_DOWN << ".s.ss"
                                                               << "acbde"
                                                               << "..Sss";
    QTest::newRow("a run rises as a whole; focus on the lowest moved row") << IDC_UP << ".ss.s"
                                                                           << "bcaed"
                                                                           << "ss.S.";
    QTest::newRow("a run sinks as a whole; focus on the highest moved row") << IDC_DOWN << "ss.s."
                                                                            << "cabed"
                                                                            << ".Ss.s";
    QTest::newRow("focus mark leaves an unselected row, up") << IDC_UP << "f.s.s"
                                                             << "acbed"
                                                             << ".s.S.";
    QTest::newRow("focus mark leaves an unselected row, down") << IDC_DOWN << "s...f"
                                                               << "bacde"
                                                               << ".S...";
    QTest::newRow("nothing moves: the focus mark stays where it was") << IDC_DOWN << ".f.ss"
                                                                      << "abcde"
                                                                      << ".f.ss";
}

void TestSelection::Move_Should_ShiftSelectedRowsOnePlace() {
    QFETCH(int, button);
    QFETCH(QString, before);
    QFETCH(QString, order);
    QFETCH(QString, after);

    MainWindowHarness h;
    start(h, "files", button);
    SetStates(h.dlg->m_listFiles, before);

    h.click(button);

    QCOMPARE(Order(h), order);
    QCOMPARE(StatesOf(h.dlg->m_listFiles), after);
    // A moved row takes its second column along.
    for (int r = 0; r < h.dlg->m_listFiles.GetItemCount(); ++r) {
        const std::string name = h.dlg->m_listFiles.GetItemText(r, 0);
        QCOMPARE(h.dlg->m_listFiles.GetItemText(r, 1), m_timeOf.at(name));
    }
    QVERIFY(h.boxes.shown.empty());
    QCOMPARE(QApplication::focusWidget(), h.dlg->GetDlgItem(IDC_FILELIST));
}

void TestSelection::ListClick_Should_NeverLeaveMissingRowsSelected_data() {
    QTest::addColumn<QString>("shows");
    QTest::addColumn<QString>("before");
    QTest::addColumn<QString>("after");

    QTest::newRow("missing folder rows lose selection and focus mark") << "missing folder"
                                                                       << "Ss"
                                                                       << "..";
    QTest::newRow("missing file rows lose selection and focus mark") << "missing pattern"
                                                                     << "fs"
                                                                     << "..";
    QTest::newRow("file rows are left as the list set them") << "files"
                                                             << "sS..s"
                                                             << "sS..s";
}

void TestSelection::ListClick_Should_NeverLeaveMissingRowsSelected() {
    QFETCH(QString, shows);
    QFETCH(QString, before);
    QFETCH(QString, after);

    MainWindowHarness h;
    start(h, shows, IDC_REFRESH);
    SetStates(h.dlg->m_listFiles, before);

    // The list's click notification, after the list has handled the click.
    auto* view = qobject_cast<FileListView*>(h.dlg->GetDlgItem(IDC_FILELIST));
    QVERIFY(view);
    emit view->clickedInList();
    QCOMPARE(StatesOf(h.dlg->m_listFiles), after);

    // The result slot of the notification is always 0.
    Message msg{WM_NOTIFY, NM_CLICK, IDC_FILELIST, true};
    msg.result = 7;
    h.dlg->Dispatch(msg);
    QCOMPARE(msg.result, 0L);
    QCOMPARE(StatesOf(h.dlg->m_listFiles), after);

    if (shows == "files") {
        // A real click on row 2: the list selects it alone and gives it the focus mark.
        const QRect cell = view->visualRect(view->model()->index(2, 0));
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, cell.center());
        QCOMPARE(StatesOf(h.dlg->m_listFiles), QStringLiteral("..S.."));
    }
    QVERIFY(h.boxes.shown.empty());
}

QTEST_MAIN(TestSelection)
#include "tst_selection.moc"
