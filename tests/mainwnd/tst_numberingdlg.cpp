#include "mainwnd/SeparatorRule.h"
#include "platform/listctrl/FileListView.h"
#include "text/SystemErrorText.h"
#include "support/MainWindowHarness.h"

#include <QAction>
#include <QHeaderView>
#include <QtTest>

#include <cerrno>
#include <filesystem>
#include <sys/inotify.h>

using namespace quorvel;
using namespace quorvel::test;
namespace fs = std::filesystem;

namespace {

// Counts how often a file of a folder is written: closed after writing, or renamed into place.
class WriteCounter {
public:
    WriteCounter(const std::string& folder, std::string name)
        : m_fd(inotify_init1(IN_NONBLOCK | IN_CLOEXEC)), m_name(std::move(name)) {
        inotify_add_watch(m_fd, folder.c_str(), IN_CLOSE_WRITE | IN_MOVED_TO);
    }
    ~WriteCounter() { close(m_fd); }
    int count() {
        alignas(inotify_event) char buffer[4096];
        for (ssize_t n; (n = read(m_fd, buffer, sizeof buffer)) > 0;)
            for (char* p = buffer; p < buffer + n;) {
                const auto* event = reinterpret_cast<const inotify_event*>(p);
                m_count += event->len > 0 && m_name == event->name;
                p += sizeof(inotify_event) + event->len;
            }
        return m_count;
    }

private:
    int m_fd;
    std::string m_name;
    int m_count = 0;
};

// The colours of a grabbed part of the list, as "#rrggbb" names.
QSet<QString> Colours(const QImage& image) {
    QSet<QString> colours;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            colours << image.pixelColor(x, y).name();
    return colours;
}

// The window on its working directory, which holds a.txt, shown and active.
bool StartOnOneFile(MainWindowHarness& h) {
    std::ofstream(h.workDir() + "/a.txt");
    h.writeIni("[Data]\nFolder=" + h.workDir() + "\n");
    h.start();
    return h.show();
}

enum class Closing { Esc, CloseBox, ExitButton, SystemMenuClose };
enum class Target { FolderEdit, PrefixEdit, List, Button };

} // namespace

class TestNumberingDlg : public QObject {
    Q_OBJECT

private slots:
    void writingFields_Should_KeepUnchangedBoxes_And_NeverRunChangeHandlers() {
        MainWindowHarness h;
        std::ofstream(h.workDir() + "/a.txt");
        h.writeIni("[Data]\nFolder=" + h.workDir() + "\nKaku=*.txt\n");
        h.start();
        QLineEdit* start = h.edit(IDC_STARTNUMBER);
        start->setSelection(1, 2);
        // A folder and a pattern that would show the missing rows if a change handler ran.
        h.dlg->m_strFolder = h.workDir() + "/nowhere";
        h.dlg->m_strFilter = "*.none";
        h.dlg->UpdateData(false);
        QCOMPARE(start->selectedText(), QString("01"));
        QCOMPARE(h.edit(IDC_FILTER)->text(), QString("*.none"));
        QCOMPARE(h.names(), std::vector<std::string>{"a.txt"});
    }

    void folderTyping_Should_ListOrNot_data() {
        QTest::addColumn<QByteArray>("previous");
        QTest::addColumn<QByteArray>("now");
        QTest::addColumn<bool>("lists");
        const auto row = [](const char* what, const char* previous, const char* now, bool lists) {
            QTest::newRow(what) << QByteArray(previous) << QByteArray(now) << lists;
        };
        row("separator typed", "/photos", "/photos/", false);
        row("root slash deleted", "/", "", false);
        row("shortening that removes a final slash", "/abc/", "/ab", false);
        row("same-length paste ending in a slash", "/ab", "/c/", false);
        row("letter typed", "/a", "/ab", true);
        row("deleting back to a slash", "/a/b", "/a/", true);
        row("both end in a slash", "/abc/", "/a/", true);
    }
    void folderTyping_Should_ListOrNot() {
        QFETCH(QByteArray, previous);
        QFETCH(QByteArray, now);
        QFETCH(bool, lists);
        QCOMPARE(FolderChangeShouldList(previous.toStdString(), now.toStdString()), lists);
    }

