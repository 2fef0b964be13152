#include "platform/FileListView.h"
#include "platform/SystemErrorText.h"
#include "settings/ProfileFile.h"
#include "support/MainWindowHarness.h"

#include <QHeaderView>
#include <QSignalSpy>
#include <QtTest>

#include <algorithm>
#include <cerrno>
#include <ctime>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>

using namespace quorvel;
using namespace quorvel::test;
namespace fs = std::filesystem;

namespace {

// Sets the modified time, given in UTC as "2020-01-02T03:04:59", of a file or of a link itself.
bool SetModifiedTime(const std::string& path, const QString& utc, bool ofLink = false) {
    const time_t t = QDateTime::fromString(utc + 'Z', Qt::ISODate).toSecsSinceEpoch();
    const timespec times[2] = {{t, 0}, {t, 0}};
    return utimensat(AT_FDCWD, path.c_str(), times, ofLink ? AT_SYMLINK_NOFOLLOW : 0) == 0;
}

bool MakeFile(const std::string& folder, const std::string& name, const QString& utc) {
    return QFile(QString::fromStdString(folder + "/" + name)).open(QIODevice::WriteOnly) &&
           SetModifiedTime(folder + "/" + name, utc);
}

// The rows' names by their first letters: "19_B".
QString Letters(const MainWindowHarness& h) {
    QString letters;
    for (const std::string& name : h.names())
        letters += QString::fromStdString(name).left(1);
    return letters;
}

// Clicks a column header with the mouse, so the click reaches the window only through the
// list's own notification.
void ClickHeader(CNumberingDlg& dlg, int column) {
    QHeaderView* header = dlg.m_listFiles.View()->horizontalHeader();
    const QPoint centre(header->sectionViewportPosition(column) + header->sectionSize(column) / 2,
                        header->height() / 2);
    QTest::mouseClick(header->viewport(), Qt::LeftButton, Qt::NoModifier, centre);
}

const char* const kRefused = "ファイルもしくはフォルダが存在しない場合は\n選択できません。";
const char* const kNoSelection =
    "ファイルが選択されていません。\nファイルを選択してから操作を行って下さい。";

// Row states one character a row: '.' none, 's' selected, 'f' focus mark, 'S' both.
QString StatesOf(const CListCtrl& list) {
    QString text;
    for (int r = 0; r < list.GetItemCount(); ++r)
        text += QStringLiteral(".fsS")[int(list.GetItemState(r, LVIS_SELECTED | LVIS_FOCUSED))];
    return text;
}

void SetStates(CListCtrl& list, const QString& states) {
    for (int r = 0; r < int(states.size()); ++r)
        list.SetItemState(r, unsigned(QStringLiteral(".fsS").indexOf(states[r])),
                          LVIS_SELECTED | LVIS_FOCUSED);
}

} // namespace

class TestFileList : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void Listing_Should_ShowFilesWithTheirTimes_And_NoFolders_data();
    void Listing_Should_ShowFilesWithTheirTimes_And_NoFolders();
    void Listing_Should_ShowFilesMissingRowsOrSystemText_data();
    void Listing_Should_ShowFilesMissingRowsOrSystemText();
    void HeaderClicks_Should_SortFlipDirections_And_CarryMarks_data();
    void HeaderClicks_Should_SortFlipDirections_And_CarryMarks();
    void Entry_Should_ListAsAsked_data();
    void Entry_Should_ListAsAsked();
    void Selection_Should_SetRowsOrRefuse_data();
    void Selection_Should_SetRowsOrRefuse();

private:
    std::string Path(const std::string& name) const { return m_dir.path().toStdString() + name; }
    // "@" stands for the tree made for each test.
    QString at(QString text) const { return text.replace('@', m_tree->path()); }
    // The main window listing `folder`, shown and active (its header then takes mouse clicks),
    // with a prefix and a start number typed.
    void start(MainWindowHarness& h, const QString& folder);

    QTemporaryDir m_dir;
    std::unique_ptr<QTemporaryDir> m_tree;
};

