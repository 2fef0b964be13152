#include "mainwnd/SeparatorRule.h"
#include "platform/listctrl/FileListView.h"
#include "support/MainWindowHarness.h"

#include <QHeaderView>
#include <QtTest>

#include <filesystem>
#include <sys/inotify.h>

using namespace quorvel;
using namespace quorvel::test;
namespace fs = std::filesystem;

enum class Closing { Esc, ExitButton, CloseBox, SystemMenu };

class TestNumberingDlg : public QObject {
    Q_OBJECT

private slots:
    void folderTyping_Should_ListOrNot_data() {
        QTest::addColumn<QByteArray>("previous");
        QTest::addColumn<QByteArray>("now");
        QTest::addColumn<bool>("lists");
        QTest::newRow("separator typed") << QByteArray("/a") << QByteArray("/a/") << false;
        QTest::newRow("same-length paste ending in a slash")
            << QByteArray("/ab") << QByteArray("/c/") << false;
        QTest::newRow("deleting back to a slash")
            << QByteArray("/a/b") << QByteArray("/a/") << true;
    }
    void folderTyping_Should_ListOrNot() {
        QFETCH(QByteArray, previous);
        QFETCH(QByteArray, now);
        QFETCH(bool, lists);
        QCOMPARE(FolderChangeShouldList(previous.toStdString(), now.toStdString()), lists);
    }

    void startUp_Should_FallBackToTheWorkingDirectory_And_ShowTheTimeWhole() {
        MainWindowHarness h;
        h.writeIni("[Data]\nFolder=" + h.workDir() + "/gone\n");
        h.start();
        QCOMPARE(h.edit(IDC_FOLDER)->text().toStdString(), h.workDir());
        QCOMPARE(h.edit(IDC_STARTNUMBER)->text(), QStringLiteral("001"));
        const QHeaderView* header = h.dlg->m_listFiles.View()->horizontalHeader();
        QCOMPARE(header->model()->headerData(1, Qt::Horizontal).toString(),
                 QStringLiteral("更新日時"));
        QCOMPARE(header->sectionSize(0), 150);
        // In IPAPGothic a time is 113 pixels wide, and a cell has 3 pixels of margin either side.
        QCOMPARE(header->sectionSize(1), 119);
    }

    void closing_Should_SaveExactlyOnce_data() {
        QTest::addColumn<Closing>("way");
        QTest::newRow("Esc") << Closing::Esc;
        QTest::newRow("exit button") << Closing::ExitButton;
        QTest::newRow("close box") << Closing::CloseBox;
        QTest::newRow("system menu Close") << Closing::SystemMenu;
    }
    void closing_Should_SaveExactlyOnce() {
        QFETCH(Closing, way);
        MainWindowHarness h;
        h.start();
        h.edit(IDC_STARTNUMBER)->setText("0100");
        const int watch = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
        inotify_add_watch(watch, h.workDir().c_str(), IN_CLOSE_WRITE | IN_MOVED_TO);
        if (way == Closing::Esc)
            QTest::keyClick(h.dlg.get(), Qt::Key_Escape);
        else if (way == Closing::ExitButton)
            h.click(IDC_EXIT);
        else if (way == Closing::CloseBox)
            h.dlg->close();
        else
            h.dlg->SendSysCommand(SC_CLOSE);
        QVERIFY(h.dlg->IsDestroyed());
        QVERIFY(h.readIni().find("StartNumber=0100\n") != std::string::npos);
        int writes = 0;
        alignas(inotify_event) char buffer[4096];
        for (ssize_t n; (n = read(watch, buffer, sizeof buffer)) > 0;)
            for (char* p = buffer; p < buffer + n;
                 p += sizeof(inotify_event) + ((inotify_event*)p)->len)
                writes += std::string_view(((inotify_event*)p)->name) == "Qorv.ini";
        close(watch);
        QCOMPARE(writes, 1);
    }

    void rows_Should_StayBlackOrRedOnWhite_UnderADarkPalette() {
        const QPalette original = QApplication::palette();
        QPalette dark(QColor(32, 32, 32), QColor(32, 32, 32));
        for (auto role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
            dark.setColor(role, QColor(224, 224, 224));
        QApplication::setPalette(dark);
        MainWindowHarness h;
        std::ofstream(h.workDir() + "/a.txt");
        h.start();
        QVERIFY(h.show());
        FileListView* view = h.dlg->m_listFiles.View();
        QFont crisp = view->font(); // every drawn pixel then has the text colour itself
        crisp.setStyleStrategy(QFont::NoAntialias);
        view->setFont(crisp);
        const auto colours = [&] {
            const QImage image =
                view->viewport()
                    ->grab(QRect(0, 0, view->viewport()->width(), 2 * view->rowHeight(0)))
                    .toImage();
            QSet<QString> names;
            for (int y = 0; y < image.height(); ++y)
                for (int x = 0; x < image.width(); ++x)
                    names << image.pixelColor(x, y).name();
            return names;
        };
        QCOMPARE(colours(), QSet<QString>({"#ffffff", "#000000"}));
        h.edit(IDC_FOLDER)->setText(QString::fromStdString(h.workDir() + "/gone"));
        QCOMPARE(colours(), QSet<QString>({"#ffffff", "#e60000"}));
        QApplication::setPalette(original);
    }

    void ctrlZ_Should_UndoTheBoxsTyping_OrElseTheBatch_data() {
        QTest::addColumn<int>("box"); // the edit typed in before Ctrl+Z; 0: the list has the focus
        QTest::newRow("folder box") << int(IDC_FOLDER);
        QTest::newRow("list") << 0;
    }
    void ctrlZ_Should_UndoTheBoxsTyping_OrElseTheBatch() {
        QFETCH(int, box);
        MainWindowHarness h;
        const std::string folder = h.workDir() + "/photos";
        fs::create_directory(folder);
        std::ofstream(folder + "/a.jpg");
        h.writeIni("[Data]\nFolder=" + folder + "\n");
        h.start();
        QVERIFY(h.show());
        h.dlg->m_listFiles.SetItemState(0, LVIS_SELECTED, LVIS_SELECTED);
        h.edit(IDC_PREFIX)->setText("x_");
        h.click(IDC_START);
        QVERIFY(fs::exists(folder + "/x_001.jpg"));
        const std::size_t boxes = h.boxes.shown.size();
        if (box) {
            h.edit(box)->setFocus();
            QTest::keyClicks(h.edit(box), "9");
        } else {
            h.dlg->m_listFiles.SetFocus();
        }
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(h.edit(IDC_FOLDER)->text().toStdString(), folder);
        QCOMPARE(fs::exists(folder + "/a.jpg"), !box);
        QCOMPARE(h.boxes.shown.size(), boxes + !box);
        if (!box)
            QCOMPARE(h.boxes.shown.back().caption, std::string("確認"));
    }
};

QTEST_MAIN(TestNumberingDlg)
#include "tst_numberingdlg.moc"
