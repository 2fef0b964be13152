#include "platform/SystemErrorText.h"
#include "support/ListingFixture.h"
#include "support/MainWindowHarness.h"

#include <QtTest>

#include <cerrno>
#include <ctime>

using namespace quorvel;
using namespace quorvel::test;

namespace {

const std::string kNoFileRow = "指定されたファイルは";
const std::string kNoFolderRow = "指定されたフォルダは";
const std::string kNotExistRow = std::string(15, ' ') + "存在しません。";
constexpr ColorRef kRed = 0x0000E6;
constexpr ColorRef kBlack = 0;

const std::string kInvalidName = "bad\xff.txt";

std::vector<std::string> Strings(const QStringList& list) {
    std::vector<std::string> out;
    for (const QString& s : list)
        out.push_back(s.toStdString());
    return out;
}

// Made in the order B.txt, _a.txt, 9.txt, 10.txt, oldest first; sorted by name they read
// 10.txt, 9.txt, _a.txt, B.txt.
bool MakeExampleFiles(const std::string& folder) {
    std::int64_t t = UtcSeconds(2022, 5, 1, 10);
    for (const char* name : {"B.txt", "_a.txt", "9.txt", "10.txt"})
        if (!MakeFile(folder, name, t += 60))
            return false;
    return true;
}

} // namespace

class TestListFolder : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();

    void Listing_Should_ShowFilesWithTheirTimes_And_NoFolders_data();
    void Listing_Should_ShowFilesWithTheirTimes_And_NoFolders();
    void Listing_Should_SearchFolderWithPattern_data();
    void Listing_Should_SearchFolderWithPattern();
    void Listing_Should_ShowMissingRowsOrSystemText_data();
    void Listing_Should_ShowMissingRowsOrSystemText();
    void Startup_Should_ShowMissingRowsOrSystemText_data();
    void Startup_Should_ShowMissingRowsOrSystemText();
    void EmptyFolderText_Should_ChangeNothing_data();
    void EmptyFolderText_Should_ChangeNothing();
    void EveryCaller_Should_LeaveRowsSortedByName_And_FlagsReset_data();
    void EveryCaller_Should_LeaveRowsSortedByName_And_FlagsReset();

private:
    std::string Path(const std::string& name) const { return m_root + "/" + name; }

    QTemporaryDir m_dir;
    std::string m_root;
};

void TestListFolder::initTestCase() {
    // Tokyo has kept UTC+9 all year since 1951, so every expected time below is UTC + 9 h.
    qputenv("TZ", "Asia/Tokyo");
    tzset();
    QVERIFY(m_dir.isValid());
    m_root = QFile::encodeName(m_dir.path()).toStdString();

    const std::string listed = Path("listed");
    QVERIFY(MakeFolder(listed));
    QVERIFY(MakeFile(listed, "a.txt", UtcSeconds(2020, 1, 2, 3, 4, 59)));
    QVERIFY(MakeFile(listed, ".hidden", UtcSeconds(2021, 3, 4, 5, 6)));
    QVERIFY(MakeFile(listed, "写真 0001.JPG", UtcSeconds(2019, 12, 31, 15, 30)));
    QVERIFY(MakeFile(listed, kInvalidName, UtcSeconds(2018, 5, 6, 7, 8)));
    QVERIFY(MakeFile(listed, "future.jpg", UtcSeconds(2040, 6, 23, 12)));
    QVERIFY(MakeFile(listed, "past.jpg", UtcSeconds(1960, 11, 8)));
    QVERIFY(MakeFile(listed, "README", UtcSeconds(2017, 8, 9, 10, 11)));
    QVERIFY(MakeFolder(listed + "/sub"));
    QVERIFY(MakeFile(listed + "/sub", "inner.txt", UtcSeconds(2020, 1, 1)));
    QVERIFY(MakeFolder(listed + "/folder.d"));
    QVERIFY(MakeLink("sub", listed + "/to-folder"));
    QVERIFY(MakeLink("a.txt", listed + "/to-file.lnk"));
    QVERIFY(MakeLink("nowhere", listed + "/dangling.lnk"));
    QVERIFY(SetModifiedTime(listed + "/dangling.lnk", UtcSeconds(2001, 9, 9, 1, 46, 40), true));

    QVERIFY(MakeFolder(Path("empty")));
    QVERIFY(MakeFolder(Path("folders")));
    QVERIFY(MakeFolder(Path("folders/x")));
    QVERIFY(MakeFolder(Path("folders/y.txt")));
    QVERIFY(MakeLink("x", Path("folders/z.txt")));
    QVERIFY(MakeLink("loop", Path("loop")));

    QVERIFY(MakeFolder(Path("before")));
    QVERIFY(MakeFile(Path("before"), "one.txt", UtcSeconds(2020, 2, 2)));
    QVERIFY(MakeFile(Path("before"), "two.txt", UtcSeconds(2019, 2, 2)));
}