void TestFileList::initTestCase() {
    // Tokyo has kept UTC+9 all year since 1951, so every expected time is UTC + 9 h.
    qputenv("TZ", "Asia/Tokyo");
    tzset();
    for (const char* folder :
         {"/listed", "/listed/sub", "/empty", "/folders", "/folders/y.txt", "/four"})
        fs::create_directory(Path(folder));
    const std::string listed = Path("/listed");
    QVERIFY(MakeFile(listed, "a.txt", "2020-01-02T03:04:59"));
    QVERIFY(MakeFile(listed, ".hidden", "2021-03-04T05:06:00"));
    QVERIFY(MakeFile(listed, "README", "2017-08-09T10:11:00"));
    QVERIFY(MakeFile(listed, "future.jpg", "2040-06-23T12:00:00"));
    QVERIFY(MakeFile(listed, "past.JPG", "1960-11-08T00:00:00"));
    fs::create_directory_symlink("sub", listed + "/to-folder");
    fs::create_symlink("a.txt", listed + "/to-file.lnk");
    fs::create_symlink("nowhere", listed + "/dangling.lnk");
    QVERIFY(SetModifiedTime(listed + "/dangling.lnk", "2001-09-09T01:46:40", true));
    fs::create_directory_symlink("y.txt", Path("/folders/z.txt"));
    fs::create_symlink("loop", Path("/loop"));
    // Name order 10, 9, _a, B (letters "19_B"); date order _a, 10, B, 9 ("_1B9").
    for (const auto& [name, year] :
         {std::pair{"_a.txt", "1960"}, {"10.txt", "2020"}, {"B.txt", "2021"}, {"9.txt", "2040"}})
        QVERIFY(MakeFile(Path("/four"), name, year + QString("-01-01T00:00:00")));
}

void TestFileList::Listing_Should_ShowFilesWithTheirTimes_And_NoFolders_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("time"); // "" when not listed
    const auto row = [](const char* what, QString name, QString time) {
        QTest::newRow(what) << name << time;
    };
    row("local time, seconds dropped", "a.txt", "2020/01/02  12:04");
    row("empty pattern: a name without a dot too", "README", "2017/08/09  19:11");
    row("dot file", ".hidden", "2021/03/04  14:06");
    row("dated 2040", "future.jpg", "2040/06/23  21:00");
    row("dated 1960", "past.JPG", "1960/11/08  09:00");
    row("link to a file: the file's time", "to-file.lnk", "2020/01/02  12:04");
    row("dangling link: its own time", "dangling.lnk", "2001/09/09  10:46");
    row("subfolder", "sub", "");
    row("link to a folder", "to-folder", "");
}

void TestFileList::Listing_Should_ShowFilesWithTheirTimes_And_NoFolders() {
    QFETCH(QString, name);
    QFETCH(QString, time);
    MainWindowHarness h;
    h.writeIni("[Data]\nFolder=" + Path("/four") + "\n");
    h.start();
    h.dlg->m_strFilter.clear();
    h.dlg->ListFolder(Path("/listed/"), 1, 0); // a folder ending in a separator
    const std::vector<std::string> names = h.names();
    const auto at = std::find(names.begin(), names.end(), name.toStdString());
    QCOMPARE(at != names.end(), !time.isEmpty());
    if (at != names.end())
        QCOMPARE(QString::fromStdString(h.column(1)[std::size_t(at - names.begin())]), time);
    QCOMPARE(h.dlg->m_listFiles.GetItemCount(), 7);
}

void TestFileList::Listing_Should_ShowFilesMissingRowsOrSystemText_data() {
    QTest::addColumn<QString>("folder"); // below the fixture root
    QTest::addColumn<QString>("filter");
    QTest::addColumn<int>("reportErrors");
    QTest::addColumn<int>("clearPrefix");
    QTest::addColumn<QString>("shows"); // files by letters, a missing row, or "" for no change
    QTest::addColumn<int>("code");      // of the system's text in a box
    const auto row = [](const char* what, QString folder, QString filter, int report, int clear,
                        QString shows, int code) {
        QTest::newRow(what) << folder << filter << report << clear << shows << code;
    };
    row("files, quiet: sorted by name, state reset", "/four", "", 0, 0, "19_B", 0);
    row("files, reporting, prefix cleared", "/four", "*.TXT", 1, 1, "19_B", 0);
    row("missing folder, quiet", "/missing", "", 0, 1, "指定されたフォルダは", 0);
    row("missing folder, reporting", "/missing", "", 1, 1, "", ENOENT);
    row("file used as a folder, quiet", "/four/B.txt", "", 0, 0, "指定されたフォルダは", 0);
    row("name too long, reporting", "/" + QString(300, 'x'), "", 1, 0, "", ENAMETOOLONG);
    row("link loop, quiet: reported all the same", "/loop", "", 0, 1, "", ELOOP);
    row("only subfolders and a link to one, reporting", "/folders", "", 1, 1,
        "指定されたファイルは", 0);
    row("empty folder, quiet", "/empty", "", 0, 0, "指定されたファイルは", 0);
    row("pattern matching nothing, reporting", "/four", "*.none", 1, 0, "指定されたファイルは", 0);
}

