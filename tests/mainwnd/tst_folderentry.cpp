#include "platform/SystemErrorText.h"
#include "settings/ProfileFile.h"
#include "support/MainWindowHarness.h"
#include "support/ModalSteps.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QSignalSpy>
#include <QtTest>

#include <cerrno>

using namespace quorvel;
using namespace quorvel::test;

namespace {

const char* const kMissingFolderRow = "指定されたフォルダは";
const char* const kMissingFileRow = "指定されたファイルは";
const char* const kBrowseTitle = "ファイル名を変更するファイルのあるフォルダを選択：";
constexpr ColorRef kRed = Rgb(230, 0, 0);

void Touch(const QString& path) {
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
}

// One change of an edit box as a person makes it, each a single change of the text:
// "type:X" types X at the end (one change per character), "erase:N" selects the last N
// characters and deletes them, "paste:X" pastes X over the whole text, "clear" selects all and
// deletes it.
void EditBox(QLineEdit* box, const QString& op) {
    box->setFocus();
    box->end(false);
    if (op.startsWith("type:")) {
        QTest::keyClicks(box, op.mid(5));
    } else if (op.startsWith("erase:")) {
        box->cursorBackward(true, op.mid(6).toInt());
        QTest::keyClick(box, Qt::Key_Backspace);
    } else if (op.startsWith("paste:")) {
        QGuiApplication::clipboard()->setText(op.mid(6));
        box->selectAll();
        QTest::keyClick(box, Qt::Key_V, Qt::ControlModifier);
    } else if (op == "clear") {
        box->selectAll();
        QTest::keyClick(box, Qt::Key_Backspace);
    } else {
        QFAIL(qPrintable("unknown edit " + op));
    }
}

} // namespace

class TestFolderEntry : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup();

    void Browse_Should_ListChosenFolderOnce_data();
    void Browse_Should_ListChosenFolderOnce();
    void FolderBox_Should_ListUnlessOnlyTrailingSlashChanges_data();
    void FolderBox_Should_ListUnlessOnlyTrailingSlashChanges();
    void FolderBox_Should_ListAsYouType();
    void PatternBox_Should_ListEveryChangeAndKeepPrefix_data();
    void PatternBox_Should_ListEveryChangeAndKeepPrefix();
    void Refresh_Should_ListFolderAsTyped_data();
    void Refresh_Should_ListFolderAsTyped();
    void Refresh_Should_ReadBackTypedFolder_When_BrowsedFolderCouldNotBeListed();
    void Exit_Should_SaveBoxesAsTheyAreAndEndWindow_data();
    void Exit_Should_SaveBoxesAsTheyAreAndEndWindow();

private:
    // "@" in a test row stands for the folder tree made by initTestCase.
    QString at(QString text) const { return text.replace('@', m_tree.path()); }
    std::string atStd(const QString& text) const { return at(text).toStdString(); }
    // The main window listing `folder`, shown, with "keep_" typed into the prefix box.
    void startIn(MainWindowHarness& h, const QString& folder);

    QTemporaryDir m_tree;
    QString m_deep; // a folder whose path is longer than 260 bytes
};

void TestFolderEntry::initTestCase() {
    QVERIFY(m_tree.isValid());
    QDir root(m_tree.path());
    for (const char* sub : {"photos", "docs", "empty", "abc", "写真"})
        QVERIFY(root.mkdir(QString::fromUtf8(sub)));
    Touch(at("@/photos/p1.jpg"));
    Touch(at("@/photos/p2.jpg"));
    Touch(at("@/photos/notes.txt"));
    Touch(at("@/docs/d1.txt"));
    Touch(at("@/abc/abc.txt"));
    Touch(at("@/写真/s.jpg"));
    m_deep = at("@");
    for (int i = 0; i < 3; ++i)
        m_deep += '/' + QString(100, QChar('a' + i));
    QVERIFY(root.mkpath(m_deep));
    QVERIFY(m_deep.toUtf8().size() > 260);
    Touch(m_deep + "/deep.txt");
}

void TestFolderEntry::cleanup() {
    CloseLeftoverModals();
}

void TestFolderEntry::startIn(MainWindowHarness& h, const QString& folder) {
    h.writeIni("[Data]\nFolder=" + folder.toStdString() + "\n");
    h.start();
    h.dlg->show();
    QVERIFY(QTest::qWaitForWindowExposed(h.dlg.get()));
    h.edit(IDC_PREFIX)->setFocus();
    QTest::keyClicks(h.edit(IDC_PREFIX), "keep_");
    // Nothing reads a start number as it is typed; a listing must not write the old one back.
    h.edit(IDC_STARTNUMBER)->setFocus();
    h.edit(IDC_STARTNUMBER)->selectAll();
    QTest::keyClicks(h.edit(IDC_STARTNUMBER), "0100");
    QCOMPARE(h.dlg->m_strFolder, folder.toStdString());
}

