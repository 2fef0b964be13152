#include "dialogs/AboutDlg.h"
#include "dialogs/SettingsDlg.h"
#include "support/MainWindowHarness.h"

#include <QCheckBox>
#include <QContextMenuEvent>
#include <QLabel>
#include <QMenu>
#include <QtTest>

#include <functional>

using namespace quorvel;
using namespace quorvel::test;

namespace {

// Queues a step for the modal dialog about to open (nullptr if none), then closes it if left open.
void WhenModalOpens(std::function<void(CDialog*)> step) {
    QTimer::singleShot(0, [step] {
        const QPointer<CDialog> dlg = qobject_cast<CDialog*>(QApplication::activeModalWidget());
        step(dlg);
        if (dlg && dlg->isVisible())
            dlg->close();
    });
}

} // namespace

class TestSettingsAbout : public QObject {
    Q_OBJECT

private slots:
    void Settings_Should_ChangeOptionOnlyOnOk_data() {
        QTest::addColumn<QString>("loaded"); // SmallCheck in Qorv.ini; "" when the key is absent
        QTest::addColumn<QString>("steps");  // what a person does in the open dialog
        QTest::addColumn<int>("after");      // the option afterwards
        const auto row = [](const char* what, QString loaded, QString steps, int after) {
            QTest::newRow(what) << loaded << steps << after;
        };
        row("5 opens unchecked, OK turns it off", "5", "ok", 0);
        row("5, Cancel keeps it as it was", "5", "cancel", 5);
        row("no key: on by default", "", "ok", 1);
        row("0, box clicked, OK", "0", "box ok", 1);
        row("5, Enter right after opening: OK", "5", "Return", 0);
    }
    void Settings_Should_ChangeOptionOnlyOnOk() {
        QFETCH(QString, loaded);
        QFETCH(QString, steps);
        QFETCH(int, after);
        MainWindowHarness h;
        const std::string ini =
            loaded.isEmpty() ? "" : "[Config]\nSmallCheck=" + loaded.toStdString();
        h.writeIni(ini);
        h.start();
        bool opened = false;
        WhenModalOpens([&](CDialog* dlg) {
            QVERIFY(opened = dlg != nullptr);
            QCOMPARE(dlg->windowTitle(), QStringLiteral("設定"));
            auto* box = qobject_cast<QCheckBox*>(dlg->GetDlgItem(IDC_LOWERCASE_EXT));
            QCOMPARE(box->text(), QStringLiteral("変換時に拡張子を小文字にする。"));
            QCOMPARE(qobject_cast<QAbstractButton*>(dlg->GetDlgItem(IDCANCEL))->text(), "ｷｬﾝｾﾙ");
            QCOMPARE(box->isChecked(), loaded.isEmpty() || loaded == "1"); // 1 alone is on
            for (const QString& step : steps.split(' ')) {
                if (step == "ok" || step == "cancel")
                    QTest::mouseClick(dlg->GetDlgItem(step == "ok" ? IDOK : IDCANCEL),
                                      Qt::LeftButton);
                else if (step == "box") // on the square, where a click always toggles
                    QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(6, box->height() / 2));
                else // a key, to whatever has the focus, as typing does
                    QTest::keyClick(dlg->focusWidget(), Qt::Key(QKeySequence(step)[0].key()));
            }
            QVERIFY(!dlg->isVisible());
        });
        h.click(IDC_SETTINGS);
        QVERIFY(opened);
        QCOMPARE(h.dlg->m_bLowerExt, after);
        QCOMPARE(h.readIni(), ini); // saved only when the main window closes
    }

    void AboutCommand_Should_OpenAboutOnlyForItsId_data() {
        QTest::addColumn<uint>("id"); // 0: the about item chosen from the window's context menu
        QTest::addColumn<bool>("opensAbout");
        QTest::newRow("context menu item") << 0u << true;
        QTest::newRow("about item") << uint(IDM_ABOUTBOX) << true;
        QTest::newRow("about item, low four bits set") << 0x001Fu << true;
        QTest::newRow("about item, bits above 15 set") << 0x00050010u << true;
        QTest::newRow("next id") << 0x0020u << false;
        QTest::newRow("close, low bits set: ends the window") << 0xF063u << false;
    }
    void AboutCommand_Should_OpenAboutOnlyForItsId() {
        QFETCH(uint, id);
        QFETCH(bool, opensAbout);
        MainWindowHarness h;
        h.start();
        bool opened = false;
        QMenu* menu = h.dlg->SystemMenu();
        const QList<QAction*> items = menu->actions();
        qsizetype i = 0;
        while (i < items.size() && items[i]->text() != "Quorvel のﾊﾞｰｼﾞｮﾝ情報(&A)...")
            ++i;
        if (id == 0) { // chosen with Enter from the window's context menu, after a separator
            QVERIFY(i > 0 && i < items.size() && items[i - 1]->isSeparator());
            h.dlg->show();
            QVERIFY(QTest::qWaitForWindowExposed(h.dlg.get()));
            QTimer::singleShot(0, [&] { // runs in the menu's own loop, opening the box in it
                if (menu->isVisible()) {
                    menu->setActiveAction(items[i]);
                    QTest::keyClick(menu, Qt::Key_Return);
                }
            });
        }
        WhenModalOpens([&](CDialog* box) {
            if (!(opened = box != nullptr))
                return;
            QCOMPARE(box->windowTitle(), QStringLiteral("Quorvelのﾊﾞｰｼﾞｮﾝ情報"));
            QStringList texts;
            for (QLabel* label : box->findChildren<QLabel*>())
                texts << (label->pixmap().isNull() ? label->text() : QStringLiteral("<icon>"));
            QCOMPARE(texts,
                     (QStringList{"<icon>", "Quorvel Version 2.1", "The Quorvel developers"}));
            QCOMPARE(box->focusWidget(), box->GetDlgItem(IDOK));
            QTest::mouseClick(box->focusWidget(), Qt::LeftButton);
        });
        if (id == 0) {
            const QPoint spot(2, h.dlg->height() / 2); // the background, left of the list
            QContextMenuEvent rightClick(QContextMenuEvent::Mouse, spot, h.dlg->mapToGlobal(spot));
            QCoreApplication::sendEvent(h.dlg.get(), &rightClick);
        } else {
            h.dlg->SendSysCommand(id, 0);
        }
        QCoreApplication::processEvents(); // runs the step when no modal loop did
        QCOMPARE(opened, opensAbout);
        QCOMPARE(h.dlg->IsDestroyed(), id == 0xF063u);
    }
};

QTEST_MAIN(TestSettingsAbout)
#include "tst_settingsabout.moc"
