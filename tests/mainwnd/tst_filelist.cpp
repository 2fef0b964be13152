#include "platform/listctrl/FileListView.h"
#include "text/SystemErrorText.h"
#include "support/MainWindowHarness.h"

#include <QAction>
#include <QHeaderView>
#include <QMenu>
#include <QtTest>

#include <cerrno>
#include <ctime>
#include <filesystem>

using namespace quorvel;
using namespace quorvel::test;
namespace fs = std::filesystem;

namespace {

// A row's selection and focus mark.
enum Mark : unsigned { none = 0, focused = LVIS_FOCUSED, selected = LVIS_SELECTED, both = 3 };
using Marks = QList<Mark>;

// What a listing leaves in the list.
enum class Shows { Files, MissingFile, MissingFolder, SystemText, Unlisted };

// The ways into a listing.
enum Caller {
    StartUp,
    Browse,
    BrowseCancel,
    FolderEdit,
    FolderSeparator,
    PatternEdit,
    Refresh,
    EndOfBatch,
    Undo
};

const QStringList kMissingFile{"指定されたファイルは", "               存在しません。"};
const QStringList kMissingFolder{"指定されたフォルダは", "               存在しません。"};
// The four test files in name order; their dates run _a, 10, B, 9 (the last after 2038).
const QStringList kFour{"10.txt", "9.txt", "_a.txt", "B.txt"};

struct HeaderClick {
    int column;
    QStringList rows; // afterwards
    int nameAscending;
    int dateAscending;
};

// An empty file modified at the start of `year` in UTC.
bool MakeFile(const QString& path, int year = 2020) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) &&
           file.setFileTime(QDate(year, 1, 1).startOfDay(QTimeZone::utc()),
                            QFileDevice::FileModificationTime);
}

Marks MarksOf(const CListCtrl& list) {
    Marks marks;
    for (int r = 0; r < list.GetItemCount(); ++r)
        marks << Mark(list.GetItemState(r, LVIS_SELECTED | LVIS_FOCUSED));
    return marks;
}

void SetMarks(CListCtrl& list, const Marks& marks) {
    for (int r = 0; r < int(marks.size()); ++r)
        list.SetItemState(r, marks[r], LVIS_SELECTED | LVIS_FOCUSED);
}

// Clicks a column header with the mouse, so the click reaches the window only through the
// list's own notification.
void ClickHeader(CNumberingDlg& dlg, int column) {
    QHeaderView* header = dlg.m_listFiles.View()->horizontalHeader();
    const QPoint centre(header->sectionViewportPosition(column) + header->sectionSize(column) / 2,
                        header->height() / 2);
    QTest::mouseClick(header->viewport(), Qt::LeftButton, Qt::NoModifier, centre);
}

// The one message box shown, or none when `text` is empty.
void CheckBox(const MainWindowHarness& h, const std::string& text, unsigned style) {
    QCOMPARE(h.boxes.shown.size(), std::size_t(text.empty() ? 0 : 1));
    if (!text.empty()) {
        QCOMPARE(h.boxes.shown[0].text, text);
        QCOMPARE(h.boxes.shown[0].caption, std::string("Tessaly"));
        QCOMPARE(h.boxes.shown[0].style, style);
    }
}

// A window whose renames can pull the folder away once they are done.
struct Window : MainWindowHarness, RenameSystem {
    ~Window() { dlg.reset(); } // the window still uses this rename system while it closes
    RenameSystem& renameSystem() override { return *this; }
    int Renameat2NoReplace(int dirfd, const char* from, const char* to) override {
        const int result = RenameSystem::Renameat2NoReplace(dirfd, from, to);
        if (afterRename)
            afterRename();
        return result;
    }
    std::function<void()> afterRename;
};

} // namespace

class TestFileList : public QObject {
    Q_OBJECT

    // "@" stands for the folder made for the tests.
    QString at(QString text) const { return text.replace('@', m_dir.path()); }
    // The main window listing `folder`, active (so its header takes clicks), with text typed.
    void start(MainWindowHarness& h, const QString& folder) {
        h.writeIni("[Data]\nFolder=" + at(folder).toStdString() + "\n");
        h.start();
        QVERIFY(h.show());
        QTest::keyClicks(h.edit(IDC_PREFIX), "keep_");
        // Nothing reads a start number as it is typed; a listing must not write the old one back.
        h.edit(IDC_STARTNUMBER)->selectAll();
        QTest::keyClicks(h.edit(IDC_STARTNUMBER), "0100");
    }

