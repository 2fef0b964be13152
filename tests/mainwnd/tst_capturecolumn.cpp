#include "mainwnd/CaptureTimeLoader.h"
#include "platform/listctrl/FileListView.h"
#include "support/MainWindowHarness.h"
#include "support/Photos.h"

#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QHeaderView>
#include <QMenu>
#include <QThread>
#include <QtTest>

#include <set>
#include <sys/inotify.h>
#include <unistd.h>

using namespace quorvel;
using namespace quorvel::test;

namespace {

constexpr int kCapture = 2;
constexpr int kBatch = 600;  // photos of a batch folder
constexpr int kMany = 12000; // names of the large folder, twenty for each batch photo

// One header click, or a refresh (column -1), and what follows it: the rows by their first
// letters, then the flags name, date and capture ascending.
struct Step {
    int column;
    QString order;
    QList<int> flags;
};

// The file named with number i is photo i mod kBatch, taken at base + (i * 7 mod kBatch) seconds.
QString BatchName(int i) {
    return QString("p%1.jpg").arg(i, 5, 10, QChar('0'));
}
QString BatchTime(int i, int baseHour, const char* exifOrText) {
    const int offset = i % kBatch * 7 % kBatch;
    return QString(exifOrText)
        .arg(baseHour, 2, 10, QChar('0'))
        .arg(offset / 60, 2, 10, QChar('0'))
        .arg(offset % 60, 2, 10, QChar('0'));
}

bool SetModified(const QString& path, int year) {
    QFile file(path);
    return file.open(QIODevice::ReadWrite) &&
           file.setFileTime(QDate(year, 6, 1).startOfDay(QTimeZone::utc()),
                            QFileDevice::FileModificationTime);
}

QString Letters(const MainWindowHarness& h) {
    QString letters;
    for (const std::string& name : h.names())
        letters += QChar(name[0]);
    return letters;
}

QList<int> Flags(const CNumberingDlg& dlg) {
    return {dlg.m_bNameAscending, dlg.m_bDateAscending, dlg.m_bCaptureAscending};
}

void ClickColumn(CNumberingDlg& dlg, int column) {
    Message msg{WM_NOTIFY, LVN_COLUMNCLICK, IDC_FILELIST, true};
    msg.subItem = column;
    dlg.Dispatch(msg);
}

bool Shown(const CNumberingDlg& dlg) {
    return !dlg.m_listFiles.View()->isColumnHidden(kCapture);
}

// The files of `folder` opened since the last call, by name, as the kernel saw them.
class OpenWatch {
public:
    explicit OpenWatch(const QString& folder) : m_fd(inotify_init1(IN_NONBLOCK | IN_CLOEXEC)) {
        inotify_add_watch(m_fd, folder.toLocal8Bit().constData(), IN_OPEN);
    }
    ~OpenWatch() { close(m_fd); }
    std::set<std::string> opened() {
        std::set<std::string> names;
        alignas(inotify_event) char buffer[65536];
        for (ssize_t length; (length = read(m_fd, buffer, sizeof buffer)) > 0;)
            for (ssize_t at = 0; at < length;) {
                const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
                if (event->len > 0)
                    names.insert(event->name);
                at += ssize_t(sizeof(inotify_event) + event->len);
            }
        return names;
    }

private:
    int m_fd;
};

} // namespace

Q_DECLARE_METATYPE(Step)

class TestCaptureColumn : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    std::string folder(const char* name) const { return m_dir.filePath(name).toStdString(); }

    // The window on `name`, the column shown or not as saved.
    void start(MainWindowHarness& h, const char* name, bool shown) {
        h.writeIni("[Data]\nFolder=" + folder(name) + "\n" +
                   (shown ? "[Config]\nShowCaptureTime=1\n" : ""));
        h.start();
    }

    void makeBatch(const char* name, int baseHour, int photos) {
        QVERIFY(QDir().mkdir(m_dir.filePath(name)));
        for (int i = 0; i < photos; ++i)
            QVERIFY(WritePhoto(
                m_dir.filePath(name) + "/" + BatchName(i),
                {{"Exif.Photo.DateTimeOriginal", BatchTime(i, baseHour, "2020:01:01 %1:%2:%3")}}));
    }
    // Every row shows the time its own file was given.
    void checkBatchTimes(const MainWindowHarness& h, int baseHour, int count) {
        const std::vector<std::string> names = h.names(), times = h.column(kCapture);
        QCOMPARE(int(names.size()), count);
        for (std::size_t r = 0; r < names.size(); ++r)
            QCOMPARE(QString::fromStdString(times[r]),
                     BatchTime(QString::fromStdString(names[r]).mid(1, 5).toInt(), baseHour,
                               "2020/01/01  %1:%2:%3"));
    }