void TestFileList::Listing_Should_ShowFilesMissingRowsOrSystemText() {
    QFETCH(QString, folder);
    QFETCH(QString, filter);
    QFETCH(int, reportErrors);
    QFETCH(int, clearPrefix);
    QFETCH(QString, shows);
    QFETCH(int, code);
    // A state no listing makes, so any change shows: rows reversed, the first selected and
    // focused, both directions flipped, a prefix, the list red, disabled and invalid.
    MainWindowHarness h;
    h.writeIni("[Data]\nFolder=" + Path("/four") + "\n");
    CNumberingDlg& dlg = h.start();
    CListCtrl& list = dlg.m_listFiles;
    list.ApplyOrder(std::vector<std::uint32_t>{3, 2, 1, 0});
    list.SetItemState(0, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    list.SetTextColor(Rgb(230, 0, 0));
    list.EnableWindow(false);
    dlg.m_bListValid = 0;
    dlg.m_bNameAscending = 1;
    dlg.m_bDateAscending = 0;
    dlg.m_strPrefix = "trip_";
    dlg.UpdateData(false);

    // As the browse button does: the member is set, the box not yet written.
    dlg.m_strFolder = Path(folder.toStdString());
    dlg.m_strFilter = filter.toStdString();
    dlg.ListFolder(dlg.m_strFolder, reportErrors, clearPrefix);

    const bool listed = shows == "19_B";
    QCOMPARE(h.boxes.shown.size(), std::size_t(code ? 1 : 0));
    if (code) {
        QCOMPARE(h.boxes.shown[0].text, SystemErrorText(code));
        QCOMPARE(h.boxes.shown[0].caption, std::string("Tessaly"));
        QCOMPARE(h.boxes.shown[0].style, MB_ICONEXCLAMATION);
        QCOMPARE(h.edit(IDC_FOLDER)->text().toStdString(), Path("/four"));
    }
    if (shows.isEmpty() || listed)
        QCOMPARE(Letters(h), shows.isEmpty() ? QStringLiteral("B_91") : shows);
    else
        QCOMPARE(h.names(), (std::vector<std::string>{shows.toStdString(),
                                                      std::string(15, ' ') + "存在しません。"}));
    QCOMPARE(list.GetSelectedCount(), shows.isEmpty() ? 1 : 0);
    QCOMPARE(list.GetItemState(0, LVIS_FOCUSED), shows.isEmpty() ? 1u : 0u);
    QCOMPARE(dlg.m_bListValid, listed ? 1 : 0);
    QCOMPARE(list.GetTextColor(), listed ? Rgb(0, 0, 0) : Rgb(230, 0, 0));
    QCOMPARE(list.IsWindowEnabled(), listed);
    QCOMPARE(dlg.m_bNameAscending, listed ? 0 : 1);
    QCOMPARE(dlg.m_bDateAscending, listed ? 1 : 0);
    const bool cleared = clearPrefix && !shows.isEmpty();
    QCOMPARE(h.edit(IDC_PREFIX)->text(), cleared ? QString() : QStringLiteral("trip_"));
}

void TestFileList::HeaderClicks_Should_SortFlipDirections_And_CarryMarks_data() {
    // Each step: the column clicked, then the rows' letters and the flags name and date
    // ascending, e.g. "1: _1B9 1 0".
    QTest::addColumn<QString>("folder"); // "four", "none" (empty list) or "missing"
    QTest::addColumn<QStringList>("steps");
    QTest::newRow("name twice") << "four" << QStringList{"0: B_91 1 1", "0: 19_B 0 1"};
    QTest::newRow("date twice: 1960 first, then 2040")
        << "four" << QStringList{"1: _1B9 1 0", "1: 9B1_ 1 1"};
    QTest::newRow("date, name, date: each other column starts ascending")
        << "four" << QStringList{"1: _1B9 1 0", "0: 19_B 0 1", "1: _1B9 1 0"};
    QTest::newRow("empty list: flags change all the same")
        << "none" << QStringList{"0:  1 1", "1:  1 0", "1:  1 1"};
    QTest::newRow("missing rows: the disabled list takes no click")
        << "missing" << QStringList{"0: 指  0 1", "1: 指  0 1"};
}

void TestFileList::HeaderClicks_Should_SortFlipDirections_And_CarryMarks() {
    QFETCH(QString, folder);
    QFETCH(QStringList, steps);
    MainWindowHarness h;
    start(h, folder == "none" ? "" : QString::fromStdString(Path("/four"))); // "" lists nothing
    if (folder == "missing")
        h.edit(IDC_FOLDER)->setText(QString::fromStdString(Path("/gone")));
    QCOMPARE(h.dlg->m_bNameAscending, 0);
    QCOMPARE(h.dlg->m_bDateAscending, 1);
    // All but 10.txt selected, the focus mark on 10.txt: each travels with its row.
    CListCtrl& list = h.dlg->m_listFiles;
    if (folder == "four") {
        list.SetItemState(-1, LVIS_SELECTED, LVIS_SELECTED);
        list.SetItemState(0, LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    }
    for (const QString& step : steps) {
        ClickHeader(*h.dlg, step.left(1).toInt());
        QCOMPARE(Letters(h), step.mid(3).chopped(4));
        QCOMPARE(h.dlg->m_bNameAscending, step.right(3)[0].digitValue());
        QCOMPARE(h.dlg->m_bDateAscending, step.right(1)[0].digitValue());
        for (int r = 0; folder == "four" && r < 4; ++r) {
            QCOMPARE(list.GetItemState(r, LVIS_SELECTED) != 0, Letters(h)[r] != '1');
            QCOMPARE(list.GetItemState(r, LVIS_FOCUSED) != 0, Letters(h)[r] == '1');
        }
    }
    QVERIFY(h.boxes.shown.empty());
}

void TestFileList::init() {
    // A tree for each test: a refresh finds files added and folders removed.
    m_tree = std::make_unique<QTemporaryDir>();
    for (const char* sub : {"photos", "documents", "abc"})
        QVERIFY(QDir(m_tree->path()).mkdir(sub));
    for (const char* file : {"@/photos/p1.jpg", "@/photos/p2.jpg", "@/photos/notes.txt",
                             "@/documents/d1.txt", "@/abc/abc.txt"})
        QVERIFY(QFile(at(file)).open(QIODevice::WriteOnly));
}

void TestFileList::start(MainWindowHarness& h, const QString& folder) {
    h.writeIni("[Data]\nFolder=" + at(folder).toStdString() + "\n");
    h.start();
    h.dlg->show();
    h.dlg->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(h.dlg.get()));
    QTest::keyClicks(h.edit(IDC_PREFIX), "keep_");
    // Nothing reads a start number as it is typed; a listing must not write the old one back.
    h.edit(IDC_STARTNUMBER)->selectAll();
    QTest::keyClicks(h.edit(IDC_STARTNUMBER), "0100");
}

void TestFileList::Entry_Should_ListAsAsked_data() {
    // What a person does, one step after another: "browse X" chooses X ("browse" alone
    // cancels); "folder E" and "filter E" edit that box, where E is "type:X" (typed at the end,
    // a change a character), "erase" (the last character) or "set:X" (the whole text at once,
    // as a paste); "add" makes @/photos/p3.jpg, "remove" removes @/photos; "refresh", "exit".
    QTest::addColumn<QString>("steps");
    QTest::addColumn<QString>("rows"); // afterwards; of missing rows only the first
    QTest::addColumn<QString>("prefix");
    QTest::addColumn<int>("listings");
    QTest::addColumn<int>("error"); // the system's text shown once
    const auto row = [](const char* what, QString steps, QString rows, QString prefix, int listings,
                        int error) {
        QTest::newRow(what) << steps << rows << prefix << listings << error;
    };
    const QString photos = "notes.txt p1.jpg p2.jpg";
    row("browse: chosen folder listed once, prefix emptied", "browse @/abc", "abc.txt", "", 1, 0);
    row("browse, then refresh: the chosen folder was written to the box", "browse @/abc, refresh",
        "abc.txt", "", 2, 0);
    row("browse cancelled: nothing changes", "browse", photos, "keep_", 0, 0);
    row("browse to a gone folder: reported, and refresh lists the folder still shown",
        "browse @/gone, refresh", photos, "keep_", 1, ENOENT);
    row("slash typed after a folder: not listed", "folder type:/", photos, "keep_", 0, 0);
    row("trailing slash deleted: not listed", "folder type:/, folder erase", photos, "keep_", 0, 0);
    row("folder box emptied: an empty text lists nothing", "folder set:", photos, "keep_", 0, 0);
    row("letter typed after a trailing slash: listed, prefix emptied",
        "folder type:/, folder type:x", "指定されたフォルダは", "", 1, 0);
    row("half-typed folder completed: listed at each change", "folder erase, folder type:s", photos,
        "", 2, 0);
    row("pattern typed: listed, prefix kept", "filter set:*.jpg", "p1.jpg p2.jpg", "keep_", 1, 0);
    row("refresh after a file was added", "add, refresh", photos + " p3.jpg", "keep_", 1, 0);
    row("refresh after a longer folder ending in a slash, which typing skipped",
        "folder set:@/documents/, refresh", "d1.txt", "keep_", 1, 0);
    row("refresh of a gone folder: reported, rows kept", "remove, refresh", photos, "keep_", 0,
        ENOENT);
    row("exit with a half-typed folder", "folder erase, exit", "指定されたフォルダは", "", 1, 0);
}

void TestFileList::Entry_Should_ListAsAsked() {
    QFETCH(QString, steps);
    QFETCH(QString, rows);
    QFETCH(QString, prefix);
    QFETCH(int, listings);
    QFETCH(int, error);
    MainWindowHarness h;
    start(h, "@/photos");
    QSignalSpy resets(h.dlg->m_listFiles.Model(), &QAbstractItemModel::modelReset);

    for (const QString& step : at(steps).split(", ")) {
        const QString verb = step.section(' ', 0, 0);
        const QString edit = step.section(' ', 1);
        if (verb == "browse") {
            if (!edit.isEmpty())
                h.chooser.answers.push_back(edit.toStdString());
            h.click(IDC_BROWSE);
            QCOMPARE(h.chooser.titles.back(),
                     std::string("ファイル名を変更するファイルのあるフォルダを選択："));
        } else if (verb == "folder" || verb == "filter") {
            QLineEdit* box = h.edit(verb == "folder" ? IDC_FOLDER : IDC_FILTER);
            box->setFocus();
            box->end(false);
            if (edit.startsWith("type:"))
                QTest::keyClicks(box, edit.mid(5));
            else if (edit == "erase")
                QTest::keyClick(box, Qt::Key_Backspace);
            else
                box->setText(edit.mid(4));
        } else if (verb == "add") {
            QVERIFY(QFile(at("@/photos/p3.jpg")).open(QIODevice::WriteOnly));
        } else if (verb == "remove") {
            QVERIFY(QDir(at("@/photos")).removeRecursively());
        } else if (verb == "exit") { // saves the folder box as it stands, asking nothing
            h.click(IDC_EXIT);
            QVERIFY(h.dlg->IsDestroyed());
            QCOMPARE(ReadProfileString(h.iniPath(), "Data", "Folder", "?"),
                     h.edit(IDC_FOLDER)->text().toStdString());
        } else {
            h.click(IDC_REFRESH);
        }
    }

    QStringList shown;
    for (const std::string& name : h.names())
        shown << QString::fromStdString(name);
    QCOMPARE(h.dlg->m_bListValid ? shown.join(' ') : shown.at(0), rows);
    QCOMPARE(h.edit(IDC_PREFIX)->text(), prefix);
    QCOMPARE(h.edit(IDC_STARTNUMBER)->text(), QStringLiteral("0100"));
    QCOMPARE(QString::fromStdString(h.dlg->m_strFolder), h.edit(IDC_FOLDER)->text());
    QCOMPARE(resets.count(), listings);
    QCOMPARE(h.boxes.shown.size(), std::size_t(error ? 1 : 0));
    if (error)
        QCOMPARE(h.boxes.shown[0].text, SystemErrorText(error));
}

void TestFileList::Selection_Should_SetRowsOrRefuse_data() {
    QTest::addColumn<int>("control");    // a button, or the list for a click on it
    QTest::addColumn<QString>("before"); // of two rows: the missing rows, not 10, 9, _a, B
    QTest::addColumn<QString>("order");  // afterwards
    QTest::addColumn<QString>("after");
    QTest::addColumn<QString>("refusal"); // the box's text, nothing changing
    const auto row = [](const char* what, int control, QString before, QString order, QString after,
                        QString refusal = {}) {
        QTest::newRow(what) << control << before << order << after << refusal;
    };
    const QString mine = QStringLiteral("指 "); // the missing rows
    row("select all keeps the focus mark", IDC_SELECTALL, ".sf.", "19_B", "ssSs");
    row("select all refused over the missing rows", IDC_SELECTALL, "f.", mine, "f.", kRefused);
    row("clear all removes the focus mark too", IDC_DESELECTALL, "sS.s", "19_B", "....");
    row("clear all over the missing rows", IDC_DESELECTALL, "Ss", mine, "..");
    row("up without a selection", IDC_UP, "..f.", "19_B", "..f.", kNoSelection);
    row("down over the missing rows", IDC_DOWN, "..", mine, "..", kNoSelection);
    row("rows 0 and 2 up: row 0 stays, row 2 rises above row 1", IDC_UP, "s.s.", "1_9B", "sS..");
    row("rows 1 and 2 down: row 3 rises above them", IDC_DOWN, ".ss.", "1B9_", "..Ss");
    row("a run rises whole; the focus mark to the lowest moved row", IDC_UP, "f.ss", "1_B9",
        ".sS.");
    row("nothing can move: the focus mark stays", IDC_DOWN, ".fss", "19_B", ".fss");
    row("click on the missing rows leaves none selected", IDC_FILELIST, "Ss", mine, "..");
    row("click on file rows leaves them as the list set them", IDC_FILELIST, "sS.s", "19_B",
        "sS.s");
}

void TestFileList::Selection_Should_SetRowsOrRefuse() {
    QFETCH(int, control);
    QFETCH(QString, before);
    QFETCH(QString, order);
    QFETCH(QString, after);
    QFETCH(QString, refusal);

    MainWindowHarness h;
    start(h, QString::fromStdString(Path("/four")));
    CNumberingDlg& dlg = *h.dlg;
    const bool missing = before.size() == 2;
    if (missing)
        h.edit(IDC_FOLDER)->setText(at("@/gone"));
    dlg.GetDlgItem(control)->setFocus();
    SetStates(dlg.m_listFiles, before);
    QCOMPARE(StatesOf(dlg.m_listFiles), before);

    if (control == IDC_FILELIST) // the list's click notification, after the list's own handling
        emit qobject_cast<FileListView*>(dlg.GetDlgItem(control))->clickedInList();
    else
        h.click(control);

    QCOMPARE(Letters(h), order);
    QCOMPARE(StatesOf(dlg.m_listFiles), after);
    QCOMPARE(h.boxes.shown.size(), std::size_t(refusal.isEmpty() ? 0 : 1));
    if (!refusal.isEmpty()) {
        QCOMPARE(QString::fromStdString(h.boxes.shown[0].text), refusal);
        QCOMPARE(h.boxes.shown[0].caption, std::string("Tessaly"));
        QCOMPARE(h.boxes.shown[0].style, MB_OK | MB_ICONEXCLAMATION);
    }
    // Done, the focus goes to the list; refused, it stays. The disabled list cannot take it.
    const bool toList = refusal.isEmpty() && !missing;
    if (control != IDC_FILELIST)
        QCOMPARE(QApplication::focusWidget(), dlg.GetDlgItem(toList ? IDC_FILELIST : control));
}

QTEST_MAIN(TestFileList)
#include "tst_filelist.moc"