void TestListFolder::cleanupTestCase() {
    // QTemporaryDir removes by QString names, which cannot carry a byte that is not UTF-8.
    ::unlink(Path("listed/" + kInvalidName).c_str());
}

void TestListFolder::Listing_Should_ShowFilesWithTheirTimes_And_NoFolders_data() {
    QTest::addColumn<QByteArray>("name");
    QTest::addColumn<bool>("listed");
    QTest::addColumn<QByteArray>("time");
    QTest::newRow("plain file, seconds dropped")
        << QByteArray("a.txt") << true << QByteArray("2020/01/02  12:04");
    QTest::newRow("name without extension")
        << QByteArray("README") << true << QByteArray("2017/08/09  19:11");
    QTest::newRow("dot file") << QByteArray(".hidden") << true << QByteArray("2021/03/04  14:06");
    QTest::newRow("Japanese name, local date past midnight")
        << QByteArray("写真 0001.JPG") << true << QByteArray("2020/01/01  00:30");
    QTest::newRow("name that is not UTF-8")
        << QByteArray::fromStdString(kInvalidName) << true << QByteArray("2018/05/06  16:08");
    QTest::newRow("dated 2040") << QByteArray("future.jpg") << true
                                << QByteArray("2040/06/23  21:00");
    QTest::newRow("dated 1960") << QByteArray("past.jpg") << true
                                << QByteArray("1960/11/08  09:00");
    QTest::newRow("link to a file shows the file's time")
        << QByteArray("to-file.lnk") << true << QByteArray("2020/01/02  12:04");
    QTest::newRow("dangling link shows its own time")
        << QByteArray("dangling.lnk") << true << QByteArray("2001/09/09  10:46");
    QTest::newRow("subfolder") << QByteArray("sub") << false << QByteArray();
    QTest::newRow("subfolder with a dot") << QByteArray("folder.d") << false << QByteArray();
    QTest::newRow("link to a folder") << QByteArray("to-folder") << false << QByteArray();
    QTest::newRow("dot entry") << QByteArray(".") << false << QByteArray();
    QTest::newRow("dot-dot entry") << QByteArray("..") << false << QByteArray();
    QTest::newRow("file inside a subfolder") << QByteArray("inner.txt") << false << QByteArray();
}

void TestListFolder::Listing_Should_ShowFilesWithTheirTimes_And_NoFolders() {
    QFETCH(QByteArray, name);
    QFETCH(bool, listed);
    QFETCH(QByteArray, time);
    MainWindowHarness h;
    h.writeIni("[Data]\nFolder=" + Path("listed") + "\n");
    h.start();
    QCOMPARE(h.dlg->m_listFiles.GetItemCount(), 9);
    const std::vector<std::string> names = h.names();
    const auto row = std::find(names.begin(), names.end(), name.toStdString());
    QCOMPARE(row != names.end(), listed);
    if (listed)
        QCOMPARE(h.column(1)[std::size_t(row - names.begin())], time.toStdString());
}

