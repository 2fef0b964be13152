#include "dialogs/SettingsDlg.h"
#include "res/Templates.h"
#include "settings/ProfileFile.h"
#include "support/MainWindowHarness.h"
#include "support/ModalSteps.h"

#include <QCheckBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QtTest>

using namespace quorvel;
using namespace quorvel::test;

namespace {

// What a person does in the open dialog, one step a word: "ok", "cancel" and "box" click that
// control; "close" uses the close box; "tab", "space", "enter" and "esc" press that key on
// whatever has the focus.
void Perform(QWidget* dialog, const QString& steps) {
    auto* dlg = qobject_cast<CDialog*>(dialog);
    QVERIFY(dlg);
    for (const QString& step : steps.split(' ')) {
        if (step == "ok")
            QTest::mouseClick(dlg->GetDlgItem(IDOK), Qt::LeftButton);
        else if (step == "cancel")
            QTest::mouseClick(dlg->GetDlgItem(IDCANCEL), Qt::LeftButton);
        else if (step == "box") // on the square, where a click always toggles
            QTest::mouseClick(dlg->GetDlgItem(IDC_LOWERCASE_EXT), Qt::LeftButton, {},
                              QPoint(6, dlg->GetDlgItem(IDC_LOWERCASE_EXT)->height() / 2));
        else if (step == "close")
            dlg->close();
        else if (step == "tab")
            PressKey(dlg, Qt::Key_Tab);
        else if (step == "space")
            PressKey(dlg, Qt::Key_Space);
        else if (step == "enter")
            PressKey(dlg, Qt::Key_Return);
        else if (step == "esc")
            PressKey(dlg, Qt::Key_Escape);
        else
            QFAIL(qPrintable("unknown step " + step));
    }
}

} // namespace

class TestSettingsDlg : public QObject {
    Q_OBJECT

private slots:
    void cleanup();

    void Settings_Should_ChangeOptionOnlyOnOk_data();
    void Settings_Should_ChangeOptionOnlyOnOk();
    void Settings_Should_SaveNothingUntilMainWindowCloses_data();
    void Settings_Should_SaveNothingUntilMainWindowCloses();
    void Template_Should_PlaceEveryControl_data();
    void Template_Should_PlaceEveryControl();
    void Dialog_Should_StartOnOkAndTabInTemplateOrder();
    void Dialog_Should_OpenCentredOverMainWindow();
};

void TestSettingsDlg::cleanup() {
    CloseLeftoverModals();
}

void TestSettingsDlg::Settings_Should_ChangeOptionOnlyOnOk_data() {
    QTest::addColumn<QString>("loaded"); // SmallCheck in Qorv.ini; "" when the key is absent
    QTest::addColumn<bool>("opensChecked");
    QTest::addColumn<QString>("steps");
    QTest::addColumn<int>("after"); // m_bLowerExt

    QTest::newRow("1, OK") << "1" << true << "ok" << 1;
    QTest::newRow("0, OK") << "0" << false << "ok" << 0;
    QTest::newRow("5, OK turns it off") << "5" << false << "ok" << 0;
    QTest::newRow("2, OK turns it off") << "2" << false << "ok" << 0;
    QTest::newRow("5, Cancel keeps it") << "5" << false << "cancel" << 5;
    QTest::newRow("-1, Esc keeps it") << "-1" << false << "esc" << -1;
    QTest::newRow("5, close box keeps it") << "5" << false << "close" << 5;
    QTest::newRow("no key: on by default, OK") << "" << true << "ok" << 1;
    QTest::newRow("0, box clicked, OK") << "0" << false << "box ok" << 1;
    QTest::newRow("1, box clicked, OK") << "1" << true << "box ok" << 0;
    QTest::newRow("7, box clicked, OK") << "7" << false << "box ok" << 1;
    QTest::newRow("0, box clicked, Cancel") << "0" << false << "box cancel" << 0;
    QTest::newRow("1, box clicked twice, OK") << "1" << true << "box box ok" << 1;
    QTest::newRow("1, Enter right after opening") << "1" << true << "enter" << 1;
    QTest::newRow("5, Enter right after opening") << "5" << false << "enter" << 0;
    QTest::newRow("0, Tab to the box, Space, Enter") << "0" << false << "tab tab space enter" << 1;
    QTest::newRow("0, box toggled, Esc") << "0" << false << "tab tab space esc" << 0;
    QTest::newRow("5, Enter on Cancel") << "5" << false << "tab enter" << 5;
    QTest::newRow("5, Space on OK") << "5" << false << "space" << 0;
}

void TestSettingsDlg::Settings_Should_ChangeOptionOnlyOnOk() {
    QFETCH(QString, loaded);
    QFETCH(bool, opensChecked);
    QFETCH(QString, steps);
    QFETCH(int, after);

    MainWindowHarness h;
    if (!loaded.isEmpty())
        h.writeIni("[Config]\nSmallCheck=" + loaded.toStdString() + "\n");
    h.start();
    QCOMPARE(h.dlg->m_bLowerExt, loaded.isEmpty() ? 1 : loaded.toInt());

    bool sawChecked = false;
    QString caption;
    WhenModalOpens([&](QWidget* dialog) {
        caption = dialog->windowTitle();
        auto* box =
            qobject_cast<QCheckBox*>(qobject_cast<CDialog*>(dialog)->GetDlgItem(IDC_LOWERCASE_EXT));
        QVERIFY(box);
        sawChecked = box->isChecked();
        Perform(dialog, steps);
    });
    h.click(IDC_SETTINGS);

    QCOMPARE(caption, QStringLiteral("設定"));
    QCOMPARE(sawChecked, opensChecked);
    QCOMPARE(h.dlg->m_bLowerExt, after);
    QVERIFY(!h.dlg->IsDestroyed());
    QCOMPARE(QApplication::activeModalWidget(), nullptr);
}