void TestFolderEntry::Browse_Should_ListChosenFolderOnce_data() {
    QTest::addColumn<QString>("answer"); // "<cancel>": the chooser is cancelled
    QTest::addColumn<QString>("shown");  // the folder box afterwards
    QTest::addColumn<QString>("firstRow");
    QTest::addColumn<QString>("prefix");
    QTest::addColumn<int>("listings");
    QTest::addColumn<bool>("errorBox");

    QTest::newRow("chosen folder listed, prefix emptied") << "@/photos"
                                                          << "@/photos"
                                                          << "notes.txt"
                                                          << "" << 1 << false;
    QTest::newRow("chosen folder without files shows the missing rows")
        << "@/empty"
        << "@/empty" << kMissingFileRow << "" << 1 << false;
    QTest::newRow("Japanese folder name") << "@/写真"
                                          << "@/写真"
                                          << "s.jpg"
                                          << "" << 1 << false;
    QTest::newRow("path longer than 260 bytes") << "<deep>"
                                                << "<deep>"
                                                << "deep.txt"
                                                << "" << 1 << false;
    QTest::newRow("cancelled: nothing changes") << "<cancel>"
                                                << "@/docs"
                                                << "d1.txt"
                                                << "keep_" << 0 << false;
    QTest::newRow("chosen folder gone before listing: reported, list and boxes kept")
        << "@/gone"
        << "@/docs"
        << "d1.txt"
        << "keep_" << 0 << true;
}

void TestFolderEntry::Browse_Should_ListChosenFolderOnce() {
    QFETCH(QString, answer);
    QFETCH(QString, shown);
    QFETCH(QString, firstRow);
    QFETCH(QString, prefix);
    QFETCH(int, listings);
    QFETCH(bool, errorBox);
    answer.replace("<deep>", m_deep);
    shown.replace("<deep>", m_deep);

    MainWindowHarness h;
    startIn(h, at("@/docs"));
    if (answer != "<cancel>")
        h.chooser.answers.push_back(at(answer).toStdString());
    QSignalSpy resets(h.dlg->m_listFiles.Model(), &QAbstractItemModel::modelReset);

    h.click(IDC_BROWSE);

    QCOMPARE(h.chooser.titles, std::vector<std::string>{kBrowseTitle});
    // One listing: writing the chosen path into the folder box must not list it again.
    QCOMPARE(resets.count(), listings);
    QCOMPARE(h.edit(IDC_FOLDER)->text(), at(shown));
    QCOMPARE(QString::fromStdString(h.names().at(0)), firstRow);
    QCOMPARE(h.edit(IDC_PREFIX)->text(), prefix);
    QCOMPARE(h.edit(IDC_STARTNUMBER)->text(), QStringLiteral("0100"));
    QCOMPARE(h.boxes.shown.size(), std::size_t(errorBox ? 1 : 0));
    if (errorBox) {
        QCOMPARE(h.boxes.shown[0].caption, std::string("Tessaly"));
        QCOMPARE(h.boxes.shown[0].text, SystemErrorText(ENOENT));
        QCOMPARE(h.boxes.shown[0].style, MB_ICONEXCLAMATION);
    }
}