void TestListFolder::Listing_Should_SearchFolderWithPattern_data() {
    QTest::addColumn<QString>("suffix"); // added to the folder's path
    QTest::addColumn<QString>("filter");
    QTest::addColumn<QByteArrayList>("expected");
    const QByteArrayList all{".hidden",      "a.txt",       QByteArray::fromStdString(kInvalidName),
                             "dangling.lnk", "future.jpg",  "past.jpg",
                             "README",       "to-file.lnk", "写真 0001.JPG"};
    QTest::newRow("empty pattern lists every file, names without a dot too") << ""
                                                                             << "" << all;
    QTest::newRow("folder ending in a separator") << "/"
                                                  << "" << all;
    QTest::newRow("pattern and a folder ending in a separator")
        << "/"
        << "*.JPG" << QByteArrayList{"future.jpg", "past.jpg", "写真 0001.JPG"};
}

void TestListFolder::Listing_Should_SearchFolderWithPattern() {
    QFETCH(QString, suffix);
    QFETCH(QString, filter);
    QFETCH(QByteArrayList, expected);
    MainWindowHarness h;
    h.writeIni("[Data]\nFolder=" + Path("before") + "\n");
    h.start();
    h.dlg->m_strFilter = filter.toStdString();
    h.dlg->ListFolder(Path("listed") + suffix.toStdString(), 1, 0);
    std::vector<std::string> want;
    for (const QByteArray& name : expected)
        want.push_back(name.toStdString());
    QCOMPARE(h.names(), want);
    QVERIFY(h.boxes.shown.empty());
}

void TestListFolder::Listing_Should_ShowMissingRowsOrSystemText_data() {
    QTest::addColumn<QString>("folder"); // below the fixture root
    QTest::addColumn<QString>("filter");
    QTest::addColumn<int>("reportErrors");
    QTest::addColumn<int>("clearPrefix");
    QTest::addColumn<QString>("firstRow"); // empty: the system's text in a box instead
    QTest::addColumn<int>("code");
    QTest::addColumn<bool>("searchStarted"); // the bound fields are then written in any case

    struct Case {
        const char* what;
        QString folder;
        const char* filter;
        const std::string* quiet;     // first row with reportErrors 0
        const std::string* reporting; // first row with reportErrors 1
        int code;
        bool searchStarted;
    };
    const std::string none;
    const Case cases[] = {
        {"missing folder", "missing", "", &kNoFolderRow, &none, ENOENT, false},
        {"missing parent", "missing/deeper", "", &kNoFolderRow, &none, ENOENT, false},
        {"file used as a folder", "before/one.txt", "", &kNoFolderRow, &none, ENOTDIR, false},
        {"name too long", QString(300, 'x'), "", &kNoFolderRow, &none, ENAMETOOLONG, false},
        {"link loop as the folder", "loop", "", &none, &none, ELOOP, false},
        {"only subfolders and a link to one", "folders", "", &kNoFileRow, &kNoFileRow, 0, true},
        {"empty folder", "empty", "", &kNoFileRow, &kNoFileRow, 0, true},
        {"pattern matching nothing", "before", "*.none", &kNoFileRow, &kNoFileRow, 0, false},
        {"pattern naming only folders", "folders", "*.txt", &kNoFileRow, &kNoFileRow, 0, true},
    };
    for (const Case& c : cases)
        for (int reportErrors : {0, 1})
            for (int clearPrefix : {0, 1}) {
                const std::string& first = reportErrors ? *c.reporting : *c.quiet;
                QTest::addRow("%s, reportErrors %d, clearPrefix %d", c.what, reportErrors,
                              clearPrefix)
                    << c.folder << c.filter << reportErrors << clearPrefix
                    << QString::fromStdString(first) << c.code << c.searchStarted;
            }
}