void TestSettingsDlg::Settings_Should_SaveNothingUntilMainWindowCloses_data() {
    QTest::addColumn<QString>("steps");
    QTest::addColumn<int>("saved");

    QTest::newRow("changed and confirmed") << "box ok" << 1;
    QTest::newRow("changed and cancelled") << "box cancel" << 0;
}

void TestSettingsDlg::Settings_Should_SaveNothingUntilMainWindowCloses() {
    QFETCH(QString, steps);
    QFETCH(int, saved);

    QTemporaryDir folder;
    QFile(folder.path() + "/a.txt").open(QIODevice::WriteOnly);
    MainWindowHarness h;
    const std::string ini =
        "[Data]\nFolder=" + folder.path().toStdString() + "\n[Config]\nSmallCheck=0\n";
    h.writeIni(ini);
    h.start();
    QSignalSpy resets(h.dlg->m_listFiles.Model(), &QAbstractItemModel::modelReset);

    WhenModalOpens([&](QWidget* dialog) { Perform(dialog, steps); });
    h.click(IDC_SETTINGS);

    QCOMPARE(h.readIni(), ini);
    QCOMPARE(resets.count(), 0);
    QCOMPARE(h.names(), std::vector<std::string>{"a.txt"});
    QVERIFY(h.boxes.shown.empty());

    h.click(IDC_EXIT);
    QCOMPARE(ReadProfileInt(h.iniPath(), "Config", "SmallCheck", -9), saved);
}

void TestSettingsDlg::Template_Should_PlaceEveryControl_data() {
    QTest::addColumn<int>("index");
    QTest::addColumn<int>("id");
    QTest::addColumn<QString>("text");

    QCOMPARE(int(SettingsDialogTemplate().controls.size()), 3);
    QTest::newRow("OK") << 0 << IDOK << "OK";
    QTest::newRow("Cancel, half-width") << 1 << IDCANCEL << "ｷｬﾝｾﾙ";
    QTest::newRow("check box") << 2 << IDC_LOWERCASE_EXT << "変換時に拡張子を小文字にする。";
}

void TestSettingsDlg::Template_Should_PlaceEveryControl() {
    QFETCH(int, index);
    QFETCH(int, id);
    QFETCH(QString, text);

    CSettingsDlg dlg;
    dlg.m_nInitLowerExt = 1;
    QVERIFY(dlg.Create());
    const ControlTemplate& ct = SettingsDialogTemplate().controls[std::size_t(index)];
    QCOMPARE(ct.id, id);
    auto* control = qobject_cast<QAbstractButton*>(dlg.GetDlgItem(id));
    QVERIFY(control);
    QCOMPARE(control->text(), text);
    QCOMPARE(control->geometry(), dlg.Units().toPixels(ct.x, ct.y, ct.cx, ct.cy));
    QVERIFY(control->isVisible() || !dlg.isVisible());
    if (id == IDCANCEL) {
        for (const QChar c : control->text())
            QVERIFY2(c.unicode() >= 0xFF61 && c.unicode() <= 0xFF9F, "not half-width katakana");
    }
    if (auto* push = qobject_cast<QPushButton*>(control))
        QCOMPARE(push->isDefault(), id == IDOK);

    QCOMPARE(dlg.windowTitle(), QStringLiteral("設定"));
    QCOMPARE(dlg.size(), QSize(dlg.Units().toPixelsX(129), dlg.Units().toPixelsY(49)));
    QCOMPARE(dlg.minimumSize(), dlg.maximumSize());
    QVERIFY(!(dlg.windowFlags() & Qt::WindowMinimizeButtonHint));
    QVERIFY(!(dlg.windowFlags() & Qt::WindowMaximizeButtonHint));
}

void TestSettingsDlg::Dialog_Should_StartOnOkAndTabInTemplateOrder() {
    CSettingsDlg dlg;
    dlg.m_nInitLowerExt = 0;
    QVERIFY(dlg.Create());
    dlg.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dlg));
    QCOMPARE(dlg.focusWidget(), dlg.GetDlgItem(IDOK));
    for (int id : {IDCANCEL, IDC_LOWERCASE_EXT, IDOK}) {
        PressKey(&dlg, Qt::Key_Tab);
        QCOMPARE(dlg.focusWidget(), dlg.GetDlgItem(id));
    }
    dlg.close();
}

void TestSettingsDlg::Dialog_Should_OpenCentredOverMainWindow() {
    MainWindowHarness h;
    h.start();
    h.dlg->move(60, 40);
    h.dlg->show();
    QVERIFY(QTest::qWaitForWindowExposed(h.dlg.get()));

    QRect settings;
    QWidget* owner = nullptr;
    WhenModalOpens([&](QWidget* dialog) {
        settings = dialog->frameGeometry();
        owner = dialog->parentWidget();
        Perform(dialog, "cancel");
    });
    h.click(IDC_SETTINGS);

    QCOMPARE(owner, h.dlg.get());
    const QPoint offset = settings.center() - h.dlg->frameGeometry().center();
    QVERIFY2(offset.manhattanLength() <= 2,
             qPrintable(QStringLiteral("off centre by %1, %2").arg(offset.x()).arg(offset.y())));
}

QTEST_MAIN(TestSettingsDlg)
#include "tst_settingsdlg.moc"