void TestFolderEntry::FolderBox_Should_ListUnlessOnlyTrailingSlashChanges_data() {
    QTest::addColumn<QString>("previous");
    QTest::addColumn<QString>("edit");
    QTest::addColumn<QString>("firstRow"); // "" when nothing is listed: docs' row stays

    // Adding or removing a final "/" names the same folder.
    QTest::newRow("slash typed after a folder") << "@/photos"
                                                << "type:/"
                                                << "";
    QTest::newRow("trailing slash deleted") << "@/photos/"
                                            << "erase:1"
                                            << "";
    QTest::newRow("two characters ending in a slash deleted") << "@/abc/"
                                                              << "erase:2"
                                                              << "";
    QTest::newRow("longer path ending in a slash pasted") << "@/a"
                                                          << "paste:@/photos/"
                                                          << "";
    QTest::newRow("same-length path ending in a slash pasted") << "@/abc"
                                                               << "paste:@/ab/"
                                                               << "";
    QTest::newRow("emptying a box that ends in a slash") << "@/photos/"
                                                         << "clear"
                                                         << "";
    // The rule lets this one list, but an empty folder text lists nothing.
    QTest::newRow("emptying the box") << "@/photos"
                                      << "clear"
                                      << "";

    QTest::newRow("letter typed completes a folder") << "@/ab"
                                                     << "type:c"
                                                     << "abc.txt";
    QTest::newRow("letter deleted completes a folder") << "@/photosx"
                                                       << "erase:1"
                                                       << "notes.txt";
    QTest::newRow("letter typed after a trailing slash") << "@/photos/"
                                                         << "type:x" << kMissingFolderRow;
    QTest::newRow("half-typed folder") << "@/pho"
                                       << "type:t" << kMissingFolderRow;
    QTest::newRow("back to a folder ending in a slash") << "@/abc/x"
                                                        << "erase:1"
                                                        << "abc.txt";
    QTest::newRow("longer path pasted") << "@/docs"
                                        << "paste:@/photos"
                                        << "notes.txt";
    QTest::newRow("Japanese folder name, last character deleted") << "@/写真x"
                                                                  << "erase:1"
                                                                  << "s.jpg";
    QTest::newRow("pattern matches nothing in the typed folder") << "@/empt"
                                                                 << "type:y" << kMissingFileRow;
}

void TestFolderEntry::FolderBox_Should_ListUnlessOnlyTrailingSlashChanges() {
    QFETCH(QString, previous);
    QFETCH(QString, edit);
    QFETCH(QString, firstRow);

    MainWindowHarness h;
    startIn(h, at("@/docs"));
    // The text the box held at the last exchange of the fields, as if typed and listed before.
    h.dlg->m_strFolder = atStd(previous);
    h.dlg->m_strPrefix = "keep_";
    h.dlg->m_strStartNumber = "0100";
    h.dlg->UpdateData(false);
    QSignalSpy resets(h.dlg->m_listFiles.Model(), &QAbstractItemModel::modelReset);

    EditBox(h.edit(IDC_FOLDER), at(edit));

    const QString typed = h.edit(IDC_FOLDER)->text();
    QCOMPARE(QString::fromStdString(h.dlg->m_strFolder), typed);
    QCOMPARE(h.edit(IDC_STARTNUMBER)->text(), QStringLiteral("0100"));
    if (firstRow.isEmpty()) {
        QCOMPARE(resets.count(), 0);
        QCOMPARE(h.names(), std::vector<std::string>{"d1.txt"});
        QCOMPARE(h.edit(IDC_PREFIX)->text(), QStringLiteral("keep_"));
        return;
    }
    QCOMPARE(resets.count(), 1);
    QCOMPARE(QString::fromStdString(h.names().at(0)), firstRow);
    // Every listing from the folder box empties the prefix, also when it shows missing rows.
    QCOMPARE(h.edit(IDC_PREFIX)->text(), QString());
    QCOMPARE(h.dlg->m_strPrefix, std::string());
    const bool missing = firstRow == kMissingFolderRow || firstRow == kMissingFileRow;
    QCOMPARE(h.dlg->m_bListValid, missing ? 0 : 1);
    QCOMPARE(h.dlg->m_listFiles.IsWindowEnabled(), !missing);
    if (missing)
        QCOMPARE(h.dlg->m_listFiles.GetTextColor(), kRed);
    QVERIFY(h.boxes.shown.empty());
}

void TestFolderEntry::FolderBox_Should_ListAsYouType() {
    MainWindowHarness h;
    startIn(h, at("@/docs"));
    EditBox(h.edit(IDC_FOLDER), "clear");
    QSignalSpy resets(h.dlg->m_listFiles.Model(), &QAbstractItemModel::modelReset);

    const QString path = at("@/photos");
    bool sawMissingFolderRows = false;
    int expectedListings = 0;
    for (const QChar c : path) {
        QTest::keyClick(h.edit(IDC_FOLDER), c.toLatin1());
        // Each typed character lists at once, except a "/" typed at the end.
        if (c != '/')
            ++expectedListings;
        QCOMPARE(resets.count(), expectedListings);
        if (h.dlg->m_bListValid == 0 && h.names().at(0) == kMissingFolderRow)
            sawMissingFolderRows = true;
    }
    QVERIFY(sawMissingFolderRows);
    QCOMPARE(h.edit(IDC_FOLDER)->text(), path);
    QCOMPARE(h.names(), (std::vector<std::string>{"notes.txt", "p1.jpg", "p2.jpg"}));
    QCOMPARE(h.dlg->m_bListValid, 1);
    QVERIFY(h.dlg->m_listFiles.IsWindowEnabled());
    QVERIFY(h.boxes.shown.empty());
}