    QTemporaryDir m_dir;

private slots:
    void initTestCase() {
        // Tokyo has kept UTC+9 all year since 1951, so every expected time is UTC + 9 h.
        qputenv("TZ", "Asia/Tokyo");
        tzset();
        for (const char* folder : {"/folders", "/folders/y.txt", "/four"})
            QVERIFY(QDir().mkdir(at("@" + QString(folder))));
        fs::create_directory_symlink("y.txt", at("@/folders/z.txt").toStdString());
        fs::create_symlink("loop", at("@/loop").toStdString());
        int year = 1960;
        for (const char* name : {"_a.txt", "10.txt", "B.txt", "9.txt"})
            QVERIFY(MakeFile(at("@/four/") + name, std::exchange(year, year + 27)));
    }

    void Listing_Should_ShowFilesMissingRowsOrSystemText_data() {
        QTest::addColumn<QString>("folder"); // below the test folder
        QTest::addColumn<QString>("filter");
        QTest::addColumn<int>("reportErrors");
        QTest::addColumn<int>("clearPrefix");
        QTest::addColumn<Shows>("shows");
        QTest::addColumn<int>("error"); // of the system's text in a box
        const auto row = [](const char* what, QString folder, QString filter, int reportErrors,
                            int clearPrefix, Shows shows, int error = 0) {
            QTest::newRow(what) << folder << filter << reportErrors << clearPrefix << shows
                                << error;
        };
        const QString tooLong = "/" + QString(256, 'x');
        row("files, pattern in capitals, prefix cleared", "/four", "*.TXT", 1, 1, Shows::Files);
        row("missing folder, quiet, prefix cleared", "/missing", "", 0, 1, Shows::MissingFolder);
        row("missing folder, reporting: rows and prefix kept", "/missing", "", 1, 1,
            Shows::SystemText, ENOENT);
        row("bad path name, quiet", tooLong, "", 0, 1, Shows::MissingFolder);
        row("bad path name, reporting", tooLong, "", 1, 1, Shows::SystemText, ENAMETOOLONG);
        row("link loop, quiet: reported all the same", "/loop", "", 0, 1, Shows::SystemText, ELOOP);
        row("only subfolders and a link to one", "/folders", "", 1, 1, Shows::MissingFile);
        row("pattern matching nothing, reporting", "/four", "*.none", 1, 1, Shows::MissingFile);
    }
    void Listing_Should_ShowFilesMissingRowsOrSystemText() {
        QFETCH(QString, folder);
        QFETCH(QString, filter);
        QFETCH(int, reportErrors);
        QFETCH(int, clearPrefix);
        QFETCH(Shows, shows);
        QFETCH(int, error);
        // A state no listing makes, so any change shows: rows reversed, the first selected and
        // focused, both directions flipped, a prefix, the list red, disabled and invalid.
        MainWindowHarness h;
        h.writeIni("[Data]\nFolder=" + at("@/four").toStdString() + "\n");
        CNumberingDlg& dlg = h.start();
        CListCtrl& list = dlg.m_listFiles;
        list.ApplyOrder(std::vector<std::uint32_t>{3, 2, 1, 0});
        list.SetItemState(0, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
        list.SetTextColor(Rgb(230, 0, 0));
        list.EnableWindow(false);
        dlg.m_bListValid = dlg.m_bDateAscending = 0;
        dlg.m_bNameAscending = 1;
        dlg.m_strPrefix = "trip_";
        dlg.UpdateData(false);

        // As the browse button does: the member is set, the box not yet written.
        dlg.m_strFolder = at("@" + folder).toStdString();
        dlg.m_strFilter = filter.toStdString();
        dlg.ListFolder(dlg.m_strFolder, reportErrors, clearPrefix);

        CheckBox(h, error ? SystemErrorText(error) : "", MB_ICONEXCLAMATION);
        const bool files = shows == Shows::Files, kept = shows == Shows::SystemText;
        const QStringList rows = files  ? kFour
                                 : kept ? QStringList{"B.txt", "_a.txt", "9.txt", "10.txt"}
                                 : shows == Shows::MissingFile ? kMissingFile
                                                               : kMissingFolder;
        QCOMPARE(h.rows(), rows);
        if (files) // local time, seconds dropped
            QCOMPARE(h.column(1),
                     (std::vector<std::string>{"1987/01/01  09:00", "2041/01/01  09:00",
                                               "1960/01/01  09:00", "2014/01/01  09:00"}));
        else if (!kept)
            QCOMPARE(h.column(1), (std::vector<std::string>{"", ""}));
        const Marks marks = kept ? Marks{both, none, none, none} : Marks(rows.size(), none);
        QCOMPARE(MarksOf(list), marks);
        if (kept) // the box keeps the folder of the rows
            QCOMPARE(h.edit(IDC_FOLDER)->text(), at("@/four"));
        // Valid, black, enabled, name descending next, date ascending next; the missing rows
        // invalid, red 230, disabled, the directions as they were.
        const QList<uint> state{uint(dlg.m_bListValid), list.GetTextColor(),
                                uint(list.IsWindowEnabled()), uint(dlg.m_bNameAscending),
                                uint(dlg.m_bDateAscending)};
        QCOMPARE(state, (files ? QList<uint>{1, 0, 1, 0, 1} : QList<uint>{0, 230, 0, 1, 0}));
        const bool cleared = clearPrefix && !kept;
        QCOMPARE(h.edit(IDC_PREFIX)->text(), cleared ? QString() : QStringLiteral("trip_"));
    }

    void Caller_Should_ListWithItsOwnFlags_data() {
        QTest::addColumn<int>("caller"); // what the user does
        QTest::addColumn<bool>("gone");  // the folder cannot be found when it is listed
        QTest::addColumn<Shows>("shows");
        QTest::addColumn<QStringList>("rows"); // afterwards
        QTest::addColumn<QString>("prefix");   // afterwards, "keep_" typed before
        const QStringList photos{"notes.txt", "p1.jpg", "p2.jpg"};
        const auto row = [](const char* what, Caller caller, bool gone, Shows shows,
                            QStringList rows, QString prefix) {
            QTest::newRow(what) << int(caller) << gone << shows << rows << prefix;
        };
        // Quiet callers show a folder that is not found as the missing rows; reporting ones show
        // the system's text and keep the rows. Those that clear the prefix clear it on rows.
        row("start-up lists 1, 1", StartUp, false, Shows::Files, photos, "");
        row("start-up, a bad path name: reported", StartUp, true, Shows::SystemText, {}, "keep_");
        row("browse lists 1, 1", Browse, false, Shows::Files, {"abc.txt"}, "");
        row("browse to a folder gone: reported", Browse, true, Shows::SystemText, photos, "keep_");
        row("browse cancelled: nothing listed", BrowseCancel, false, Shows::Unlisted, photos,
            "keep_");
        row("folder typed lists 0, 1", FolderEdit, false, Shows::Files, {"abc.txt"}, "");
        row("folder typed, not found", FolderEdit, true, Shows::MissingFolder, kMissingFolder, "");
        row("trailing separator typed: nothing listed", FolderSeparator, false, Shows::Unlisted,
            photos, "keep_");
        row("pattern typed lists 0, 0", PatternEdit, false, Shows::Files, {"p1.jpg", "p2.jpg"},
            "keep_");
        row("pattern typed, folder gone", PatternEdit, true, Shows::MissingFolder, kMissingFolder,
            "keep_");
        row("refresh lists 1, 0", Refresh, false, Shows::Files, photos, "keep_");
        row("refresh, folder gone: reported", Refresh, true, Shows::SystemText, photos, "keep_");
        row("end of a batch lists 1, 0", EndOfBatch, false, Shows::Files,
            {"keep_0100.txt", "p1.jpg", "p2.jpg"}, "keep_");
        row("end of a batch, folder gone: reported", EndOfBatch, true, Shows::SystemText, photos,
            "keep_");
        row("end of an undo lists 1, 0", Undo, false, Shows::Files, photos, "keep_");
        row("end of an undo, folder gone: reported", Undo, true, Shows::SystemText,
            {"keep_0100.txt", "p1.jpg", "p2.jpg"}, "keep_");
    }
    void Caller_Should_ListWithItsOwnFlags() {
        QFETCH(int, caller);
        QFETCH(bool, gone);
        QFETCH(Shows, shows);
        QFETCH(QStringList, rows);
        QFETCH(QString, prefix);
        Window w;
        const std::string photos = w.workDir() + "/photos", abc = w.workDir() + "/abc";
        fs::create_directory(photos);
        fs::create_directory(abc);
        for (const char* name : {"notes.txt", "p1.jpg", "p2.jpg"})
            std::ofstream(photos + "/" + name);
        std::ofstream(abc + "/abc.txt");
        const std::string tooLong = w.workDir() + "/" + std::string(256, 'x');
        const auto pullAway = [&] { fs::rename(photos, photos + ".away"); };
        w.writeIni("[Data]\nFolder=" + (caller == StartUp && gone ? tooLong : photos) +
                   "\nStartNumber=0100\n");
        w.start([&](CNumberingDlg& dlg) {
            if (caller == StartUp)
                dlg.m_strPrefix = "keep_";
        });
        QVERIFY(w.show());
        if (caller != StartUp)
            QTest::keyClicks(w.edit(IDC_PREFIX), "keep_");
        if (caller == Undo) {
            w.dlg->m_listFiles.SetItemState(0, LVIS_SELECTED, LVIS_SELECTED);
            w.click(IDC_START);
        }
        if (caller != StartUp) { // a mark that only a listing takes away
            w.dlg->m_listFiles.SetItemState(0, LVIS_SELECTED, LVIS_SELECTED);
            w.boxes.shown.clear();
        }

        switch (Caller(caller)) {
        case StartUp:
            break;
        case Browse:
            w.chooser.answers.push_back(gone ? w.workDir() + "/gone" : abc);
            [[fallthrough]];
        case BrowseCancel:
            w.click(IDC_BROWSE);
            QCOMPARE(w.chooser.titles, std::vector<std::string>{
                                           "ファイル名を変更するファイルのあるフォルダを選択："});
            break;
        case FolderEdit:
            w.edit(IDC_FOLDER)->setText(QString::fromStdString(gone ? photos + "x" : abc));
            break;
        case FolderSeparator:
            w.edit(IDC_FOLDER)->setFocus();
            w.edit(IDC_FOLDER)->end(false);
            QTest::keyClicks(w.edit(IDC_FOLDER), "/");
            break;
        case PatternEdit:
            if (gone)
                pullAway();
            w.edit(IDC_FILTER)->setText("*.jpg");
            break;
        case Refresh:
            if (gone)
                pullAway();
            w.click(IDC_REFRESH);
            break;
        case EndOfBatch:
        case Undo:
            if (gone)
                w.afterRename = pullAway;
            if (caller == EndOfBatch)
                w.click(IDC_START);
            else
                w.dlg->UndoAction()->trigger();
            break;
        }

        QCOMPARE(w.rows(), rows);
        QCOMPARE(w.edit(IDC_PREFIX)->text(), prefix);
        const bool listed = shows != Shows::SystemText && shows != Shows::Unlisted;
        QCOMPARE(w.dlg->m_listFiles.GetNextItem(-1, LVNI_SELECTED),
                 listed || rows.isEmpty() ? -1 : 0);
        QStringList reports; // the boxes other than the confirmations
        for (const FakeMessageBox::Shown& box : w.boxes.shown)
            if (box.caption != "確認")
                reports << QString::fromStdString(box.text);
        const int error = caller == StartUp ? ENAMETOOLONG : ENOENT;
        QCOMPARE(reports, shows == Shows::SystemText
                              ? QStringList{QString::fromStdString(SystemErrorText(error))}
                              : QStringList());
    }

    void HeaderClicks_Should_SortFlipDirections_And_CarryMarks_data() {
        QTest::addColumn<QString>("folder"); // "" lists nothing
        QTest::addColumn<QList<HeaderClick>>("clicks");
        const QStringList byDate{"_a.txt", "10.txt", "B.txt", "9.txt"};
        const QStringList byDateDown{"9.txt", "B.txt", "10.txt", "_a.txt"};
        const QStringList byNameDown{"B.txt", "_a.txt", "9.txt", "10.txt"};
        const auto row = [](const char* what, QString folder, QList<HeaderClick> clicks) {
            QTest::newRow(what) << folder << clicks;
        };
        row("name twice", "@/four", {{0, byNameDown, 1, 1}, {0, kFour, 0, 1}});
        row("date twice: oldest first, then newest", "@/four",
            {{1, byDate, 1, 0}, {1, byDateDown, 1, 1}});
        row("date, name, date: a new column ascends", "@/four",
            {{1, byDate, 1, 0}, {0, kFour, 0, 1}, {1, byDate, 1, 0}});
        row("empty list: the flags change all the same", "",
            {{0, {}, 1, 1}, {1, {}, 1, 0}, {1, {}, 1, 1}});
        row("missing rows: no clicks reach the window", "@/gone",
            {{0, kMissingFolder, 0, 1}, {1, kMissingFolder, 0, 1}});
    }
    void HeaderClicks_Should_SortFlipDirections_And_CarryMarks() {
        QFETCH(QString, folder);
        QFETCH(QList<HeaderClick>, clicks);
        MainWindowHarness h;
        start(h, folder.endsWith("gone") ? "@/four" : folder);
        if (folder.endsWith("gone"))
            h.edit(IDC_FOLDER)->setText(at(folder));
        // All but 10.txt selected, the focus mark on 10.txt: each travels with its row.
        CListCtrl& list = h.dlg->m_listFiles;
        const bool four = folder == "@/four";
        if (four)
            SetMarks(list, {focused, selected, selected, selected});
        for (const HeaderClick& click : clicks) {
            ClickHeader(*h.dlg, click.column);
            QCOMPARE(h.rows(), click.rows);
            QCOMPARE(h.dlg->m_bNameAscending, click.nameAscending);
            QCOMPARE(h.dlg->m_bDateAscending, click.dateAscending);
            if (four)
                for (int r = 0; r < 4; ++r)
                    QCOMPARE(Mark(list.GetItemState(r, 3)),
                             click.rows[r] == "10.txt" ? focused : selected);
        }
    }

    void Selection_Should_SetRowsOrRefuse_data() {
        QTest::addColumn<int>("control");  // a button, or the list for a click on it
        QTest::addColumn<bool>("missing"); // the missing rows shown instead of the four files
        QTest::addColumn<Marks>("before");
        QTest::addColumn<QStringList>("rows"); // afterwards
        QTest::addColumn<Marks>("after");
        QTest::addColumn<QString>("refusal"); // the box's text, nothing changing
        const auto row = [](const char* what, int control, bool missing, Marks before,
                            QStringList rows, Marks after, QString refusal = {}) {
            QTest::newRow(what) << control << missing << before << rows << after << refusal;
        };
        const QString noSelection =
            "ファイルが選択されていません。\nファイルを選択してから操作を行って下さい。";
        row("select all keeps the focus mark", IDC_SELECTALL, false,
            {none, selected, focused, none}, kFour, {selected, selected, both, selected});
        row("select all refused over the missing rows", IDC_SELECTALL, true, {focused, none},
            kMissingFolder, {focused, none},
            "ファイルもしくはフォルダが存在しない場合は\n選択できません。");
        row("clear all removes the focus mark too", IDC_DESELECTALL, false,
            {selected, both, none, selected}, kFour, {none, none, none, none});
        row("up without a selection", IDC_UP, false, {none, none, focused, none}, kFour,
            {none, none, focused, none}, noSelection);
        row("down over the missing rows", IDC_DOWN, true, {none, none}, kMissingFolder,
            {none, none}, noSelection);
        row("rows 0 and 2 up: row 0 stays, row 2 rises above row 1", IDC_UP, false,
            {selected, none, selected, none}, {"10.txt", "_a.txt", "9.txt", "B.txt"},
            {selected, both, none, none});
        row("rows 1 and 2 down: row 3 rises above them", IDC_DOWN, false,
            {none, selected, selected, none}, {"10.txt", "B.txt", "9.txt", "_a.txt"},
            {none, none, both, selected});
        row("nothing can move: the focus mark stays", IDC_DOWN, false,
            {none, focused, selected, selected}, kFour, {none, focused, selected, selected});
        row("a click on the missing rows leaves none marked", IDC_FILELIST, true, {both, selected},
            kMissingFolder, {none, none});
    }
    void Selection_Should_SetRowsOrRefuse() {
        QFETCH(int, control);
        QFETCH(bool, missing);
        QFETCH(Marks, before);
        QFETCH(QStringList, rows);
        QFETCH(Marks, after);
        QFETCH(QString, refusal);
        MainWindowHarness h;
        start(h, "@/four");
        CNumberingDlg& dlg = *h.dlg;
        if (missing)
            h.edit(IDC_FOLDER)->setText(at("@/gone"));
        dlg.GetDlgItem(control)->setFocus();
        SetMarks(dlg.m_listFiles, before);
        QCOMPARE(MarksOf(dlg.m_listFiles), before);

        if (control == IDC_FILELIST) // the list's click notification, after its own handling
            emit qobject_cast<FileListView*>(dlg.GetDlgItem(control))->clickedInList();
        else
            h.click(control);

        QCOMPARE(h.rows(), rows);
        QCOMPARE(MarksOf(dlg.m_listFiles), after);
        CheckBox(h, refusal.toStdString(), MB_OK | MB_ICONEXCLAMATION);
        // Done, the focus goes to the list; refused, it stays. The disabled list cannot take it.
        const bool toList = refusal.isEmpty() && !missing;
        if (control != IDC_FILELIST)
            QCOMPARE(QApplication::focusWidget(), dlg.GetDlgItem(toList ? IDC_FILELIST : control));
    }

    void RightClick_Should_MarkTheRow_ThenOpenTheMenu_data() {
        QTest::addColumn<Marks>("before");
        QTest::addColumn<int>("row"); // clicked; -1 below the last row
        QTest::addColumn<Qt::KeyboardModifiers>("keys");
        QTest::addColumn<Marks>("after"); // when the menu opens
        QTest::newRow("a row not selected: selected alone, focused")
            << Marks{selected, none, none, focused} << 2 << Qt::KeyboardModifiers()
            << Marks{none, none, both, none};
        QTest::newRow("a selected row: the selection stays, the focus mark moves")
            << Marks{selected, none, selected, focused} << 2 << Qt::KeyboardModifiers()
            << Marks{selected, none, both, none};
        QTest::newRow("Ctrl held: only the focus mark moves")
            << Marks{selected, none, none, none} << 1 << Qt::KeyboardModifiers(Qt::ControlModifier)
            << Marks{selected, focused, none, none};
        QTest::newRow("below the last row: nothing stays selected")
            << Marks{selected, both, none, none} << -1 << Qt::KeyboardModifiers()
            << Marks{none, focused, none, none};
    }
    void RightClick_Should_MarkTheRow_ThenOpenTheMenu() {
        QFETCH(Marks, before);
        QFETCH(int, row);
        QFETCH(Qt::KeyboardModifiers, keys);
        QFETCH(Marks, after);
        MainWindowHarness h;
        start(h, "@/four");
        CListCtrl& list = h.dlg->m_listFiles;
        SetMarks(list, before);
        FileListView* view = list.View();
        const QPoint spot(20, row < 0 ? view->viewport()->height() - 2
                                      : view->rowViewportPosition(row) + 2);
        Marks whenOpen;
        QWidget* focusWhenOpen = nullptr;
        QTimer::singleShot(0, h.dlg.get(), [&] { // in the menu's own loop
            if (QMenu* menu = h.dlg->SystemMenu(); menu->isVisible()) {
                whenOpen = MarksOf(list);
                focusWhenOpen = h.dlg->focusWidget();
                menu->close();
            }
        });
        // As the window system delivers it: the press, then the request for a menu.
        QTest::mousePress(view->viewport(), Qt::RightButton, keys, spot);
        QContextMenuEvent request(QContextMenuEvent::Mouse, spot,
                                  view->viewport()->mapToGlobal(spot), keys);
        QCoreApplication::sendEvent(view->viewport(), &request);
        QTest::mouseRelease(view->viewport(), Qt::RightButton, keys, spot);
        QCOMPARE(whenOpen, after);
        QCOMPARE(MarksOf(list), after);
        QCOMPARE(focusWhenOpen, view);
    }
};

QTEST_MAIN(TestFileList)
#include "tst_filelist.moc"
