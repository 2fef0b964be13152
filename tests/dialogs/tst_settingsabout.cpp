#include "dialogs/AboutDlg.h"
#include "dialogs/SettingsDlg.h"
#include "support/MainWindowHarness.h"

#include <QCheckBox>
#include <QContextMenuEvent>
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

enum class Action { Ok, Cancel, ClickBox, Enter, Esc };

} // namespace

class TestSettingsAbout : public QObject {
    Q_OBJECT

private slots:
    void Settings_Should_ChangeOptionOnlyOnOk_data() {
        QTest::addColumn<QString>("loaded");        // SmallCheck in Qorv.ini; "" when absent
        QTest::addColumn<QList<Action>>("actions"); // what a person does in the open dialog
        QTest::addColumn<int>("after");             // the option afterwards
        const auto row = [](const char* what, QString loaded, QList<Action> actions, int after) {
            QTest::newRow(what) << loaded << actions << after;
        };
        row("5 opens unchecked, OK turns it off", "5", {Action::Ok}, 0);
        row("5, Cancel keeps it as it was", "5", {Action::Cancel}, 5);
        row("-1, Esc keeps it as it was", "-1", {Action::Esc}, -1);
        row("no key: on by default", "", {Action::Ok}, 1);
        row("1 opens checked, Enter keeps it on", "1", {Action::Enter}, 1);
        row("0, box clicked, OK", "0", {Action::ClickBox, Action::Ok}, 1);
        row("5, Enter right after opening: OK", "5", {Action::Enter}, 0);
    }
    void Settings_Should_ChangeOptionOnlyOnOk() {
        QFETCH(QString, loaded);
        QFETCH(QList<Action>, actions);
        QFETCH(int, after);
        MainWindowHarness h;
        const std::string ini =
            loaded.isEmpty() ? "" : "[Config]\nSmallCheck=" + loaded.toStdString();
        h.writeIni(ini);
        h.start();
        bool opened = false;
        WhenModalOpens([&](CDialog* dlg) {
            QVERIFY(opened = dlg != nullptr);
            auto* box = qobject_cast<QCheckBox*>(dlg->GetDlgItem(IDC_LOWERCASE_EXT));
            QCOMPARE(box->isChecked(), loaded.isEmpty() || loaded == "1"); // 1 alone is on
            QCOMPARE(dlg->focusWidget(), dlg->GetDlgItem(IDOK));
            for (Action action : actions) {
                switch (action) {
                case Action::Ok:
                case Action::Cancel:
                    QTest::mouseClick(dlg->GetDlgItem(action == Action::Ok ? IDOK : IDCANCEL),
                                      Qt::LeftButton);
                    break;
                case Action::ClickBox: // on the square, where a click always toggles
                    QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(6, box->height() / 2));
                    break;
                case Action::Enter:
                case Action::Esc: // to whatever has the focus, as typing does
                    QTest::keyClick(dlg->focusWidget(),
                                    action == Action::Enter ? Qt::Key_Return : Qt::Key_Escape);
                    break;
                }
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
            QCOMPARE(box->Template().id, 100); // IDD_ABOUTBOX
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