void TestFolderEntry::PatternBox_Should_ListEveryChangeAndKeepPrefix_data() {
    QTest::addColumn<QString>("pattern"); // typed over the whole box; "" deletes it
    QTest::addColumn<QString>("names");

    QTest::newRow("jpg only") << "*.jpg"
                              << "p1.jpg p2.jpg";
    QTest::newRow("txt only") << "*.txt"
                              << "notes.txt";
    QTest::newRow("name prefix") << "p1*"
                                 << "p1.jpg";
    QTest::newRow("no match shows the missing rows") << "*.none" << QString(kMissingFileRow);
    QTest::newRow("emptied box lists everything") << ""
                                                  << "notes.txt p1.jpg p2.jpg";
}

void TestFolderEntry::PatternBox_Should_ListEveryChangeAndKeepPrefix() {
    QFETCH(QString, pattern);
    QFETCH(QString, names);

    MainWindowHarness h;
    startIn(h, at("@/photos"));
    QSignalSpy resets(h.dlg->m_listFiles.Model(), &QAbstractItemModel::modelReset);

    QLineEdit* box = h.edit(IDC_FILTER);
    box->setFocus();
    box->selectAll();
    if (pattern.isEmpty())
        QTest::keyClick(box, Qt::Key_Backspace);
    else
        QTest::keyClicks(box, pattern);

    QCOMPARE(resets.count(), pattern.isEmpty() ? 1 : int(pattern.size()));
    QCOMPARE(h.dlg->m_strFilter, pattern.toStdString());
    QStringList shown;
    for (const std::string& n : h.names())
        shown << QString::fromStdString(n);
    QCOMPARE(shown.first(), names.split(' ').first());
    if (h.dlg->m_bListValid)
        QCOMPARE(shown.join(' '), names);
    QCOMPARE(h.edit(IDC_PREFIX)->text(), QStringLiteral("keep_"));
    QCOMPARE(h.dlg->m_strPrefix, std::string("keep_"));
    QCOMPARE(h.edit(IDC_FOLDER)->text(), at("@/photos"));
    QVERIFY(h.boxes.shown.empty());
}

void TestFolderEntry::Refresh_Should_ListFolderAsTyped_data() {
    QTest::addColumn<QString>("before"); // what happens before the refresh
    QTest::addColumn<QString>("names");  // rows after the refresh
    QTest::addColumn<int>("listings");   // by the refresh alone
    QTest::addColumn<bool>("errorBox");

    QTest::newRow("file added since the listing") << "add"
                                                  << "notes.txt p1.jpg p2.jpg p3.jpg" << 1 << false;
    QTest::newRow("after a pasted folder the slash rule skipped") << "paste:@/documents/"
                                                                  << "d1.txt" << 1 << false;
    QTest::newRow("after a slash typed at the end") << "type:/"
                                                    << "notes.txt p1.jpg p2.jpg" << 1 << false;
    QTest::newRow("folder gone: reported, rows kept") << "remove"
                                                      << "notes.txt p1.jpg p2.jpg" << 0 << true;
    QTest::newRow("box emptied: nothing to list") << "clear"
                                                  << "notes.txt p1.jpg p2.jpg" << 0 << false;
}

void TestFolderEntry::Refresh_Should_ListFolderAsTyped() {
    QFETCH(QString, before);
    QFETCH(QString, names);
    QFETCH(int, listings);
    QFETCH(bool, errorBox);

    // A tree of our own ("@" here): rows are added and folders removed.
    QTemporaryDir own;
    QDir(own.path()).mkdir("photos");
    QDir(own.path()).mkdir("documents");
    const QString folder = own.path() + "/photos";
    for (const char* n : {"p1.jpg", "p2.jpg", "notes.txt"})
        Touch(folder + '/' + n);
    Touch(own.path() + "/documents/d1.txt");
    MainWindowHarness h;
    startIn(h, folder);

    if (before == "add")
        Touch(folder + "/p3.jpg");
    else if (before == "remove")
        QVERIFY(QDir(folder).removeRecursively());
    else
        EditBox(h.edit(IDC_FOLDER), before.replace('@', own.path()));
    QCOMPARE(h.names(), (std::vector<std::string>{"notes.txt", "p1.jpg", "p2.jpg"}));
    QSignalSpy resets(h.dlg->m_listFiles.Model(), &QAbstractItemModel::modelReset);

    h.click(IDC_REFRESH);

    QCOMPARE(resets.count(), listings);
    QStringList shown;
    for (const std::string& n : h.names())
        shown << QString::fromStdString(n);
    QCOMPARE(shown.join(' '), names);
    // The refresh keeps the prefix, also when it lists a different folder.
    QCOMPARE(h.edit(IDC_PREFIX)->text(), QStringLiteral("keep_"));
    QCOMPARE(h.edit(IDC_STARTNUMBER)->text(), QStringLiteral("0100"));
    QCOMPARE(h.boxes.shown.size(), std::size_t(errorBox ? 1 : 0));
    if (errorBox) {
        QCOMPARE(h.boxes.shown[0].caption, std::string("Tessaly"));
        QCOMPARE(h.boxes.shown[0].text, SystemErrorText(ENOENT));
        QCOMPARE(h.boxes.shown[0].style, MB_ICONEXCLAMATION);
        QCOMPARE(h.dlg->m_bListValid, 1);
    }
}

