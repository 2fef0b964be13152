#include "platform/FileListView.h"
#include "platform/SystemErrorText.h"
#include "support/MainWindowHarness.h"

#include <QHeaderView>
#include <QSignalSpy>
#include <QtTest>

#include <cerrno>
#include <ctime>
#include <filesystem>

using namespace quorvel;
using namespace quorvel::test;
namespace fs = std::filesystem;

namespace {

// An empty file modified at the start of `year` in UTC.
bool MakeFile(const QString& path, int year = 2020) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) &&
           file.setFileTime(QDate(year, 1, 1).startOfDay(QTimeZone::utc()),
                            QFileDevice::FileModificationTime);
}

// The rows' names, or their first letters: "19_B".
QString Names(const MainWindowHarness& h, bool letters = false) {
    QStringList names;
    for (const std::string& name : h.names())
        names << QString::fromStdString(name).left(letters ? 1 : -1);
    return names.join(letters ? "" : " ");
}

// Clicks a column header with the mouse, so the click reaches the window only through the
// list's own notification.
void ClickHeader(CNumberingDlg& dlg, int column) {
    QHeaderView* header = dlg.m_listFiles.View()->horizontalHeader();
    const QPoint centre(header->sectionViewportPosition(column) + header->sectionSize(column) / 2,
                        header->height() / 2);
    QTest::mouseClick(header->viewport(), Qt::LeftButton, Qt::NoModifier, centre);
}

// Row states one character a row: '.' none, 's' selected, 'f' focus mark, 'S' both.
QString StatesOf(const CListCtrl& list) {
    QString text;
    for (int r = 0; r < list.GetItemCount(); ++r)
        text += QStringLiteral(".fsS")[int(list.GetItemState(r, LVIS_SELECTED | LVIS_FOCUSED))];
    return text;
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

} // namespace

class TestFileList : public QObject {
    Q_OBJECT

