#include "dialogs/AboutDlg.h"
#include "res/Templates.h"
#include "settings/ProfileFile.h"
#include "support/MainWindowHarness.h"
#include "support/ModalSteps.h"

#include <QContextMenuEvent>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QtTest>

using namespace quorvel;
using namespace quorvel::test;

namespace {

const char* const kAboutItem = "Quorvel のﾊﾞｰｼﾞｮﾝ情報(&A)...";
const char* const kAboutCaption = "Quorvelのﾊﾞｰｼﾞｮﾝ情報";

// What the about box showed while it was open.
struct Seen {
    bool opened = false;
    QString caption;
    QStringList texts; // its labels' texts, icon excluded, in creation order
    bool hasIcon = false;
    QString focusText; // the text of the control that had the focus
};

// Records the box, then closes it the given way: "ok" clicks OK, "enter" and "esc" press that
// key on the focused control, "close" uses the close box.
void RecordAndClose(QWidget* box, Seen& seen, const QString& way) {
    seen.opened = true;
    seen.caption = box->windowTitle();
    for (QLabel* label : box->findChildren<QLabel*>()) {
        if (!label->pixmap().isNull())
            seen.hasIcon = true;
        else
            seen.texts << label->text();
    }
    if (auto* button = qobject_cast<QAbstractButton*>(box->focusWidget()))
        seen.focusText = button->text();
    auto* dlg = qobject_cast<CDialog*>(box);
    QVERIFY(dlg);
    if (way == "ok")
        QTest::mouseClick(dlg->GetDlgItem(IDOK), Qt::LeftButton);
    else if (way == "enter")
        PressKey(box, Qt::Key_Return);
    else if (way == "esc")
        PressKey(box, Qt::Key_Escape);
    else
        box->close();
}

} // namespace

class TestAboutDlg : public QObject {
    Q_OBJECT

private slots:
    void cleanup();

    void SystemMenu_Should_OfferAboutItemOnceAfterSeparator();
    void ContextMenu_Should_OpenAboutBox();
    void AboutBox_Should_Close_data();
    void AboutBox_Should_Close();
    void SysCommand_Should_OpenAboutOnlyForItsId_data();
    void SysCommand_Should_OpenAboutOnlyForItsId();
    void Template_Should_PlaceEveryControl_data();
    void Template_Should_PlaceEveryControl();
};

void TestAboutDlg::cleanup() {
    CloseLeftoverModals();
}

void TestAboutDlg::SystemMenu_Should_OfferAboutItemOnceAfterSeparator() {
    MainWindowHarness h;
    h.start();
    QMenu* menu = h.dlg->SystemMenu();
    QVERIFY(menu);
    const QList<QAction*> actions = menu->actions();
    int found = -1;
    int count = 0;
    for (int i = 0; i < int(actions.size()); ++i) {
        if (actions[i]->text() == QString::fromUtf8(kAboutItem)) {
            found = i;
            ++count;
        }
    }
    QCOMPARE(count, 1);
    QVERIFY(found > 0);
    QVERIFY(actions[found - 1]->isSeparator());
    QCOMPARE(actions[found]->data().toUInt(), IDM_ABOUTBOX);
    QVERIFY(actions[found]->isEnabled());
}

void TestAboutDlg::ContextMenu_Should_OpenAboutBox() {
    MainWindowHarness h;
    h.start();
    h.dlg->show();
    QVERIFY(QTest::qWaitForWindowExposed(h.dlg.get()));

    Seen seen;
    bool menuShown = false;
    // The right click opens the menu; Down picks the item, Enter chooses it, and the about box
    // opens from inside the menu's run.
    QTimer::singleShot(0, [&] {
        QMenu* menu = nullptr;
        QTRY_VERIFY((menu = qobject_cast<QMenu*>(QApplication::activePopupWidget())) != nullptr);
        menuShown = menu == h.dlg->SystemMenu();
        WhenModalOpens([&](QWidget* box) { RecordAndClose(box, seen, "esc"); });
        QTest::keyClick(menu, Qt::Key_Down);
        QVERIFY(menu->activeAction());
        QCOMPARE(menu->activeAction()->text(), QString::fromUtf8(kAboutItem));
        QTest::keyClick(menu, Qt::Key_Return);
    });
    // An empty spot of the window's background, left of the list.
    const QPoint spot(2, h.dlg->height() / 2);
    QContextMenuEvent rightClick(QContextMenuEvent::Mouse, spot, h.dlg->mapToGlobal(spot));
    QCoreApplication::sendEvent(h.dlg.get(), &rightClick);

    QVERIFY(menuShown);
    QVERIFY(seen.opened);
    QCOMPARE(seen.caption, QString::fromUtf8(kAboutCaption));
    QVERIFY(!h.dlg->IsDestroyed());
    QCOMPARE(QApplication::activeModalWidget(), nullptr);
}

void TestAboutDlg::AboutBox_Should_Close_data() {
    QTest::addColumn<QString>("way");
    QTest::newRow("OK") << "ok";
    QTest::newRow("Enter right after opening") << "enter";
    QTest::newRow("Esc") << "esc";
    QTest::newRow("close box") << "close";
}

