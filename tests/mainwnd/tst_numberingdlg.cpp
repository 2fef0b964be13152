#include "res/Templates.h"
#include "settings/ProfileFile.h"
#include "support/MainWindowHarness.h"

#include <QLabel>
#include <QPushButton>
#include <QtTest>

#include <sys/stat.h>

using namespace quorvel;
using namespace quorvel::test;

class TestNumberingDlg : public QObject {
    Q_OBJECT

private slots:
    void Startup_Should_ShowDefaults_When_NoSettingsFile();
    void Startup_Should_ProbeSavedFolder_data();
    void Startup_Should_ProbeSavedFolder();
    void Template_Should_PlaceEveryControl_data();
    void Template_Should_PlaceEveryControl();
    void TabOrder_Should_FollowTemplate();
    void Window_Should_BeFixedSizeWithStartAsDefault();
    void WritingFields_Should_KeepCaretAndSelection_When_TextUnchanged();
    void WritingFields_Should_NeverRunChangeHandlers();
    void Closing_Should_SaveOnce_data();
    void Closing_Should_SaveOnce();
    void Closing_Should_SaveTypedTexts_When_NotListed();
};

void TestNumberingDlg::Startup_Should_ShowDefaults_When_NoSettingsFile() {
    MainWindowHarness h;
    h.start();
    QCOMPARE(h.edit(IDC_FOLDER)->text().toStdString(), h.workDir());
    QCOMPARE(h.edit(IDC_STARTNUMBER)->text(), QStringLiteral("001"));
    QCOMPARE(h.edit(IDC_FILTER)->text(), QStringLiteral("*.*"));
    QCOMPARE(h.edit(IDC_PREFIX)->text(), QString());
    QCOMPARE(h.dlg->m_bLowerExt, 1);
    QCOMPARE(h.dlg->windowTitle(), QStringLiteral("Quorvel"));
    QVERIFY(h.boxes.shown.empty());
}

void TestNumberingDlg::Startup_Should_ProbeSavedFolder_data() {
    QTest::addColumn<QString>("saved"); // "@" stands for a fresh temporary folder
    QTest::addColumn<QString>("shown"); // "~" stands for the working directory
    QTest::newRow("trailing separator removed once") << "@/photos//"
                                                     << "@/photos/";
    QTest::newRow("plain folder kept") << "@/photos"
                                       << "@/photos";
    QTest::newRow("vanished folder replaced") << "@/gone"
                                              << "~";
    QTest::newRow("vanished parent replaced") << "@/gone/deeper/"
                                              << "~";
    QTest::newRow("a file is no folder") << "@/file.txt"
                                         << "~";
    QTest::newRow("root keeps its separator") << "/"
                                              << "/";
    QTest::newRow("empty stays empty") << ""
                                       << "";
}

void TestNumberingDlg::Startup_Should_ProbeSavedFolder() {
    QFETCH(QString, saved);
    QFETCH(QString, shown);
    QTemporaryDir tmp;
    QDir(tmp.path()).mkdir(QStringLiteral("photos"));
    QFile(tmp.path() + "/file.txt").open(QIODevice::WriteOnly);
    MainWindowHarness h;
    saved.replace('@', tmp.path());
    shown.replace('@', tmp.path()).replace('~', QString::fromStdString(h.workDir()));
    h.writeIni("[Data]\nFolder=" + saved.toStdString() + "\n");
    h.start();
    QCOMPARE(h.edit(IDC_FOLDER)->text(), shown);
    QCOMPARE(QString::fromStdString(h.dlg->m_strFolder), shown);
}

void TestNumberingDlg::Template_Should_PlaceEveryControl_data() {
    QTest::addColumn<int>("index");
    const DialogTemplate& t = MainDialogTemplate();
    QCOMPARE(int(t.controls.size()), 18);
    for (int i = 0; i < int(t.controls.size()); ++i)
        QTest::newRow(t.controls[std::size_t(i)].text) << i;
}

void TestNumberingDlg::Template_Should_PlaceEveryControl() {
    QFETCH(int, index);
    MainWindowHarness h;
    h.start();
    const ControlTemplate& ct = MainDialogTemplate().controls[std::size_t(index)];
    const QRect expected = h.dlg->Units().toPixels(ct.x, ct.y, ct.cx, ct.cy);
    QWidget* w = h.dlg->GetDlgItem(ct.id);
    if (ct.id == IDC_STATIC) {
        for (QLabel* label : h.dlg->findChildren<QLabel*>())
            if (label->text() == QString::fromUtf8(ct.text))
                w = label;
    }
    QVERIFY(w);
    QCOMPARE(w->geometry(), expected);
    if (auto* button = qobject_cast<QAbstractButton*>(w))
        QCOMPARE(button->text(), QString::fromUtf8(ct.text));
}

void TestNumberingDlg::TabOrder_Should_FollowTemplate() {
    MainWindowHarness h;
    h.start();
    const int expected[] = {IDC_FOLDER, IDC_BROWSE,    IDC_FILELIST,    IDC_PREFIX, IDC_STARTNUMBER,
                            IDC_FILTER, IDC_SELECTALL, IDC_DESELECTALL, IDC_UP,     IDC_DOWN,
                            IDC_START,  IDC_SETTINGS,  IDC_EXIT,        IDC_REFRESH};
    QWidget* w = h.dlg->GetDlgItem(IDC_FOLDER);
    for (int id : expected) {
        QCOMPARE(w, h.dlg->GetDlgItem(id));
        do
            w = w->nextInFocusChain();
        while (w->focusPolicy() != Qt::StrongFocus || w->parentWidget() != h.dlg.get());
    }
    QCOMPARE(w, h.dlg->GetDlgItem(IDC_FOLDER));
}