    void startUp_Should_ProbeTheSavedFolder_data() {
        QTest::addColumn<bool>("saved"); // whether Qorv.ini holds a folder at all
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QString>("shown"); // in the folder box; "@" is the working directory
        QTest::addColumn<int>("error");     // of the system's text in a box; 0 none
        const QString tooLong = "@/" + QString(300, 'x');
        const auto row = [](const char* what, bool saved, QString folder, QString shown,
                            int error = 0) {
            QTest::newRow(what) << saved << folder << shown << error;
        };
        row("one trailing separator goes", true, "@/photos/", "@/photos");
        row("only one goes", true, "@/photos//", "@/photos/");
        row("the root keeps its separator", true, "/", "/");
        row("a vanished folder: the working directory", true, "@/gone", "@");
        row("none saved: the working directory", false, "", "@");
        row("a name the system refuses: kept and reported", true, tooLong, tooLong, ENAMETOOLONG);
    }
    void startUp_Should_ProbeTheSavedFolder() {
        QFETCH(bool, saved);
        QFETCH(QString, folder);
        QFETCH(QString, shown);
        QFETCH(int, error);
        MainWindowHarness h;
        const QString work = QString::fromStdString(h.workDir());
        QVERIFY(QDir(work).mkdir("photos"));
        h.writeIni(saved ? "[Data]\nFolder=" + QString(folder).replace('@', work).toStdString()
                         : std::string());
        h.start();
        QCOMPARE(h.edit(IDC_FOLDER)->text(), shown.replace('@', work));
        QCOMPARE(h.boxes.shown.size(), std::size_t(error ? 1 : 0));
        if (error)
            QCOMPARE(h.boxes.shown[0].text, SystemErrorText(error));
        QCOMPARE(h.edit(IDC_STARTNUMBER)->text(), QStringLiteral("001"));
        QCOMPARE(h.edit(IDC_FILTER)->text(), QStringLiteral("*.*"));
        QCOMPARE(h.dlg->focusWidget(), h.dlg->GetDlgItem(IDC_FOLDER));
    }

    void closing_Should_SaveExactlyOnce_data() {
        QTest::addColumn<Closing>("way");
        QTest::newRow("Esc") << Closing::Esc;
        QTest::newRow("close box") << Closing::CloseBox;
        QTest::newRow("exit button") << Closing::ExitButton;
        QTest::newRow("system menu Close") << Closing::SystemMenuClose;
    }
    void closing_Should_SaveExactlyOnce() {
        QFETCH(Closing, way);
        MainWindowHarness h;
        h.writeIni("; mine\n[Application]\nVersion=7\n[Config]\nSmallCheck=5\n[Data]\nFolder=" +
                   h.workDir() + "\n");
        WriteCounter writes(h.workDir(), "Qorv.ini");
        h.start();
        h.edit(IDC_STARTNUMBER)->setText("0100");
        h.edit(IDC_FILTER)->setText("*.jpg");
        const auto close = [&](Closing w) {
            switch (w) {
            case Closing::Esc:
                return QTest::keyClick(h.dlg.get(), Qt::Key_Escape);
            case Closing::CloseBox:
                return void(h.dlg->close());
            case Closing::ExitButton:
                return h.click(IDC_EXIT);
            case Closing::SystemMenuClose:
                return h.dlg->SendSysCommand(SC_CLOSE);
            }
        };
        close(way);
        QVERIFY(h.dlg->IsDestroyed());
        QCOMPARE(h.readIni(),
                 "; mine\n[Application]\nVersion=21\n[Config]\nSmallCheck=5\n[Data]\nFolder=" +
                     h.workDir() + "\nStartNumber=0100\nKaku=*.jpg\n");
        QCOMPARE(writes.count(), 1);
        // Whatever arrives after the window is gone saves nothing more.
        for (Closing again :
             {Closing::Esc, Closing::CloseBox, Closing::ExitButton, Closing::SystemMenuClose})
            close(again);
        QCOMPARE(writes.count(), 1);
    }

    void columns_Should_ShowTheirHeadings_And_EveryTimeWhole() {
        MainWindowHarness h;
        QVERIFY(StartOnOneFile(h));
        FileListView* view = h.dlg->m_listFiles.View();
        const QAbstractItemModel* model = view->model();
        QHeaderView* header = view->horizontalHeader();
        QCOMPARE(header->count() - header->hiddenSectionCount(), 2); // until a user asks for more
        QCOMPARE(model->headerData(0, Qt::Horizontal).toString(), QStringLiteral("ファイル名"));
        QCOMPARE(model->headerData(1, Qt::Horizontal).toString(), QStringLiteral("更新日時"));
        QCOMPARE(header->sectionSize(0), 150);
        // In IPAPGothic a time is 113 pixels wide (every digit alike), and a cell has 3 pixels
        // of margin on either side: 119 is the narrowest column that draws it whole.
        QCOMPARE(header->sectionSize(1), 119);
        h.dlg->m_listFiles.SetItemText(0, 1, "2088/08/08  08:08");
        const auto grabTime = [&](int columnWidth, int grabWidth) {
            header->resizeSection(1, columnWidth);
            return view->viewport()->grab(QRect(header->sectionViewportPosition(1),
                                                view->rowViewportPosition(0), grabWidth,
                                                view->rowHeight(0)));
        };
        const QImage whole = grabTime(200, 119).toImage();
        QCOMPARE(grabTime(119, 119).toImage(), whole);
        QVERIFY(grabTime(118, 118).toImage() !=
                whole.copy(0, 0, 118 * whole.devicePixelRatio(), whole.height()));
    }