void TestAboutDlg::AboutBox_Should_Close() {
    QFETCH(QString, way);
    MainWindowHarness h;
    h.start();

    Seen seen;
    WhenModalOpens([&](QWidget* box) { RecordAndClose(box, seen, way); });
    h.dlg->SendSysCommand(IDM_ABOUTBOX);

    QVERIFY(seen.opened);
    QCOMPARE(seen.caption, QString::fromUtf8(kAboutCaption));
    QCOMPARE(seen.texts,
             (QStringList{QStringLiteral("Quorvel Version 2.1"), "The Quorvel developers"}));
    QVERIFY(seen.hasIcon);
    QCOMPARE(seen.focusText, QStringLiteral("OK"));
    // The main window is usable again and was not ended by the box.
    QCOMPARE(QApplication::activeModalWidget(), nullptr);
    QVERIFY(!h.dlg->IsDestroyed());
    QVERIFY(h.boxes.shown.empty());
}

void TestAboutDlg::SysCommand_Should_OpenAboutOnlyForItsId_data() {
    QTest::addColumn<uint>("id");
    QTest::addColumn<bool>("opensAbout");
    QTest::addColumn<bool>("endsWindow");

    QTest::newRow("about item") << uint(IDM_ABOUTBOX) << true << false;
    QTest::newRow("about item, low bits set") << 0x0013u << true << false;
    QTest::newRow("about item, all low bits set") << 0x001Fu << true << false;
    QTest::newRow("about item, bits above 15 set") << 0x00050010u << true << false;
    QTest::newRow("next id") << 0x0020u << false << false;
    QTest::newRow("zero") << 0x0000u << false << false;
    QTest::newRow("minimise") << 0xF020u << false << false;
    QTest::newRow("move") << 0xF010u << false << false;
    QTest::newRow("close") << uint(SC_CLOSE) << false << true;
    QTest::newRow("close, low bits set") << 0xF063u << false << true;
}

void TestAboutDlg::SysCommand_Should_OpenAboutOnlyForItsId() {
    QFETCH(uint, id);
    QFETCH(bool, opensAbout);
    QFETCH(bool, endsWindow);

    MainWindowHarness h;
    h.start();

    Seen seen;
    QPointer<QWidget> unexpected;
    if (opensAbout)
        WhenModalOpens([&](QWidget* box) { RecordAndClose(box, seen, "ok"); });
    else
        RecordUnexpectedModal(&unexpected);
    h.dlg->SendSysCommand(id, 0);
    FlushQueuedSteps();

    QCOMPARE(seen.opened, opensAbout);
    if (opensAbout)
        QCOMPARE(seen.caption, QString::fromUtf8(kAboutCaption));
    QVERIFY2(!unexpected, "a modal window opened");
    QCOMPARE(h.dlg->IsDestroyed(), endsWindow);
    // Ending the main window saves the settings, as every way out does.
    QCOMPARE(ReadProfileInt(h.iniPath(), "Application", "Version", 0), endsWindow ? 21 : 0);
}

void TestAboutDlg::Template_Should_PlaceEveryControl_data() {
    QTest::addColumn<int>("index");
    const DialogTemplate& t = AboutDialogTemplate();
    QCOMPARE(int(t.controls.size()), 4);
    QTest::newRow("icon") << 0;
    QTest::newRow("version line") << 1;
    QTest::newRow("maker line") << 2;
    QTest::newRow("OK") << 3;
}

void TestAboutDlg::Template_Should_PlaceEveryControl() {
    QFETCH(int, index);
    CAboutDlg dlg;
    QVERIFY(dlg.Create());
    const DialogUnits& u = dlg.Units();
    const ControlTemplate& ct = AboutDialogTemplate().controls[std::size_t(index)];
    const QRect expected = u.toPixels(ct.x, ct.y, ct.cx, ct.cy);

    QWidget* control = nullptr;
    if (ct.id == IDOK) {
        control = dlg.GetDlgItem(IDOK);
        auto* ok = qobject_cast<QPushButton*>(control);
        QVERIFY(ok);
        QCOMPARE(ok->text(), QStringLiteral("OK"));
        QVERIFY(ok->isDefault());
    } else {
        for (QLabel* label : dlg.findChildren<QLabel*>()) {
            const bool isIcon = !label->pixmap().isNull();
            if (index == 0 ? isIcon : (!isIcon && label->text() == QString::fromUtf8(ct.text)))
                control = label;
        }
    }
    QVERIFY(control);
    if (index == 0) {
        // The icon control takes the icon's own size at the template's corner.
        QCOMPARE(control->pos(), expected.topLeft());
    } else {
        QCOMPARE(control->geometry(), expected);
    }

    QCOMPARE(dlg.windowTitle(), QString::fromUtf8(kAboutCaption));
    QCOMPARE(dlg.size(), QSize(u.toPixelsX(235), u.toPixelsY(55)));
    QCOMPARE(dlg.minimumSize(), dlg.maximumSize());
    QVERIFY(!(dlg.windowFlags() & Qt::WindowMinimizeButtonHint));
}

QTEST_MAIN(TestAboutDlg)
#include "tst_aboutdlg.moc"