void TestNumberingDlg::Window_Should_BeFixedSizeWithStartAsDefault() {
    MainWindowHarness h;
    h.start();
    const DialogUnits& u = h.dlg->Units();
    QCOMPARE(h.dlg->size(), QSize(u.toPixelsX(239), u.toPixelsY(229)));
    QCOMPARE(h.dlg->minimumSize(), h.dlg->maximumSize());
    QVERIFY(h.dlg->windowFlags() & Qt::WindowMinimizeButtonHint);
    QVERIFY(!(h.dlg->windowFlags() & Qt::WindowMaximizeButtonHint));
    QVERIFY(qobject_cast<QPushButton*>(h.button(IDC_START))->isDefault());
    QVERIFY(!qobject_cast<QPushButton*>(h.button(IDC_EXIT))->isDefault());
}

void TestNumberingDlg::WritingFields_Should_KeepCaretAndSelection_When_TextUnchanged() {
    MainWindowHarness h;
    h.start();
    QLineEdit* folder = h.edit(IDC_FOLDER);
    folder->setSelection(2, 3);
    QLineEdit* prefix = h.edit(IDC_PREFIX);
    prefix->setText(QStringLiteral("trip_"));
    h.dlg->m_strPrefix = "tour_";
    h.dlg->UpdateData(false);
    QCOMPARE(folder->selectionStart(), 2);
    QCOMPARE(folder->selectedText().size(), 3);
    QCOMPARE(prefix->text(), QStringLiteral("tour_"));
}

void TestNumberingDlg::WritingFields_Should_NeverRunChangeHandlers() {
    QTemporaryDir tmp;
    QFile(tmp.path() + "/a.txt").open(QIODevice::WriteOnly);
    MainWindowHarness h;
    h.writeIni("[Data]\nFolder=" + tmp.path().toStdString() + "\n");
    h.start();
    QCOMPARE(h.names(), std::vector<std::string>{"a.txt"});
    // A folder or pattern that would show the missing rows if a change handler ran.
    h.dlg->m_strFolder = tmp.path().toStdString() + "/nowhere";
    h.dlg->m_strFilter = "*.none";
    h.dlg->UpdateData(false);
    QCOMPARE(h.edit(IDC_FOLDER)->text().toStdString(), h.dlg->m_strFolder);
    QCOMPARE(h.names(), std::vector<std::string>{"a.txt"});
    QCOMPARE(h.dlg->m_bListValid, 1);
}

void TestNumberingDlg::Closing_Should_SaveOnce_data() {
    QTest::addColumn<QString>("way");
    QTest::newRow("Esc") << "esc";
    QTest::newRow("close box") << "close";
    QTest::newRow("exit button") << "exit";
    QTest::newRow("system menu Close") << "sysclose";
}

void TestNumberingDlg::Closing_Should_SaveOnce() {
    QFETCH(QString, way);
    MainWindowHarness h;
    h.writeIni("; mine\n[Application]\nVersion=7\n[Config]\nSmallCheck=5\n");
    h.start();
    h.edit(IDC_STARTNUMBER)->setText(QStringLiteral("0100"));
    const auto close = [&] {
        if (way == "esc")
            QTest::keyClick(h.dlg.get(), Qt::Key_Escape);
        else if (way == "close")
            h.dlg->close();
        else if (way == "exit")
            h.click(IDC_EXIT);
        else
            h.dlg->SendSysCommand(SC_CLOSE);
    };
    close();
    QVERIFY(h.dlg->IsDestroyed());
    const std::string saved = h.readIni();
    QVERIFY(saved.rfind("; mine\n", 0) == 0);
    QCOMPARE(ReadProfileInt(h.iniPath(), "Application", "Version", 0), 21);
    QCOMPARE(ReadProfileString(h.iniPath(), "Data", "Folder", "?"), h.workDir());
    QCOMPARE(ReadProfileString(h.iniPath(), "Data", "StartNumber", "?"), std::string("0100"));
    QCOMPARE(ReadProfileString(h.iniPath(), "Data", "Kaku", "?"), std::string("*.*"));
    QCOMPARE(ReadProfileInt(h.iniPath(), "Config", "SmallCheck", 0), 5);
    QCOMPARE(std::count(saved.begin(), saved.end(), '='), 5);

    // Whatever arrives after the window is gone saves nothing more.
    h.writeIni("untouched");
    close();
    h.click(IDC_EXIT);
    h.dlg->SendSysCommand(SC_CLOSE);
    QCOMPARE(h.readIni(), std::string("untouched"));
}

void TestNumberingDlg::Closing_Should_SaveTypedTexts_When_NotListed() {
    MainWindowHarness h;
    h.start();
    // A trailing separator typed into the folder box lists nothing but is saved as typed.
    h.edit(IDC_FOLDER)->setText(QString::fromStdString(h.workDir() + "/"));
    h.edit(IDC_FILTER)->setText(QStringLiteral("*.jpg"));
    h.click(IDC_EXIT);
    QCOMPARE(ReadProfileString(h.iniPath(), "Data", "Folder", "?"), h.workDir() + "/");
    QCOMPARE(ReadProfileString(h.iniPath(), "Data", "Kaku", "?"), std::string("*.jpg"));
}

QTEST_MAIN(TestNumberingDlg)
#include "tst_numberingdlg.moc"