    // "@" stands for the folder made for the tests.
    QString at(QString text) const { return text.replace('@', m_dir.path()); }
    // The main window listing `folder`, active (so its header takes clicks), with text typed.
    void start(MainWindowHarness& h, const QString& folder) {
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

    QTemporaryDir m_dir;

private slots:
    void initTestCase() {
        // Tokyo has kept UTC+9 all year since 1951, so every expected time is UTC + 9 h.
        qputenv("TZ", "Asia/Tokyo");
        tzset();
        for (const char* folder :
             {"/folders", "/folders/y.txt", "/four", "/photos", "/documents", "/abc"})
            QVERIFY(QDir().mkdir(at("@" + QString(folder))));
        fs::create_directory_symlink("y.txt", at("@/folders/z.txt").toStdString());
        fs::create_symlink("loop", at("@/loop").toStdString());
        // Name order 10, 9, _a, B (letters "19_B"); date order _a, 10, B, 9 ("_1B9").
        int year = 1960;
        for (const char* name : {"_a.txt", "10.txt", "B.txt", "9.txt"}) // the last after 2038
            QVERIFY(MakeFile(at("@/four/") + name, std::exchange(year, year + 27)));
        for (const char* file : {"@/photos/p1.jpg", "@/photos/p2.jpg", "@/photos/notes.txt",
                                 "@/documents/d1.txt", "@/abc/abc.txt"})
            QVERIFY(MakeFile(at(file)));
    }

    void Listing_Should_ShowFilesMissingRowsOrSystemText_data() {
        QTest::addColumn<QString>("folder"); // below the test folder
        QTest::addColumn<QString>("filter");
        QTest::addColumn<int>("how");       // 1 reports errors, 2 clears the prefix
        QTest::addColumn<QString>("shows"); // files by letters, a missing row, or "" for no change
        QTest::addColumn<int>("code");      // of the system's text in a box
        const auto row = [](const char* what, QString folder, QString filter, int how,
                            QString shows, int code) {
            QTest::newRow(what) << folder << filter << how << shows << code;
        };
        const QString noFolder = "指定されたフォルダは", noFile = "指定されたファイルは";
        row("files, reporting, prefix cleared", "/four", "*.TXT", 3, "19_B", 0);
        row("missing folder, quiet", "/missing", "", 2, noFolder, 0);
        row("missing folder, reporting", "/missing", "", 3, "", ENOENT);
        row("link loop, quiet: reported all the same", "/loop", "", 2, "", ELOOP);
        row("only subfolders and a link to one", "/folders", "", 3, noFile, 0);
        row("pattern matching nothing", "/four", "*.none", 1, noFile, 0);
    }
    void Listing_Should_ShowFilesMissingRowsOrSystemText() {
        QFETCH(QString, folder);
        QFETCH(QString, filter);
        QFETCH(int, how);
        QFETCH(QString, shows);
        QFETCH(int, code);
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
        dlg.ListFolder(dlg.m_strFolder, how & 1, how >> 1);

        const bool listed = shows == "19_B";
        CheckBox(h, code ? SystemErrorText(code) : "", MB_ICONEXCLAMATION);
        if (code)
            QCOMPARE(h.edit(IDC_FOLDER)->text(), at("@/four"));
        if (listed) // local time, seconds dropped
            QCOMPARE(h.column(1)[0], std::string("1987/01/01  09:00"));
        if (shows.isEmpty() || listed)
            QCOMPARE(Names(h, true), shows.isEmpty() ? QStringLiteral("B_91") : shows);
        else
            QCOMPARE(h.names(), (std::vector<std::string>{
                                    shows.toStdString(), std::string(15, ' ') + "存在しません。"}));
        QCOMPARE(StatesOf(list), shows.isEmpty() ? "S..." : listed ? "...." : "..");
        // Valid, black, enabled, name descending, date ascending; else as they were.
        const QList<int> flags{dlg.m_bListValid, list.GetTextColor() == Rgb(0, 0, 0),
                               list.IsWindowEnabled(), dlg.m_bNameAscending, dlg.m_bDateAscending};
        QCOMPARE(flags, (listed ? QList<int>{1, 1, 1, 0, 1} : QList<int>{0, 0, 0, 1, 0}));
        const bool cleared = how >> 1 && !shows.isEmpty();
        QCOMPARE(h.edit(IDC_PREFIX)->text(), cleared ? QString() : QStringLiteral("trip_"));
    }

    void HeaderClicks_Should_SortFlipDirections_And_CarryMarks_data() {
        // Each step: the column clicked, then the rows' letters and the flags name and date
        // ascending, e.g. "1: _1B9 1 0".
        QTest::addColumn<QString>("folder"); // "four", "none" (empty list) or "missing"
        QTest::addColumn<QStringList>("steps");
        const auto row = [](const char* what, QString folder, QStringList steps) {
            QTest::newRow(what) << folder << steps;
        };
        row("name twice", "four", {"0: B_91 1 1", "0: 19_B 0 1"});
        row("date twice: oldest first, then newest", "four", {"1: _1B9 1 0", "1: 9B1_ 1 1"});
        row("date, name, date: new column ascends", "four",
            {"1: _1B9 1 0", "0: 19_B 0 1", "1: _1B9 1 0"});
        row("empty list: flags change all the same", "none", {"0:  1 1", "1:  1 0", "1:  1 1"});
        row("missing rows: no clicks", "missing", {"0: 指  0 1", "1: 指  0 1"});
    }
    void HeaderClicks_Should_SortFlipDirections_And_CarryMarks() {
        QFETCH(QString, folder);
        QFETCH(QStringList, steps);
        MainWindowHarness h;
        start(h, folder == "none" ? "" : "@/four"); // "" lists nothing
        if (folder == "missing")
            h.edit(IDC_FOLDER)->setText(at("@/gone"));
        // All but 10.txt selected, the focus mark on 10.txt: each travels with its row.
        CListCtrl& list = h.dlg->m_listFiles;
        if (folder == "four") {
            list.SetItemState(-1, LVIS_SELECTED, LVIS_SELECTED);
            list.SetItemState(0, LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
        }
        for (const QString& step : steps) {
            ClickHeader(*h.dlg, step.left(1).toInt());
            QCOMPARE(
                Names(h, true) +
                    QString(" %1 %2").arg(h.dlg->m_bNameAscending).arg(h.dlg->m_bDateAscending),
                step.mid(3));
            const QString marks = QString(Names(h, true)).replace(QRegularExpression("[^1]"), "s");
            if (folder == "four") // the focus mark on 10.txt alone
                QCOMPARE(StatesOf(list), QString(marks).replace('1', 'f'));
        }
    }

    void Entry_Should_ListAsAsked_data() {
        // Steps: "browse X" chooses X ("browse" alone cancels); "folder E"/"filter E" edit that
        // box, E being "type:X" (typed at the end, a change a character) or "set:X" (pasted
        // whole); "refresh".
        QTest::addColumn<QString>("steps");
        QTest::addColumn<QString>("rows"); // afterwards; of missing rows only the first
        QTest::addColumn<QString>("prefix");
        QTest::addColumn<int>("listings");
        QTest::addColumn<int>("error"); // the system's text shown once
        const auto row = [](const char* what, QString steps, QString rows, QString prefix,
                            int listings, int error) {
            QTest::newRow(what) << steps << rows << prefix << listings << error;
        };
        const QString photos = "notes.txt p1.jpg p2.jpg";
        row("browse, then refresh: the chosen folder was written to the box",
            "browse @/abc, refresh", "abc.txt", "", 2, 0);
        row("browse to a gone folder: reported, and refresh lists the folder still shown",
            "browse @/gone, refresh", photos, "keep_", 1, ENOENT);
        row("letter typed after a trailing slash: listed, prefix emptied",
            "folder type:/, folder type:x", "指定されたフォルダは", "", 1, 0);
        row("pattern typed: listed, prefix kept", "filter set:*.jpg", "p1.jpg p2.jpg", "keep_", 1,
            0);
        row("refresh after a longer folder ending in a slash, which typing skipped",
            "folder set:@/documents/, refresh", "d1.txt", "keep_", 1, 0);
    }
    void Entry_Should_ListAsAsked() {
        QFETCH(QString, steps);
        QFETCH(QString, rows);
        QFETCH(QString, prefix);
        QFETCH(int, listings);
        QFETCH(int, error);
        MainWindowHarness h;
        start(h, "@/photos");
        QSignalSpy resets(h.dlg->m_listFiles.Model(), &QAbstractItemModel::modelReset);

        for (const QString& step : at(steps).split(", ")) {
            const QString verb = step.section(' ', 0, 0), edit = step.section(' ', 1);
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
                else
                    box->setText(edit.mid(4));
            } else {
                h.click(IDC_REFRESH);
            }
        }

        QCOMPARE(h.dlg->m_bListValid ? Names(h) : Names(h).section(' ', 0, 0), rows);
        QCOMPARE(h.edit(IDC_PREFIX)->text(), prefix);
        QCOMPARE(h.edit(IDC_STARTNUMBER)->text(), QStringLiteral("0100"));
        QCOMPARE(QString::fromStdString(h.dlg->m_strFolder), h.edit(IDC_FOLDER)->text());
        QCOMPARE(resets.count(), listings);
        CheckBox(h, error ? SystemErrorText(error) : "", MB_ICONEXCLAMATION);
    }

    void Selection_Should_SetRowsOrRefuse_data() {
        QTest::addColumn<int>("control"); // a button, or the list for a click on it
        // States before, then the order (letters) and the states afterwards; two rows stand for
        // the missing rows, four for 10, 9, _a, B.
        QTest::addColumn<QString>("rows");
        QTest::addColumn<QString>("refusal"); // the box's text, nothing changing
        const auto row = [](const char* what, int control, QString rows, QString refusal = {}) {
            QTest::newRow(what) << control << rows << refusal;
        };
        const QString none =
            "ファイルが選択されていません。\nファイルを選択してから操作を行って下さい。";
        row("select all keeps the focus mark", IDC_SELECTALL, ".sf.|19_B|ssSs");
        row("select all refused over the missing rows", IDC_SELECTALL, "f.|指 |f.",
            "ファイルもしくはフォルダが存在しない場合は\n選択できません。");
        row("clear all removes the focus mark too", IDC_DESELECTALL, "sS.s|19_B|....");
        row("up without a selection", IDC_UP, "..f.|19_B|..f.", none);
        row("down over the missing rows", IDC_DOWN, "..|指 |..", none);
        row("rows 0 and 2 up: row 0 stays, row 2 rises above row 1", IDC_UP, "s.s.|1_9B|sS..");
        row("rows 1 and 2 down: row 3 rises above them", IDC_DOWN, ".ss.|1B9_|..Ss");
        row("a run rises whole; the focus mark to the lowest moved row", IDC_UP, "f.ss|1_B9|.sS.");
        row("nothing can move: the focus mark stays", IDC_DOWN, ".fss|19_B|.fss");
        row("click on the missing rows leaves none selected", IDC_FILELIST, "Ss|指 |..");
    }
    void Selection_Should_SetRowsOrRefuse() {
        QFETCH(int, control);
        QFETCH(QString, rows);
        QFETCH(QString, refusal);
        const QStringList parts = rows.split('|');
        MainWindowHarness h;
        start(h, "@/four");
        CNumberingDlg& dlg = *h.dlg;
        const bool missing = parts[0].size() == 2;
        if (missing)
            h.edit(IDC_FOLDER)->setText(at("@/gone"));
        dlg.GetDlgItem(control)->setFocus();
        for (int r = 0; r < int(parts[0].size()); ++r)
            dlg.m_listFiles.SetItemState(r, unsigned(QStringLiteral(".fsS").indexOf(parts[0][r])),
                                         LVIS_SELECTED | LVIS_FOCUSED);
        QCOMPARE(StatesOf(dlg.m_listFiles), parts[0]);

        if (control == IDC_FILELIST) // the list's click notification, after its own handling
            emit qobject_cast<FileListView*>(dlg.GetDlgItem(control))->clickedInList();
        else
            h.click(control);

        QCOMPARE(Names(h, true) + '|' + StatesOf(dlg.m_listFiles), parts[1] + '|' + parts[2]);
        CheckBox(h, refusal.toStdString(), MB_OK | MB_ICONEXCLAMATION);
        // Done, the focus goes to the list; refused, it stays. The disabled list cannot take it.
        const bool toList = refusal.isEmpty() && !missing;
        if (control != IDC_FILELIST)
            QCOMPARE(QApplication::focusWidget(), dlg.GetDlgItem(toList ? IDC_FILELIST : control));
    }
};

QTEST_MAIN(TestFileList)
#include "tst_filelist.moc"