void TestListFolder::Listing_Should_ShowMissingRowsOrSystemText() {
    QFETCH(QString, folder);
    QFETCH(QString, filter);
    QFETCH(int, reportErrors);
    QFETCH(int, clearPrefix);
    QFETCH(QString, firstRow);
    QFETCH(int, code);
    QFETCH(bool, searchStarted);

    // A state that no listing would produce, so that any change to it shows: rows in date order
    // with the first selected and focused, both directions flipped, a prefix typed.
    MainWindowHarness h;
    h.writeIni("[Data]\nFolder=" + Path("before") + "\n");
    h.start();
    CNumberingDlg& dlg = *h.dlg;
    const std::vector<std::string> rowsBefore{"two.txt", "one.txt"};
    dlg.m_listFiles.ApplyOrder(std::vector<std::uint32_t>{1, 0});
    QCOMPARE(h.names(), rowsBefore);
    dlg.m_listFiles.SetItemState(0, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    dlg.m_bNameAscending = 1;
    dlg.m_bDateAscending = 0;
    dlg.m_strPrefix = "trip_";
    dlg.UpdateData(false);
    const QString folderShownBefore = h.edit(IDC_FOLDER)->text();

    // As the browse button does: the member is set, the box not yet written.
    const std::string path = Path(folder.toStdString());
    dlg.m_strFolder = path;
    dlg.m_strFilter = filter.toStdString();
    dlg.ListFolder(path, reportErrors, clearPrefix);

    QCOMPARE(dlg.m_bNameAscending, 1);
    QCOMPARE(dlg.m_bDateAscending, 0);
    if (firstRow.isEmpty()) {
        QCOMPARE(h.boxes.shown.size(), std::size_t(1));
        QCOMPARE(h.boxes.shown[0].text, SystemErrorText(code));
        QCOMPARE(h.boxes.shown[0].caption, std::string("Tessaly"));
        QCOMPARE(h.boxes.shown[0].style, 0x30u);
        QCOMPARE(h.names(), rowsBefore);
        QCOMPARE(dlg.m_listFiles.GetItemState(0, 3), 3u);
        QCOMPARE(dlg.m_listFiles.GetItemState(1, 3), 0u);
        QCOMPARE(dlg.m_bListValid, 1);
        QCOMPARE(dlg.m_listFiles.GetTextColor(), kBlack);
        QVERIFY(dlg.m_listFiles.IsWindowEnabled());
        QCOMPARE(dlg.m_strPrefix, std::string("trip_"));
        QCOMPARE(h.edit(IDC_PREFIX)->text(), QStringLiteral("trip_"));
        QCOMPARE(h.edit(IDC_FOLDER)->text(), folderShownBefore);
        return;
    }
    QVERIFY(h.boxes.shown.empty());
    QCOMPARE(h.names(), (std::vector<std::string>{firstRow.toStdString(), kNotExistRow}));
    QCOMPARE(h.column(1), (std::vector<std::string>{"", ""}));
    QCOMPARE(dlg.m_listFiles.GetSelectedCount(), 0);
    QCOMPARE(dlg.m_bListValid, 0);
    QCOMPARE(dlg.m_listFiles.GetTextColor(), kRed);
    QVERIFY(!dlg.m_listFiles.IsWindowEnabled());
    const std::string prefix = clearPrefix ? "" : "trip_";
    QCOMPARE(dlg.m_strPrefix, prefix);
    QCOMPARE(h.edit(IDC_PREFIX)->text().toStdString(), prefix);
    const bool written = clearPrefix || searchStarted;
    QCOMPARE(h.edit(IDC_FOLDER)->text(),
             written ? QString::fromStdString(path) : folderShownBefore);
}

void TestListFolder::Startup_Should_ShowMissingRowsOrSystemText_data() {
    QTest::addColumn<QString>("folder");
    QTest::addColumn<QString>("firstRow"); // empty: the system's text in a box instead
    QTest::addColumn<int>("code");
    QTest::newRow("only subfolders") << "folders" << QString::fromStdString(kNoFileRow) << 0;
    QTest::newRow("link loop") << "loop"
                               << "" << ELOOP;
    QTest::newRow("no permission") << "locked"
                                   << "" << EACCES;
}

void TestListFolder::Startup_Should_ShowMissingRowsOrSystemText() {
    QFETCH(QString, folder);
    QFETCH(QString, firstRow);
    QFETCH(int, code);
    const std::string path = Path(folder.toStdString());
    if (code == EACCES) {
        if (geteuid() == 0)
            QSKIP("no folder is closed to the superuser");
        QVERIFY(MakeFolder(path) && ::chmod(path.c_str(), 0) == 0);
    }
    MainWindowHarness h;
    h.writeIni("[Data]\nFolder=" + path + "\n");
    h.start();
    if (code == EACCES)
        ::rmdir(path.c_str());
    CNumberingDlg& dlg = *h.dlg;
    QCOMPARE(h.edit(IDC_FOLDER)->text().toStdString(), path);
    QCOMPARE(dlg.m_bListValid, 0);
    if (firstRow.isEmpty()) {
        QCOMPARE(h.boxes.shown.size(), std::size_t(1));
        QCOMPARE(h.boxes.shown[0].text, SystemErrorText(code));
        QCOMPARE(h.boxes.shown[0].caption, std::string("Tessaly"));
        QCOMPARE(h.boxes.shown[0].style, 0x30u);
        QCOMPARE(dlg.m_listFiles.GetItemCount(), 0);
        return;
    }
    QVERIFY(h.boxes.shown.empty());
    QCOMPARE(h.names(), (std::vector<std::string>{firstRow.toStdString(), kNotExistRow}));
    QCOMPARE(dlg.m_listFiles.GetTextColor(), kRed);
    QVERIFY(!dlg.m_listFiles.IsWindowEnabled());
}

void TestListFolder::EmptyFolderText_Should_ChangeNothing_data() {
    QTest::addColumn<QString>("before"); // the filter that makes the state before
    QTest::addColumn<int>("reportErrors");
    QTest::addColumn<int>("clearPrefix");
    QTest::newRow("over file rows, as the browse button") << "*.*" << 1 << 1;
    QTest::newRow("over file rows, as typing") << "*.*" << 0 << 1;
    QTest::newRow("over the missing rows, as the refresh button") << "*.none" << 1 << 0;
    QTest::newRow("over the missing rows, as typing") << "*.none" << 0 << 1;
}

void TestListFolder::EmptyFolderText_Should_ChangeNothing() {
    QFETCH(QString, before);
    QFETCH(int, reportErrors);
    QFETCH(int, clearPrefix);
    MainWindowHarness h;
    h.writeIni("[Data]\nFolder=" + Path("before") + "\nKaku=" + before.toStdString() + "\n");
    h.start();
    CNumberingDlg& dlg = *h.dlg;
    dlg.m_listFiles.SetItemState(1, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    dlg.m_bNameAscending = 1;
    dlg.m_bDateAscending = 0;
    h.edit(IDC_PREFIX)->setText(QStringLiteral("trip_"));
    const std::vector<std::string> rows = h.names();
    const std::int32_t valid = dlg.m_bListValid;
    const ColorRef colour = dlg.m_listFiles.GetTextColor();
    const bool enabled = dlg.m_listFiles.IsWindowEnabled();

    dlg.ListFolder("", reportErrors, clearPrefix);

    QCOMPARE(h.names(), rows);
    QCOMPARE(dlg.m_listFiles.GetItemState(1, 3), 3u);
    QCOMPARE(dlg.m_bListValid, valid);
    QCOMPARE(dlg.m_listFiles.GetTextColor(), colour);
    QCOMPARE(dlg.m_listFiles.IsWindowEnabled(), enabled);
    QCOMPARE(dlg.m_bNameAscending, 1);
    QCOMPARE(dlg.m_bDateAscending, 0);
    QCOMPARE(dlg.m_strPrefix, std::string()); // never read from the box, never cleared
    QCOMPARE(h.edit(IDC_PREFIX)->text(), QStringLiteral("trip_"));
    QCOMPARE(h.edit(IDC_FOLDER)->text().toStdString(), Path("before"));
    QVERIFY(h.boxes.shown.empty());
}

void TestListFolder::EveryCaller_Should_LeaveRowsSortedByName_And_FlagsReset_data() {
    QTest::addColumn<QString>("caller");
    QTest::addColumn<bool>("prefixKept");
    QTest::addColumn<QStringList>("expected");
    const QStringList example{"10.txt", "9.txt", "_a.txt", "B.txt"};
    QTest::newRow("start-up") << "start-up" << false << example;
    QTest::newRow("browse button") << "browse" << false << example;
    QTest::newRow("folder typed") << "folder" << false << example;
    QTest::newRow("pattern typed") << "pattern" << true << example;
    QTest::newRow("pattern typed over the missing rows")
        << "pattern after missing" << true << example;
    QTest::newRow("refresh button") << "refresh" << true << example;
    QTest::newRow("end of a rename")
        << "rename" << true
        << QStringList{"trip_001.txt", "trip_002.txt", "trip_003.txt", "trip_004.txt"};
}

void TestListFolder::EveryCaller_Should_LeaveRowsSortedByName_And_FlagsReset() {
    QFETCH(QString, caller);
    QFETCH(bool, prefixKept);
    QFETCH(QStringList, expected);
    QTemporaryDir tmp;
    const std::string photos = QFile::encodeName(tmp.path()).toStdString() + "/photos";
    const std::string copy = QFile::encodeName(tmp.path()).toStdString() + "/copy";
    QVERIFY(MakeFolder(photos) && MakeExampleFiles(photos));
    QVERIFY(MakeFolder(copy) && MakeExampleFiles(copy));

    MainWindowHarness h;
    h.writeIni("[Data]\nFolder=" + photos + "\n");
    h.start();
    CNumberingDlg& dlg = *h.dlg;
    if (caller != "start-up") {
        // Date order, every row selected, the focus mark on one, directions flipped, a prefix.
        h.dlg->show();
        QVERIFY(QTest::qWaitForWindowExposed(h.dlg.get()));
        ClickHeader(dlg, 1);
        QCOMPARE(h.names(), (std::vector<std::string>{"B.txt", "_a.txt", "9.txt", "10.txt"}));
        QCOMPARE(dlg.m_bNameAscending, 1);
        QCOMPARE(dlg.m_bDateAscending, 0);
        h.click(IDC_SELECTALL);
        dlg.m_listFiles.SetItemState(2, LVIS_FOCUSED, LVIS_FOCUSED);
        h.edit(IDC_PREFIX)->setText(QStringLiteral("trip_"));
    }
    if (caller == "browse") {
        h.chooser.answers.push_back(copy);
        h.click(IDC_BROWSE);
        QCOMPARE(h.edit(IDC_FOLDER)->text().toStdString(), copy);
    } else if (caller == "folder") {
        h.edit(IDC_FOLDER)->setText(QString::fromStdString(copy));
    } else if (caller == "pattern") {
        h.edit(IDC_FILTER)->setText(QStringLiteral("*.TXT"));
    } else if (caller == "pattern after missing") {
        h.edit(IDC_FILTER)->setText(QStringLiteral("*.none"));
        QCOMPARE(dlg.m_bListValid, 0);
        h.edit(IDC_FILTER)->setText(QStringLiteral("*.txt"));
    } else if (caller == "refresh") {
        h.click(IDC_REFRESH);
    } else if (caller == "rename") {
        h.click(IDC_START); // the confirmation box answers OK
        QCOMPARE(h.boxes.shown.size(), std::size_t(1));
        h.boxes.shown.clear();
    }

    QCOMPARE(h.names(), Strings(expected));
    QCOMPARE(dlg.m_bNameAscending, 0);
    QCOMPARE(dlg.m_bDateAscending, 1);
    QCOMPARE(dlg.m_bListValid, 1);
    QCOMPARE(dlg.m_listFiles.GetTextColor(), kBlack);
    QVERIFY(dlg.m_listFiles.IsWindowEnabled());
    for (int r = 0; r < dlg.m_listFiles.GetItemCount(); ++r)
        QCOMPARE(dlg.m_listFiles.GetItemState(r, LVIS_SELECTED | LVIS_FOCUSED), 0u);
    const std::string prefix = prefixKept && caller != "start-up" ? "trip_" : "";
    QCOMPARE(h.edit(IDC_PREFIX)->text().toStdString(), prefix);
    QVERIFY(h.boxes.shown.empty());
}

QTEST_MAIN(TestListFolder)
#include "tst_listfolder.moc"