private slots:
    void initTestCase() {
        // Names a-g; capture order: the three without a time, then c (digitized only), the
        // burst b, a (one second, told apart by sub-seconds), d (XMP only); modified order
        // f d b a e g c.
        QVERIFY(QDir().mkdir(m_dir.filePath("mixed")));
        const QString mixed = m_dir.filePath("mixed") + "/";
        const QString original = "Exif.Photo.DateTimeOriginal",
                      sub = "Exif.Photo.SubSecTimeOriginal";
        QVERIFY(WritePhoto(mixed + "a.jpg", {{original, "2021:03:01 10:00:00"}, {sub, "50"}}));
        QVERIFY(WritePhoto(mixed + "b.jpg", {{original, "2021:03:01 10:00:00"}, {sub, "20"}}));
        QVERIFY(
            WritePhoto(mixed + "c.jpg", {{"Exif.Photo.DateTimeDigitized", "2021:03:01 09:00:00"}}));
        QVERIFY(WritePhoto(mixed + "d.jpg",
                           {{"Xmp.exif.DateTimeOriginal", "2021-03-01T11:00:00+09:00"}}));
        QVERIFY(WritePhoto(mixed + "e.jpg"));
        QVERIFY(WritePhoto(mixed + "f.jpg", {{original, "2021:03:01 08:00:00"}}));
        QVERIFY(QFile::resize(mixed + "f.jpg", 40));
        QFile text(mixed + "g.jpg");
        QVERIFY(text.open(QIODevice::WriteOnly) && text.write("no picture\n") > 0);
        text.close();
        int year = 2010;
        for (const char* name : {"f", "d", "b", "a", "e", "g", "c"})
            QVERIFY(SetModified(mixed + name + ".jpg", year++));
        makeBatch("first", 1, kBatch);
        // The same photos under more names: reading them all takes long enough to be stopped.
        QVERIFY(QDir().mkdir(m_dir.filePath("many")));
        for (int i = 0; i < kMany; ++i)
            QCOMPARE(
                link(m_dir.filePath("first/" + BatchName(i % kBatch)).toLocal8Bit().constData(),
                     m_dir.filePath("many/" + BatchName(i)).toLocal8Bit().constData()),
                0);
        // Ten of its names again, photos of another hour.
        makeBatch("few", 2, 10);
    }

    void HeaderMenu_Should_ShowTheColumn_FromItsFirstItem() {
        MainWindowHarness h;
        start(h, "mixed", false);
        CNumberingDlg& dlg = *h.dlg;
        QVERIFY(!Shown(dlg));
        QCOMPARE(dlg.m_listFiles.View()->horizontalHeader()->sectionSize(kCapture), 0);
        QHeaderView* header = dlg.m_listFiles.View()->horizontalHeader();
        QString text; // of the menu's first item
        bool checkable = false, checked = true;
        QTimer::singleShot(0, this, [&] {
            auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
            QAction* item = menu ? menu->actions().value(0) : nullptr;
            QVERIFY(item);
            text = item->text();
            checkable = item->isCheckable();
            checked = item->isChecked();
            item->trigger();
            menu->close();
        });
        QContextMenuEvent click(QContextMenuEvent::Mouse, QPoint(20, 5),
                                header->viewport()->mapToGlobal(QPoint(20, 5)));
        QApplication::sendEvent(header->viewport(), &click);
        QCOMPARE(text, QString("撮影日時"));
        QVERIFY(checkable);
        QVERIFY(!checked);
        QVERIFY(Shown(dlg));
        QVERIFY(dlg.CaptureTimeAction()->isChecked());
        // Scrolled into the narrow list's view, wide enough for its text, and its header takes
        // clicks.
        const int left = header->sectionViewportPosition(kCapture),
                  width = header->sectionSize(kCapture);
        QVERIFY(left >= 0);
        QVERIFY(left + width <= header->viewport()->width());
        const QFontMetrics metrics(dlg.m_listFiles.View()->font());
        QVERIFY(width > metrics.horizontalAdvance("2088/08/08  08:08:08"));
        dlg.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dlg));
        QTest::mouseClick(header->viewport(), Qt::LeftButton, Qt::NoModifier,
                          QPoint(left + width / 2, header->height() / 2));
        QCOMPARE(h.column(kCapture), (std::vector<std::string>{
                                         "", "", "", "2021/03/01  09:00:00", "2021/03/01  10:00:00",
                                         "2021/03/01  10:00:00", "2021/03/01  11:00:00"}));
    }

    void Settings_Should_WriteTheKeyOnlyOnceTouched_data() {
        QTest::addColumn<QString>("stored"); // the key's line in [Config], or none
        QTest::addColumn<int>("toggles");    // menu item clicks
        QTest::addColumn<bool>("shownAtStart");
        QTest::addColumn<QString>("saved"); // the key's line afterwards, or none
        QTest::newRow("never touched: none") << "" << 0 << false << "";
        QTest::newRow("shown once") << "" << 1 << false << "ShowCaptureTime=1";
        QTest::newRow("shown and hidden again: kept as 0")
            << "" << 2 << false << "ShowCaptureTime=0";
        QTest::newRow("stored 1: shown") << "ShowCaptureTime=1" << 0 << true << "ShowCaptureTime=1";
        QTest::newRow("stored 5: shown, kept as stored")
            << "showcapturetime = 5" << 0 << true << "showcapturetime = 5";
        QTest::newRow("stored 0, then shown")
            << "ShowCaptureTime=0" << 1 << false << "ShowCaptureTime=1";
    }
    void Settings_Should_WriteTheKeyOnlyOnceTouched() {
        QFETCH(QString, stored);
        QFETCH(int, toggles);
        QFETCH(bool, shownAtStart);
        QFETCH(QString, saved);
        MainWindowHarness h;
        const std::string head =
            "; photos\n[Data]\nFolder=" + folder("mixed") + "\n[Config]\nSmallCheck=1\n";
        h.writeIni(head + (stored.isEmpty() ? "" : stored.toStdString() + "\n"));
        h.start();
        QCOMPARE(Shown(*h.dlg), shownAtStart);
        QCOMPARE(h.dlg->CaptureTimeAction()->isChecked(), shownAtStart);
        for (int i = 0; i < toggles; ++i)
            h.dlg->CaptureTimeAction()->trigger();
        h.dlg->DestroyWindow();
        // StartNumber and Kaku go to the end of [Data], Version to a section of its own.
        QCOMPARE(h.readIni(), "; photos\n[Data]\nFolder=" + folder("mixed") +
                                  "\nStartNumber=001\nKaku=*.*\n[Config]\nSmallCheck=1\n" +
                                  (saved.isEmpty() ? "" : saved.toStdString() + "\n") +
                                  "[Application]\nVersion=21\n");
        // The next run starts as this one ended.
        h.start();
        QCOMPARE(Shown(*h.dlg), !saved.isEmpty() && !saved.endsWith('0'));
    }

    void HeaderClicks_Should_AlternateEachColumn_data() {
        QTest::addColumn<QList<Step>>("steps");
        QTest::newRow("capture twice: empty cells first, then oldest; then newest")
            << QList<Step>{{2, "efgcbad", {1, 1, 0}}, {2, "dabcefg", {1, 1, 1}}};
        QTest::newRow("capture after name: ascending first")
            << QList<Step>{{0, "gfedcba", {1, 1, 1}}, {2, "gfecbad", {1, 1, 0}}};
        QTest::newRow("name after capture resets the capture direction") << QList<Step>{
            {2, "efgcbad", {1, 1, 0}}, {0, "abcdefg", {0, 1, 1}}, {2, "efgcbad", {1, 1, 0}}};
        QTest::newRow("modified time after capture; equal keys keep their order") << QList<Step>{
            {2, "efgcbad", {1, 1, 0}}, {1, "fdbaegc", {1, 0, 1}}, {2, "fegcbad", {1, 1, 0}}};
        QTest::newRow("a listing resets every direction") << QList<Step>{
            {2, "efgcbad", {1, 1, 0}}, {-1, "abcdefg", {0, 1, 1}}, {2, "efgcbad", {1, 1, 0}}};
    }
    void HeaderClicks_Should_AlternateEachColumn() {
        QFETCH(QList<Step>, steps);
        MainWindowHarness h;
        start(h, "mixed", true);
        for (const Step& step : steps) {
            if (step.column < 0)
                h.click(IDC_REFRESH);
            else
                ClickColumn(*h.dlg, step.column);
            QCOMPARE(Letters(h), step.order);
            QCOMPARE(Flags(*h.dlg), step.flags);
        }
    }

    void Rows_Should_GetTheirOwnTimes_When_SortedAndMovedWhileReading() {
        MainWindowHarness h;
        start(h, "many", true);
        QVERIFY(h.dlg->CaptureTimes()->isReading());
        CNumberingDlg& dlg = *h.dlg;
        ClickColumn(dlg, 0);
        for (int i = 0; i < 40; ++i) {
            dlg.m_listFiles.SetItemState(-1, 0, LVIS_SELECTED);
            dlg.m_listFiles.SetItemState(i * 13 % kMany, LVIS_SELECTED, LVIS_SELECTED);
            h.click(i % 2 ? IDC_UP : IDC_DOWN);
            if (i % 8 == 0)
                ClickColumn(dlg, 1);
            QTest::qWait(1);
        }
        QTRY_VERIFY_WITH_TIMEOUT(!dlg.CaptureTimes()->isReading(), 60000);
        checkBatchTimes(h, 1, kMany);
    }

    void CaptureClick_Should_WaitForTheReading() {
        MainWindowHarness h;
        start(h, "many", true);
        QVERIFY(h.dlg->CaptureTimes()->isReading());
        ClickColumn(*h.dlg, kCapture);
        QVERIFY(!h.dlg->CaptureTimes()->isReading());
        checkBatchTimes(h, 1, kMany);
        // Twenty names for each of the 600 distinct times, in order.
        const std::vector<std::string> times = h.column(kCapture);
        QVERIFY(std::is_sorted(times.begin(), times.end()));
        QCOMPARE(std::set<std::string>(times.begin(), times.end()).size(), std::size_t(kBatch));
    }

    void Reading_Should_Stop_data() {
        QTest::addColumn<bool>("byListing"); // else by hiding the column
        QTest::newRow("a new listing") << true;
        QTest::newRow("hiding the column") << false;
    }
    void Reading_Should_Stop() {
        QFETCH(bool, byListing);
        OpenWatch watch(m_dir.filePath("many"));
        MainWindowHarness h;
        start(h, "many", true);
        CNumberingDlg& dlg = *h.dlg;
        const std::uint64_t firstListing = dlg.m_listFiles.Model()->listing();
        if (byListing) // ten of the names, other times
            h.edit(IDC_FOLDER)->setText(QString::fromStdString(folder("few")));
        else
            dlg.CaptureTimeAction()->trigger();
        const std::set<std::string> before = watch.opened();
        QCOMPARE(dlg.CaptureTimes()->isReading(), byListing);
        QTest::qWait(300);
        if (byListing)
            QTRY_VERIFY_WITH_TIMEOUT(!dlg.CaptureTimes()->isReading(), 60000);
        std::set<std::string> after = watch.opened();
        // Each worker may finish the one file it had taken; none takes another.
        std::erase_if(after, [&](const std::string& name) { return before.contains(name); });
        QVERIFY2(int(after.size()) <= QThread::idealThreadCount(),
                 qPrintable(QString("%1 files opened after the stop").arg(after.size())));
        QVERIFY2(int(before.size()) < kMany, "the reading ended before it could be stopped");
        if (byListing) {
            // A time read for the first listing, arriving late, is not taken for a new row's.
            const FileListModel::CaptureResult late{0, 0};
            dlg.m_listFiles.Model()->setCaptureKeys(firstListing, {&late, 1});
            checkBatchTimes(h, 2, 10);
        } else {
            // Shown again, it reads what it lacks.
            dlg.CaptureTimeAction()->trigger();
            QTRY_VERIFY_WITH_TIMEOUT(!dlg.CaptureTimes()->isReading(), 60000);
            checkBatchTimes(h, 1, kMany);
        }
    }
};

QTEST_MAIN(TestCaptureColumn)
#include "tst_capturecolumn.moc"
