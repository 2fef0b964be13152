#include "fs/FileSearch.h"
#include "mainwnd/CaptureTimeLoader.h"
#include "platform/listctrl/FileListView.h"
#include "support/FakeProgress.h"
#include "support/MainWindowHarness.h"
#include "support/Photos.h"
#include "text/SystemErrorText.h"

#include <QAction>
#include <QMenu>
#include <QMimeData>
#include <QScrollBar>
#include <QtTest>

#include <cerrno>
#include <ctime>
#include <filesystem>
#include <unistd.h>

using namespace quorvel;
using namespace quorvel::test;
namespace fs = std::filesystem;

namespace {

// A row's selection and focus mark.
enum Mark : unsigned { none = 0, focused = LVIS_FOCUSED, selected = LVIS_SELECTED, both = 3 };
using Marks = QList<Mark>;
enum class Shows { Files, MissingFolder, SystemText, Unlisted };
enum Caller {
    StartUp,
    Browse,
    BrowseCancel,
    FolderEdit,
    FolderSeparator,
    Pattern,
    Refresh,
    Batch,
    Undo
};
enum class DragEnd { Drop, Escape, Outside };
// A header click (column -1: none), then the rows by first letter and the flags name, date and
// capture ascending next.
struct Step {
    int column;
    QString letters;
    QList<int> flags;
};

const QStringList kMissing{"指定されたフォルダは", "               存在しません。"};
const QStringList kFour{"10.txt", "9.txt", "_a.txt", "B.txt"}; // modified _a, 10, B, 9
const QStringList kSix{"a.txt", "b.txt", "c.txt", "d.txt", "e.txt", "f.txt"};
constexpr int kCapture = 2, kMany = 12000;

bool Touch(const QString& path, int year) {
    QFile file(path);
    return file.open(QIODevice::ReadWrite) &&
           file.setFileTime(QDate(year, 1, 1).startOfDay(QTimeZone::utc()),
                            QFileDevice::FileModificationTime);
}

// The window's listings can be stopped at the `stopAt`-th entry, its renames can pull the folder
// away once done.
struct Window : MainWindowHarness, RenameSystem {
    struct Search : SearchSystem {
        FakeProgressWindow progress;
        int calls = 0, stopAt = 0;
        int Fstatat(int dirfd, const char* name, struct stat* st, int flags) override {
            if (++calls == stopAt)
                progress.PressStop();
            return SearchSystem::Fstatat(dirfd, name, st, flags);
        }
    } search;
    std::function<void()> afterRename;

    ~Window() { dlg.reset(); } // the window uses the fakes while it closes
    RenameSystem& renameSystem() override { return *this; }
    SearchSystem& searchSystem() override { return search; }
    IProgressWindow& progressWindow() override { return search.progress; }
    int Renameat2NoReplace(int dirfd, const char* from, const char* to) override {
        const int result = RenameSystem::Renameat2NoReplace(dirfd, from, to);
        if (afterRename)
            afterRename();
        return result;
    }
    CListCtrl& list() const { return dlg->m_listFiles; }
    Marks marks() const {
        Marks marks;
        for (int r = 0; r < list().GetItemCount(); ++r)
            marks << Mark(list().GetItemState(r, both));
        return marks;
    }
    void mark(const Marks& marks) const {
        for (int r = 0; r < int(marks.size()); ++r)
            list().SetItemState(r, marks[r], both);
    }
    void clickColumn(int column) const {
        Message click{WM_NOTIFY, LVN_COLUMNCLICK, IDC_FILELIST, true};
        click.subItem = column;
        dlg->Dispatch(click);
    }
    QStringList reports() const { // the boxes other than the confirmations
        QStringList texts;
        for (const FakeMessageBox::Shown& box : boxes.shown)
            if (box.caption != "確認")
                texts << QString::fromStdString(box.text);
        return texts;
    }
    QPoint centre(int row, int dy = 0) const {
        return list().View()->visualRect(list().Model()->index(row, 0)).center() + QPoint(0, dy);
    }
};

} // namespace

Q_DECLARE_METATYPE(Step)

class TestFileList : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    QString at(const QString& below) const { return m_dir.path() + below; }
    // Shown and active, so that keys, shortcuts and clicks reach it.
    void start(Window& w, const QString& folder, const std::string& config = "") {
        w.writeIni("[Data]\nFolder=" + at(folder).toStdString() + "\n[Config]\n" + config);
        w.start();
        QVERIFY(w.show());
    }