    void rows_Should_StayBlackOrRedOnWhite_UnderADarkPalette() {
        const QPalette original = QApplication::palette();
        QPalette dark;
        for (auto role :
             {QPalette::Window, QPalette::Base, QPalette::AlternateBase, QPalette::Button})
            dark.setColor(role, QColor(32, 32, 32));
        for (auto role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
            dark.setColor(role, QColor(224, 224, 224));
        QApplication::setPalette(dark);
        MainWindowHarness h;
        QVERIFY(StartOnOneFile(h));
        FileListView* view = h.dlg->m_listFiles.View();
        QFont crisp = view->font(); // every drawn pixel then has the text colour itself
        crisp.setStyleStrategy(QFont::NoAntialias);
        view->setFont(crisp);
        const auto rowPixels = [&] {
            return Colours(view->viewport()
                               ->grab(QRect(0, 0, view->viewport()->width(),
                                            view->rowViewportPosition(1) + view->rowHeight(1)))
                               .toImage());
        };
        QCOMPARE(rowPixels(), QSet<QString>({"#ffffff", "#000000"}));
        h.edit(IDC_FOLDER)->setText(QString::fromStdString(h.workDir() + "/gone"));
        QCOMPARE(h.names().size(), std::size_t(2));
        QCOMPARE(rowPixels(), QSet<QString>({"#ffffff", "#e60000"}));
        QApplication::setPalette(original);
    }

    void ctrlZ_Should_UndoTheBoxsTyping_OrElseTheBatch_data() {
        QTest::addColumn<Target>("target");
        QTest::addColumn<int>("box"); // the edit whose typing goes; 0: the batch goes
        QTest::newRow("folder box") << Target::FolderEdit << IDC_FOLDER;
        QTest::newRow("prefix box, where Enter started the batch")
            << Target::PrefixEdit << IDC_PREFIX;
        QTest::newRow("list") << Target::List << 0;
        QTest::newRow("a button") << Target::Button << 0;
    }
    void ctrlZ_Should_UndoTheBoxsTyping_OrElseTheBatch() {
        QFETCH(Target, target);
        QFETCH(int, box);
        MainWindowHarness h;
        const std::string folder = h.workDir() + "/photos";
        fs::create_directory(folder);
        std::ofstream(folder + "/a.jpg");
        h.writeIni("[Data]\nFolder=" + folder + "\n");
        h.start();
        QVERIFY(h.show());
        // Ctrl+Z takes a box back to what it showed before the user typed in it.
        const QString before = box ? h.edit(box)->text() : QString();
        h.dlg->m_listFiles.SetItemState(0, LVIS_SELECTED, LVIS_SELECTED);
        QTest::keyClicks(h.edit(IDC_PREFIX), "x_");
        QTest::keyClick(h.edit(IDC_PREFIX), Qt::Key_Return);
        QVERIFY(fs::exists(folder + "/x_001.jpg"));
        QVERIFY(h.dlg->UndoAction()->isEnabled());
        h.boxes.shown.clear();

        if (box) {
            h.edit(box)->setFocus();
            h.edit(box)->end(false);
            QTest::keyClicks(h.edit(box), "9");
        } else if (target == Target::List) {
            h.dlg->m_listFiles.SetFocus();
        } else {
            h.dlg->GetDlgItem(IDC_SELECTALL)->setFocus();
        }
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Z, Qt::ControlModifier);

        if (box) {
            QCOMPARE(h.edit(box)->text(), before);
            QCOMPARE(h.boxes.shown.size(), std::size_t(0));
            QVERIFY(fs::exists(folder + "/x_001.jpg"));
            QVERIFY(h.dlg->UndoAction()->isEnabled());
        } else {
            QCOMPARE(h.boxes.shown.size(), std::size_t(1));
            QCOMPARE(h.boxes.shown[0].text,
                     std::string("直前の変換を元に戻します。よろしいですか？"));
            QCOMPARE(h.boxes.shown[0].caption, std::string("確認"));
            QCOMPARE(h.boxes.shown[0].style, 0x41u);
            QVERIFY(fs::exists(folder + "/a.jpg"));
            QVERIFY(!h.dlg->UndoAction()->isEnabled());
        }
    }
};

QTEST_MAIN(TestNumberingDlg)
#include "tst_numberingdlg.moc"