void TestFolderEntry::Refresh_Should_ReadBackTypedFolder_When_BrowsedFolderCouldNotBeListed() {
    MainWindowHarness h;
    startIn(h, at("@/docs"));
    h.chooser.answers.push_back(atStd("@/gone"));
    h.click(IDC_BROWSE);
    QCOMPARE(h.boxes.shown.size(), std::size_t(1));
    QCOMPARE(h.edit(IDC_FOLDER)->text(), at("@/docs"));

    // The box still shows the old folder, and that is what a refresh lists.
    h.click(IDC_REFRESH);
    QCOMPARE(h.boxes.shown.size(), std::size_t(1));
    QCOMPARE(h.dlg->m_strFolder, atStd("@/docs"));
    QCOMPARE(h.names(), std::vector<std::string>{"d1.txt"});
}

void TestFolderEntry::Exit_Should_SaveBoxesAsTheyAreAndEndWindow_data() {
    QTest::addColumn<QString>("folderEdit");
    QTest::addColumn<QString>("startNumber");
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<QString>("savedFolder");

    QTest::newRow("untouched") << ""
                               << ""
                               << ""
                               << "@/photos";
    QTest::newRow("half-typed folder") << "erase:2"
                                       << ""
                                       << ""
                                       << "@/phot";
    QTest::newRow("trailing slash not listed") << "type:/"
                                               << ""
                                               << ""
                                               << "@/photos/";
    QTest::newRow("emptied folder box") << "clear"
                                        << ""
                                        << ""
                                        << "";
    QTest::newRow("start number and pattern typed") << ""
                                                    << "0100"
                                                    << "*.jpg"
                                                    << "@/photos";
}

void TestFolderEntry::Exit_Should_SaveBoxesAsTheyAreAndEndWindow() {
    QFETCH(QString, folderEdit);
    QFETCH(QString, startNumber);
    QFETCH(QString, pattern);
    QFETCH(QString, savedFolder);

    MainWindowHarness h;
    h.writeIni("[Data]\nFolder=" + atStd("@/photos") + "\n");
    h.start();
    h.dlg->show();
    QVERIFY(QTest::qWaitForWindowExposed(h.dlg.get()));
    if (!folderEdit.isEmpty())
        EditBox(h.edit(IDC_FOLDER), folderEdit);
    if (!startNumber.isEmpty())
        h.edit(IDC_STARTNUMBER)->setText(startNumber);
    if (!pattern.isEmpty())
        h.edit(IDC_FILTER)->setText(pattern);
    const std::size_t boxesBefore = h.boxes.shown.size();

    // The exit button ends the window's own run.
    QTimer::singleShot(0, h.dlg.get(), [&h] { h.click(IDC_EXIT); });
    h.dlg->DoModal();

    QVERIFY(h.dlg->IsDestroyed());
    QVERIFY(!h.dlg->isVisible());
    QCOMPARE(h.boxes.shown.size(), boxesBefore); // no confirmation asked
    QCOMPARE(QString::fromStdString(ReadProfileString(h.iniPath(), "Data", "Folder", "?")),
             at(savedFolder));
    QCOMPARE(QString::fromStdString(ReadProfileString(h.iniPath(), "Data", "StartNumber", "?")),
             startNumber.isEmpty() ? QStringLiteral("001") : startNumber);
    QCOMPARE(QString::fromStdString(ReadProfileString(h.iniPath(), "Data", "Kaku", "?")),
             pattern.isEmpty() ? QStringLiteral("*.*") : pattern);
}

QTEST_MAIN(TestFolderEntry)
#include "tst_folderentry.moc"