private slots:
    void initTestCase() {
        // Tokyo has kept UTC+9 all year since 1951.
        qputenv("TZ", "Asia/Tokyo");
        tzset();
        for (const char* d : {"/four", "/six", "/other", "/mixed", "/many", "/few"})
            QVERIFY(QDir().mkdir(at(d)));
        int year = 1960;
        for (const char* name : {"_a", "10", "B", "9"})
            QVERIFY(Touch(at("/four/%1.txt").arg(name), std::exchange(year, year + 27)));
        for (const QString& name : kSix)
            QVERIFY(Touch(at("/six/") + name, 2020));
        QVERIFY(Touch(at("/other/x.txt"), 2020));
        // Capture order b (none), c, a; modified order c, a, b.
        const QString original = "Exif.Photo.DateTimeOriginal";
        QVERIFY(WritePhoto(at("/mixed/a.jpg"), {{original, "2021:03:01 10:00:00"}}));
        QVERIFY(WritePhoto(at("/mixed/b.jpg")));
        QVERIFY(WritePhoto(at("/mixed/c.jpg"), {{original, "2021:03:01 09:00:00"}}));
        for (const char* name : {"c", "a", "b"})
            QVERIFY(Touch(at("/mixed/%1.jpg").arg(name), year++));
        // Enough names of one photo that reading them takes long enough to be stopped.
        QVERIFY(WritePhoto(at("/one.jpg"), {{original, "2020:01:01 01:00:00"}}));
        QVERIFY(WritePhoto(at("/two.jpg"), {{original, "2020:01:01 02:00:00"}}));
        for (int i = 0; i < kMany; ++i)
            QVERIFY(link(qPrintable(at("/one.jpg")), qPrintable(at("/many/p%1.jpg").arg(i))) == 0);
        for (int i = 0; i < 10; ++i)
            QVERIFY(link(qPrintable(at("/two.jpg")), qPrintable(at("/few/p%1.jpg").arg(i))) == 0);
    }

    void listing_data() {
        QTest::addColumn<QString>("folder");
        QTest::addColumn<int>("reportErrors");
        QTest::addColumn<Shows>("shows");
        QTest::addColumn<int>("error"); // of the system's text in a box
        const QString tooLong = "/" + QString(256, 'x');
        QTest::newRow("files, pattern in capitals") << "/four" << 1 << Shows::Files << 0;
        QTest::newRow("missing folder, quiet") << "/gone" << 0 << Shows::MissingFolder << 0;
        QTest::newRow("missing folder, reporting: rows kept")
            << "/gone" << 1 << Shows::SystemText << ENOENT;
        QTest::newRow("bad path name, quiet") << tooLong << 0 << Shows::MissingFolder << 0;
    }
    void listing() {
        QFETCH(QString, folder);
        QFETCH(int, reportErrors);
        QFETCH(Shows, shows);
        QFETCH(int, error);
        // A state no listing makes, so that any change shows.
        Window w;
        start(w, "/four");
        CNumberingDlg& dlg = *w.dlg;
        w.list().ApplyOrder(std::vector<std::uint32_t>{3, 2, 1, 0});
        w.mark({both});
        w.list().SetTextColor(Rgb(1, 2, 3));
        w.list().EnableWindow(false);
        dlg.m_bListValid = dlg.m_bDateAscending = 0;
        dlg.m_bNameAscending = 1;
        dlg.m_strPrefix = "trip_";
        dlg.UpdateData(false);

        dlg.m_strFolder = at(folder).toStdString();
        dlg.m_strFilter = "*.TXT";
        dlg.ListFolder(dlg.m_strFolder, reportErrors, 1);

        const bool files = shows == Shows::Files, kept = shows == Shows::SystemText;
        QCOMPARE(w.reports(), error ? QStringList{QString::fromStdString(SystemErrorText(error))}
                                    : QStringList());
        const QStringList rows = files  ? kFour
                                 : kept ? QStringList{"B.txt", "_a.txt", "9.txt", "10.txt"}
                                        : kMissing;
        QCOMPARE(w.rows(), rows);
        if (files) // local time, seconds dropped, after 2038 too
            QCOMPARE(w.column(1)[1], std::string("2041/01/01  09:00"));
        QCOMPARE(w.marks(), (kept ? Marks{both, none, none, none} : Marks(rows.size(), none)));
        const QList<uint> state{uint(dlg.m_bListValid), w.list().GetTextColor(),
                                uint(w.list().IsWindowEnabled()), uint(dlg.m_bNameAscending),
                                uint(dlg.m_bDateAscending)};
        QCOMPARE(state, (files  ? QList<uint>{1, 0, 1, 0, 1}
                         : kept ? QList<uint>{0, Rgb(1, 2, 3), 0, 1, 0}
                                : QList<uint>{0, 230, 0, 1, 0}));
        QCOMPARE(w.edit(IDC_PREFIX)->text(), kept ? QStringLiteral("trip_") : QString());
    }

    void caller_data() {
        QTest::addColumn<int>("caller");
        QTest::addColumn<bool>("gone"); // the folder cannot be found when it is listed
        QTest::addColumn<Shows>("shows");
        QTest::addColumn<QStringList>("rows");
        QTest::addColumn<QString>("prefix"); // "keep_" typed before
        const QStringList photos{"notes.txt", "p1.jpg"}, renamed{"keep_0100.txt", "p1.jpg"};
        const auto row = [](const char* what, Caller caller, bool gone, Shows shows,
                            QStringList rows, QString prefix) {
            QTest::newRow(what) << int(caller) << gone << shows << rows << prefix;
        };
        row("start-up clears the prefix", StartUp, false, Shows::Files, photos, "");
        row("browse, folder gone: reported", Browse, true, Shows::SystemText, photos, "keep_");
        row("browse cancelled", BrowseCancel, false, Shows::Unlisted, photos, "keep_");
        row("folder typed clears the prefix", FolderEdit, false, Shows::Files, {"abc.txt"}, "");
        row("trailing separator typed", FolderSeparator, false, Shows::Unlisted, photos, "keep_");
        row("pattern typed, folder gone: quiet", Pattern, true, Shows::MissingFolder, kMissing,
            "keep_");
        row("refresh keeps the prefix", Refresh, false, Shows::Files, photos, "keep_");
        row("end of a batch keeps the prefix", Batch, false, Shows::Files, renamed, "keep_");
        row("end of a batch, gone: reported", Batch, true, Shows::SystemText, photos, "keep_");
        row("end of an undo, gone: reported", Undo, true, Shows::SystemText, renamed, "keep_");
    }
    void caller() {
        QFETCH(int, caller);
        QFETCH(bool, gone);
        QFETCH(Shows, shows);
        QFETCH(QStringList, rows);
        QFETCH(QString, prefix);
        Window w;
        const std::string photos = w.workDir() + "/photos", abc = w.workDir() + "/abc";
        fs::create_directories(photos);
        fs::create_directories(abc);
        std::ofstream(photos + "/notes.txt"), std::ofstream(photos + "/p1.jpg");
        std::ofstream(abc + "/abc.txt");
        const auto pullAway = [&] { fs::rename(photos, photos + ".away"); };
        w.writeIni("[Data]\nFolder=" + photos + "\nStartNumber=0100\n");
        w.start([&](CNumberingDlg& dlg) { dlg.m_strPrefix = "keep_"; });
        QVERIFY(w.show());
        if (caller != StartUp) {
            QTest::keyClicks(w.edit(IDC_PREFIX), "keep_");
            if (caller == Undo) {
                w.mark({selected});
                w.click(IDC_START);
            }
            w.mark({selected}); // a mark that only a listing takes away
            w.boxes.shown.clear();
        }
        switch (Caller(caller)) {
        case StartUp:
            break;
        case Browse:
            w.chooser.answers.push_back(w.workDir() + "/gone");
            [[fallthrough]];
        case BrowseCancel:
            w.click(IDC_BROWSE);
            break;
        case FolderEdit:
            w.edit(IDC_FOLDER)->setText(QString::fromStdString(abc));
            break;
        case FolderSeparator:
            w.edit(IDC_FOLDER)->setFocus();
            w.edit(IDC_FOLDER)->end(false);
            QTest::keyClicks(w.edit(IDC_FOLDER), "/");
            break;
        case Pattern:
            pullAway();
            w.edit(IDC_FILTER)->setText("*.jpg");
            break;
        case Refresh:
            w.click(IDC_REFRESH);
            break;
        case Batch:
        case Undo:
            if (gone)
                w.afterRename = pullAway;
            if (caller == Batch)
                w.click(IDC_START);
            else
                w.dlg->UndoAction()->trigger();
            break;
        }
        QCOMPARE(w.rows(), rows);
        QCOMPARE(w.edit(IDC_PREFIX)->text(), prefix);
        const bool listed = shows == Shows::Files || shows == Shows::MissingFolder;
        QCOMPARE(w.list().GetNextItem(-1, LVNI_SELECTED), listed ? -1 : 0);
        QCOMPARE(w.reports(), shows == Shows::SystemText
                                  ? QStringList{QString::fromStdString(SystemErrorText(ENOENT))}
                                  : QStringList());
    }

    void headerClicks_data() {
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QList<Step>>("steps");
        // Every row of /four but 10.txt is selected, 10.txt focused: the marks travel with rows.
        QTest::newRow("date, name, date: the other columns ascend next")
            << "/four"
            << QList<Step>{{1, "_1B9", {1, 0, 1}}, {0, "19_B", {0, 1, 1}}, {1, "_1B9", {1, 0, 1}}};
        QTest::newRow("capture: no time first, then oldest; newest; a direction of its own")
            << "/mixed"
            << QList<Step>{{2, "bca", {1, 1, 0}}, {2, "acb", {1, 1, 1}}, {1, "cab", {1, 0, 1}}};
    }
    void headerClicks() {
        QFETCH(QString, folder);
        QFETCH(QList<Step>, steps);
        Window w;
        start(w, folder, "ShowCaptureTime=1\n");
        const bool four = folder == "/four";
        if (four)
            w.mark({focused, selected, selected, selected});
        for (const Step& step : steps) {
            w.clickColumn(step.column);
            QString letters;
            for (const QString& row : w.rows())
                letters += row[0];
            QCOMPARE(letters, step.letters);
            QCOMPARE((QList<int>{w.dlg->m_bNameAscending, w.dlg->m_bDateAscending,
                                 w.dlg->m_bCaptureAscending}),
                     step.flags);
            for (int r = 0; four && r < 4; ++r)
                QCOMPARE(w.marks()[r], step.letters[r] == '1' ? focused : selected);
        }
    }

    void selection_data() {
        QTest::addColumn<int>("control");  // a button, or the list for a click on it
        QTest::addColumn<bool>("missing"); // the missing rows shown instead of /four
        QTest::addColumn<Marks>("before");
        QTest::addColumn<QStringList>("rows");
        QTest::addColumn<Marks>("after");
        QTest::addColumn<bool>("refused");
        QTest::newRow("select all refused over the missing rows")
            << IDC_SELECTALL << true << Marks{focused, none} << kMissing << Marks{focused, none}
            << true;
        QTest::newRow("select all keeps the focus mark")
            << IDC_SELECTALL << false << Marks{none, none, focused, none} << kFour
            << Marks{selected, selected, both, selected} << false;
        QTest::newRow("rows 0 and 2 up: row 0 stays, row 2 rises")
            << IDC_UP << false << Marks{selected, none, selected, none}
            << QStringList{"10.txt", "_a.txt", "9.txt", "B.txt"}
            << Marks{selected, both, none, none} << false;
        QTest::newRow("rows 1 and 2 down: row 3 rises above them")
            << IDC_DOWN << false << Marks{none, selected, selected, none}
            << QStringList{"10.txt", "B.txt", "9.txt", "_a.txt"}
            << Marks{none, none, both, selected} << false;
        QTest::newRow("a click on the missing rows leaves none marked")
            << IDC_FILELIST << true << Marks{both, selected} << kMissing << Marks{none, none}
            << false;
    }
    void selection() {
        QFETCH(int, control);
        QFETCH(bool, missing);
        QFETCH(Marks, before);
        QFETCH(QStringList, rows);
        QFETCH(Marks, after);
        QFETCH(bool, refused);
        Window w;
        start(w, "/four");
        if (missing)
            w.edit(IDC_FOLDER)->setText(at("/gone"));
        w.mark(before);
        if (control == IDC_FILELIST) // the list's click notification, after its own handling
            emit w.list().View()->clickedInList();
        else
            w.click(control);
        QCOMPARE(w.rows(), rows);
        QCOMPARE(w.marks(), after);
        QCOMPARE(w.boxes.shown.size(), std::size_t(refused));
    }

    void rightClick_data() {
        QTest::addColumn<Marks>("before");
        QTest::addColumn<Marks>("after"); // when the menu opens on row 2
        QTest::newRow("a row not selected: selected alone, focused")
            << Marks{selected, none, none, focused} << Marks{none, none, both, none};
        QTest::newRow("a selected row: the selection stays, the focus mark moves")
            << Marks{selected, none, selected, focused} << Marks{selected, none, both, none};
    }
    void rightClick() {
        QFETCH(Marks, before);
        QFETCH(Marks, after);
        Window w;
        start(w, "/four");
        w.mark(before);
        QWidget* viewport = w.list().View()->viewport();
        const QPoint spot = w.centre(2);
        Marks whenOpen;
        QTimer::singleShot(0, w.dlg.get(), [&] { // in the menu's own loop
            if (QMenu* menu = w.dlg->SystemMenu(); menu->isVisible()) {
                whenOpen = w.marks();
                menu->close();
            }
        });
        // As the window system delivers it: the press, then the request for a menu.
        QTest::mousePress(viewport, Qt::RightButton, {}, spot);
        QContextMenuEvent request(QContextMenuEvent::Mouse, spot, viewport->mapToGlobal(spot));
        QCoreApplication::sendEvent(viewport, &request);
        QTest::mouseRelease(viewport, Qt::RightButton, {}, spot);
        QCOMPARE(whenOpen, after);
    }

    void drag_data() {
        QTest::addColumn<DragEnd>("end");
        QTest::addColumn<QStringList>("rows");
        QTest::newRow("let go on the lower half of row 3: below it")
            << DragEnd::Drop << QStringList{"a.txt", "c.txt", "d.txt", "b.txt", "e.txt", "f.txt"};
        QTest::newRow("Esc during the drag") << DragEnd::Escape << kSix;
        QTest::newRow("let go outside the list") << DragEnd::Outside << kSix;
    }
    void drag() {
        QFETCH(DragEnd, end);
        QFETCH(QStringList, rows);
        Window w;
        start(w, "/six");
        QWidget* viewport = w.list().View()->viewport();
        const QPoint from = w.centre(1);
        QPoint to = w.centre(3, w.list().View()->rowHeight(0) / 4);
        if (end == DragEnd::Outside)
            to.rx() = viewport->width() + 40;
        QTest::mousePress(viewport, Qt::LeftButton, {}, from);
        for (int step = 1; step <= 4; ++step)
            QTest::mouseMove(viewport, from + (to - from) * step / 4);
        if (end == DragEnd::Escape)
            QTest::keyClick(w.list().View(), Qt::Key_Escape);
        QTest::mouseRelease(viewport, Qt::LeftButton, {}, to);
        QCOMPARE(w.rows(), rows);
    }

    void drag_Should_Scroll_NearTheBottomEdge() {
        Window w;
        start(w, "/many");
        QWidget* viewport = w.list().View()->viewport();
        const QPoint from = w.centre(0), edge(from.x(), viewport->height() - 2);
        QTest::mousePress(viewport, Qt::LeftButton, {}, from);
        QTest::mouseMove(viewport, from + QPoint(0, 20));
        QTest::mouseMove(viewport, edge);
        QTRY_VERIFY(w.list().View()->verticalScrollBar()->value() >= 20);
        QTest::mouseRelease(viewport, Qt::LeftButton, {}, edge);
    }

    void keys_Should_MoveRows_But_NoDropOverTheMissingRows() {
        Window w;
        start(w, "/six");
        w.mark({none, none, selected, none, selected});
        w.list().SetFocus();
        QTest::keyClick(w.list().View(), Qt::Key_Up, Qt::AltModifier);
        QCOMPARE(w.rows(), (QStringList{"a.txt", "c.txt", "b.txt", "e.txt", "d.txt", "f.txt"}));
        w.edit(IDC_FILTER)->setText("*.none");
        w.mark({none, selected});
        emit w.list().View()->rowsDropped(0);
        QCOMPARE(w.rows().first(), QStringLiteral("指定されたファイルは"));
    }

    void fileDrop_data() {
        QTest::addColumn<int>("actions");
        QTest::addColumn<bool>("taken");
        QTest::newRow("a file, offered as a link too: its folder listed")
            << int(Qt::LinkAction | Qt::CopyAction | Qt::MoveAction) << true;
        QTest::newRow("offered only as a move: never taken") << int(Qt::MoveAction) << false;
    }
    void fileDrop() {
        QFETCH(int, actions);
        QFETCH(bool, taken);
        Window w;
        start(w, "/six");
        QMimeData data;
        data.setData("text/uri-list", QFile::encodeName("file://" + at("/other/x.txt\r\n")));
        const QPoint middle = w.dlg->rect().center();
        QDragEnterEvent enter(middle, Qt::DropActions(actions), &data, Qt::LeftButton, {});
        QCoreApplication::sendEvent(w.dlg.get(), &enter);
        QDropEvent drop(QPointF(middle), Qt::DropActions(actions), &data, Qt::LeftButton, {});
        if (enter.isAccepted())
            QCoreApplication::sendEvent(w.dlg.get(), &drop);
        QCOMPARE(enter.isAccepted() && drop.isAccepted(), taken);
        QCoreApplication::processEvents();
        QCOMPARE(w.edit(IDC_FOLDER)->text(), at(taken ? "/other" : "/six"));
        QCOMPARE(w.rows().first(), QString(taken ? "x.txt" : "a.txt"));
    }

    void menuChoices_Should_BeSaved_OnlyOnceTouched() {
        Window w;
        start(w, "/six");
        QVERIFY(w.dlg->CaptureTimeAction() && !w.dlg->CaptureTimeAction()->isChecked());
        QVERIFY(w.list().View()->isColumnHidden(kCapture));
        w.dlg->ThumbnailAction()->trigger();
        w.dlg->DestroyWindow();
        const QString ini = QString::fromStdString(w.readIni());
        QVERIFY2(ini.contains("ShowThumbnails=0\n") && !ini.contains("ShowCaptureTime"),
                 qPrintable(ini));
    }

    void stoppedListing_Should_LeaveTheListAsItWas() {
        Window w;
        start(w, "/many");
        w.clickColumn(0);
        const QStringList rows = w.rows();
        w.search.calls = 0;
        w.search.stopAt = 35;
        w.search.progress.runs.clear();
        w.edit(IDC_FILTER)->setText("*.jpg");
        QCOMPARE(w.search.progress.runs, (std::vector<FakeProgressWindow::Shown>{
                                             {"ファイルを読み込んでいます…", 0, "34 件"}}));
        QCOMPARE(w.rows(), rows);
        QCOMPARE(w.dlg->m_bNameAscending, 1);
    }

    void listing_Should_ShowEqualNamesInReverseFolderOrder() {
        Window w;
        const std::string folder = w.workDir() + "/ties";
        fs::create_directory(folder);
        for (const char* name : {"TIE.jpg", "tie.jpg", "Tie.jpg", "tIe.jpg", "tiE.jpg"})
            std::ofstream(folder + "/" + name);
        QStringList ties; // as if each entry had been put at the top of the list
        for (const auto& entry : fs::directory_iterator(folder))
            ties.prepend(QString::fromStdString(entry.path().filename()));
        w.writeIni("[Data]\nFolder=" + folder + "\n");
        w.start();
        QCOMPARE(w.rows(), ties);
    }

    void captureSort_Should_WaitForTheReading() {
        Window w;
        start(w, "/many", "ShowCaptureTime=1\n");
        QVERIFY(w.dlg->CaptureTimes()->isReading());
        w.clickColumn(kCapture);
        QVERIFY(!w.dlg->CaptureTimes()->isReading());
        QCOMPARE(w.column(kCapture).back(), std::string("2020/01/01  01:00:00"));
    }

    void reading_Should_Stop_data() {
        QTest::addColumn<bool>("byListing"); // else by hiding the column
        QTest::newRow("a new listing") << true;
        QTest::newRow("hiding the column") << false;
    }
    void reading_Should_Stop() {
        QFETCH(bool, byListing);
        Window w;
        start(w, "/many", "ShowCaptureTime=1\n");
        CNumberingDlg& dlg = *w.dlg;
        const std::uint64_t firstListing = w.list().Model()->listing();
        if (byListing)
            w.edit(IDC_FOLDER)->setText(at("/few"));
        else
            dlg.CaptureTimeAction()->trigger();
        QCOMPARE(dlg.CaptureTimes()->isReading(), byListing);
        if (!byListing)
            return;
        QTRY_VERIFY_WITH_TIMEOUT(!dlg.CaptureTimes()->isReading(), 60000);
        // A time read for the first listing, arriving late, is not taken for a new row's.
        const FileListModel::CaptureResult late{0, 0};
        w.list().Model()->setCaptureKeys(firstListing, {&late, 1});
        QCOMPARE(w.column(kCapture).front(), std::string("2020/01/01  02:00:00"));
    }
};

QTEST_MAIN(TestFileList)
#include "tst_filelist.moc"
