#include "dialogs/SettingsDlg.h"
#include "support/MainWindowHarness.h"

#include <QAccessible>
#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QtTest>

using namespace quorvel;
using namespace quorvel::test;

class TestTemplates : public QObject {
    Q_OBJECT

private slots:
    // Pixels of IPAPGothic at 9 points on a 96-dpi screen: 7 x 13 to 4 x 8 dialog units.
    void button_Should_StandWhereTheTemplatePutsIt_data() {
        QTest::addColumn<bool>("settings"); // else the main window
        QTest::addColumn<int>("id");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QRect>("pixels");
        QTest::addColumn<bool>("isDefault");
        QTest::newRow("browse, x rounded up from 297.5")
            << false << IDC_BROWSE << "参照" << QRect(298, 24, 44, 24) << false;
        QTest::newRow("start") << false << IDC_START << "変換開始" << QRect(306, 252, 96, 41)
                               << true;
        QTest::newRow("refresh") << false << IDC_REFRESH << "表示更新" << QRect(306, 211, 96, 24)
                                 << false;
        QTest::newRow("settings cancel, half-width katakana")
            << true << IDCANCEL << "ｷｬﾝｾﾙ" << QRect(114, 49, 79, 23) << false;
    }
    void button_Should_StandWhereTheTemplatePutsIt() {
        QFETCH(bool, settings);
        QFETCH(int, id);
        QFETCH(QString, text);
        QFETCH(QRect, pixels);
        QFETCH(bool, isDefault);
        MainWindowHarness h;
        CSettingsDlg settingsDlg;
        CDialog* dlg = settings ? static_cast<CDialog*>(&settingsDlg) : &h.start();
        if (settings)
            settingsDlg.Create();
        const auto* button = qobject_cast<QPushButton*>(dlg->GetDlgItem(id));
        QCOMPARE(button->text(), text);
        QCOMPARE(button->geometry(), pixels);
        QCOMPARE(button->isDefault(), isDefault);
    }

    void edit_Should_BeNamedByTheLabelAboveIt_data() {
        QTest::addColumn<int>("id");
        QTest::addColumn<QString>("label");
        QTest::addColumn<bool>("centred");
        QTest::newRow("prefix") << IDC_PREFIX << "前固定部" << false;
        QTest::newRow("start number") << IDC_STARTNUMBER << "開始番号" << true;
    }
    void edit_Should_BeNamedByTheLabelAboveIt() {
        QFETCH(int, id);
        QFETCH(QString, label);
        QFETCH(bool, centred);
        MainWindowHarness h;
        h.start();
        QCOMPARE(QAccessible::queryAccessibleInterface(h.edit(id))->text(QAccessible::Name), label);
        for (const QLabel* shown : h.dlg->findChildren<QLabel*>())
            if (shown->text() == label)
                QCOMPARE(bool(shown->alignment() & Qt::AlignHCenter), centred);
    }

    void settings_Should_ChangeTheOptionOnlyOnOk_data() {
        QTest::addColumn<QByteArray>("saved"); // SmallCheck in Qorv.ini; empty: no such key
        QTest::addColumn<bool>("clickBox");
        QTest::addColumn<int>("button");
        QTest::addColumn<int>("after");
        QTest::newRow("no key: on by default") << QByteArray() << false << IDOK << 1;
        QTest::newRow("box clicked, Cancel") << QByteArray("0") << true << IDCANCEL << 0;
        QTest::newRow("box clicked, OK") << QByteArray("0") << true << IDOK << 1;
    }
    void settings_Should_ChangeTheOptionOnlyOnOk() {
        QFETCH(QByteArray, saved);
        QFETCH(bool, clickBox);
        QFETCH(int, button);
        QFETCH(int, after);
        MainWindowHarness h;
        h.writeIni(saved.isEmpty() ? "" : "[Config]\nSmallCheck=" + saved.toStdString());
        h.start();
        QTimer::singleShot(0, [&] {
            if (auto* dlg = qobject_cast<CDialog*>(QApplication::activeModalWidget())) {
                if (clickBox)
                    qobject_cast<QCheckBox*>(dlg->GetDlgItem(IDC_LOWERCASE_EXT))->click();
                qobject_cast<QAbstractButton*>(dlg->GetDlgItem(button))->click();
            }
        });
        h.click(IDC_SETTINGS);
        QCOMPARE(h.dlg->m_bLowerExt, after);
    }
};

QTEST_MAIN(TestTemplates)
#include "tst_templates.moc"
