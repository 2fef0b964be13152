#include "mainwnd/SeparatorRule.h"
#include "res/Templates.h"
#include "support/MainWindowHarness.h"

#include <QLabel>
#include <QtTest>

using namespace quorvel;
using namespace quorvel::test;

class TestNumberingDlg : public QObject {
    Q_OBJECT

private slots:
    void template_Should_PlaceEveryControl_data();
    void template_Should_PlaceEveryControl();
    void writingFields_Should_KeepUnchangedBoxes_And_NeverRunChangeHandlers();
    void folderTyping_Should_ListOrNot_data();
    void folderTyping_Should_ListOrNot();
    void closing_Should_SaveOnce_data();
    void closing_Should_SaveOnce();
};

void TestNumberingDlg::template_Should_PlaceEveryControl_data() {
    QTest::addColumn<int>("index");
    QCOMPARE(MainDialogTemplate().controls.size(), 18u);
    for (const ControlTemplate& ct : MainDialogTemplate().controls)
        QTest::addRow("%d %s", ct.id, ct.text) << int(&ct - MainDialogTemplate().controls.data());
}

void TestNumberingDlg::template_Should_PlaceEveryControl() {
    QFETCH(int, index);
    MainWindowHarness h;
    h.start();
    const ControlTemplate& ct = MainDialogTemplate().controls[std::size_t(index)];
    QWidget* w = h.dlg->GetDlgItem(ct.id);
    for (QLabel* label : h.dlg->findChildren<QLabel*>())
        if (ct.id == IDC_STATIC && label->text() == QString::fromUtf8(ct.text))
            w = label;
    QVERIFY(w);
    QCOMPARE(w->geometry(), h.dlg->Units().toPixels(ct.x, ct.y, ct.cx, ct.cy));
    if (auto* button = qobject_cast<QAbstractButton*>(w))
        QCOMPARE(button->text(), QString::fromUtf8(ct.text));
}

void TestNumberingDlg::writingFields_Should_KeepUnchangedBoxes_And_NeverRunChangeHandlers() {
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

void TestNumberingDlg::folderTyping_Should_ListOrNot_data() {
    QTest::addColumn<QByteArray>("previous");
    QTest::addColumn<QByteArray>("now");
    QTest::addColumn<bool>("lists");
    QTest::newRow("root slash deleted") << QByteArray("/") << QByteArray("") << false;
    QTest::newRow("shortening that removes a final slash")
        << QByteArray("/abc/") << QByteArray("/ab") << false;
    QTest::newRow("same-length paste ending in a slash")
        << QByteArray("/ab") << QByteArray("/c/") << false;
    QTest::newRow("deleting back to a slash") << QByteArray("/a/b") << QByteArray("/a/") << true;
    QTest::newRow("both end in a slash") << QByteArray("/abc/") << QByteArray("/a/") << true;
}

void TestNumberingDlg::folderTyping_Should_ListOrNot() {
    QFETCH(QByteArray, previous);
    QFETCH(QByteArray, now);
    QFETCH(bool, lists);
    QCOMPARE(FolderChangeShouldList(previous.toStdString(), now.toStdString()), lists);
}

void TestNumberingDlg::closing_Should_SaveOnce_data() {
    QTest::addColumn<int>("way");
    QTest::newRow("Esc") << 0;
    QTest::newRow("close box") << 1;
    QTest::newRow("exit button") << 2;
    QTest::newRow("system menu Close") << 3;
}

void TestNumberingDlg::closing_Should_SaveOnce() {
    QFETCH(int, way);
    MainWindowHarness h;
    // The saved folder's trailing separators are cut to one at the start; it is saved as shown.
    h.writeIni("; mine\n[Application]\nVersion=7\n[Config]\nSmallCheck=5\n[Data]\nFolder=" +
               h.workDir() + "//\n");
    h.start();
    QCOMPARE(h.edit(IDC_FOLDER)->text().toStdString(), h.workDir() + "/");
    h.edit(IDC_STARTNUMBER)->setText("0100");
    h.edit(IDC_FILTER)->setText("*.jpg");
    const std::function<void()> ways[] = {[&] { QTest::keyClick(h.dlg.get(), Qt::Key_Escape); },
                                          [&] { h.dlg->close(); }, [&] { h.click(IDC_EXIT); },
                                          [&] { h.dlg->SendSysCommand(SC_CLOSE); }};
    ways[way]();
    QVERIFY(h.dlg->IsDestroyed());
    QCOMPARE(h.readIni(),
             "; mine\n[Application]\nVersion=21\n[Config]\nSmallCheck=5\n[Data]\nFolder=" +
                 h.workDir() + "/\nStartNumber=0100\nKaku=*.jpg\n");
    // Whatever arrives after the window is gone saves nothing more.
    h.writeIni("untouched");
    for (const auto& again : ways)
        again();
    QCOMPARE(h.readIni(), std::string("untouched"));
}

QTEST_MAIN(TestNumberingDlg)
#include "tst_numberingdlg.moc"
