#include "dialogs/AboutDlg.h"
#include "dialogs/SettingsDlg.h"
#include "platform/listctrl/FileListView.h"
#include "support/MainWindowHarness.h"

#include <QAccessible>
#include <QCheckBox>
#include <QFontInfo>
#include <QLabel>
#include <QPushButton>
#include <QtTest>

using namespace quorvel;
using namespace quorvel::test;

namespace {

// Style bits with their classic values, written out here so that the test does not share them
// with the code.
constexpr uint kPopup = 0x80000000, kChild = 0x40000000, kVisible = 0x10000000,
               kCaption = 0x00C00000, kBorder = 0x00800000, kSysMenu = 0x00080000,
               kGroup = 0x00020000, kMinimizeBox = 0x00020000, kTabStop = 0x00010000,
               kModalFrame = 0x80, kSetFont = 0x40, kAppWindow = 0x00040000;
constexpr uint kAutoHScroll = 0x80, kDefPushButton = 0x1, kAutoCheckBox = 0x3, kCentre = 0x1,
               kIcon = 0x3, kNoPrefix = 0x80, kReport = 0x1, kShowSelAlways = 0x8;
constexpr uint kEdit = kChild | kVisible | kBorder | kTabStop | kAutoHScroll;
constexpr uint kButton = kChild | kVisible | kTabStop;
constexpr uint kLabel = kChild | kVisible | kGroup;
constexpr uint kModal = kPopup | kCaption | kSysMenu | kModalFrame | kSetFont;

// IPAPGothic at 9 points on a 96-dpi screen: "A".."Z" "a".."z" advance 369 pixels, height 13.
constexpr int kBaseX = 7, kBaseY = 13;

enum Window { Main, Settings, About };

// Dialog units to pixels, rounding halves up.
QRect Pixels(const QRect& units) {
    const auto px = [](int du, int base, int div) { return (2 * du * base + div) / (2 * div); };
    return {px(units.x(), kBaseX, 4), px(units.y(), kBaseY, 8), px(units.width(), kBaseX, 4),
            px(units.height(), kBaseY, 8)};
}

// One of the three windows, built from its template and initialised, never run.
struct Built {
    explicit Built(Window w) {
        if (w == Main) {
            dlg = &main.start();
            return;
        }
        owned = w == Settings ? std::unique_ptr<CDialog>(new CSettingsDlg)
                              : std::unique_ptr<CDialog>(new CAboutDlg);
        owned->Create();
        dlg = owned.get();
    }
    // The controls in the order the template lists them: they are created first, in that order.
    QWidget* control(int index) const {
        return dlg->findChildren<QWidget*>(Qt::FindDirectChildrenOnly).at(index);
    }
    MainWindowHarness main;
    std::unique_ptr<CDialog> owned;
    CDialog* dlg = nullptr;
};

} // namespace

class TestTemplates : public QObject {
    Q_OBJECT

private slots:
    void window_Should_MatchItsTemplate_data() {
        QTest::addColumn<int>("window");
        QTest::addColumn<int>("id");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QSize>("units");
        QTest::addColumn<uint>("style");
        QTest::addColumn<uint>("exStyle");
        QTest::addColumn<int>("controls");
        QTest::addColumn<QList<int>>("tabOrder"); // template rows, from the one with the focus
        QTest::newRow("IDD_MAIN") << int(Main) << 102 << "Quorvel" << QSize(239, 229)
                                  << (kModal | kVisible | kMinimizeBox) << kAppWindow << 18
                                  << QList<int>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 16, 17};
        QTest::newRow("IDD_SETTINGS") << int(Settings) << 135 << "設定" << QSize(129, 49) << kModal
                                      << 0u << 3 << QList<int>{0, 1, 2};
        QTest::newRow("IDD_ABOUTBOX") << int(About) << 100 << "Quorvelのﾊﾞｰｼﾞｮﾝ情報"
                                      << QSize(235, 55) << kModal << 0u << 4 << QList<int>{3};
    }
    void window_Should_MatchItsTemplate() {
        QFETCH(int, window);
        QFETCH(int, id);
        QFETCH(QString, caption);
        QFETCH(QSize, units);
        QFETCH(uint, style);
        QFETCH(uint, exStyle);
        QFETCH(int, controls);
        QFETCH(QList<int>, tabOrder);
        Built b{Window(window)};
        QCOMPARE(QFontInfo(b.dlg->font()).family(), QStringLiteral("IPAPGothic"));
        QCOMPARE(b.dlg->Units().baseX(), kBaseX);
        QCOMPARE(b.dlg->Units().baseY(), kBaseY);
        const DialogTemplate& t = b.dlg->Template();
        QCOMPARE(t.id, id);
        QCOMPARE(QByteArray(t.caption), caption.toUtf8());
        QCOMPARE(QSize(t.cx, t.cy), units);
        QCOMPARE(QPoint(t.x, t.y), QPoint(0, 0));
        QCOMPARE(uint(t.style), style);
        QCOMPARE(uint(t.exStyle), exStyle);
        QCOMPARE(QByteArray(t.fontFace), QByteArray("ＭＳ Ｐゴシック"));
        QCOMPARE(t.pointSize, 9);
        QCOMPARE(int(t.controls.size()), controls);

        QCOMPARE(b.dlg->windowTitle(), caption);
        QCOMPARE(b.dlg->minimumSize(), Pixels(QRect(QPoint(), units)).size());
        QCOMPARE(b.dlg->maximumSize(), b.dlg->minimumSize());
        QCOMPARE(bool(b.dlg->windowFlags() & Qt::WindowMinimizeButtonHint), window == Main);
        QVERIFY(!(b.dlg->windowFlags() & Qt::WindowMaximizeButtonHint));
        // Tab runs through the tab stops in template order and comes back to the first.
        QList<int> order;
        QWidget* w = b.control(tabOrder[0]);
        do {
            for (int i = 0; i < controls; ++i)
                if (b.control(i) == w && (w->focusPolicy() & Qt::TabFocus))
                    order << i;
            w = w->nextInFocusChain();
        } while (w != b.control(tabOrder[0]));
        QCOMPARE(order, tabOrder);
    }

    void control_Should_StandWhereTheTemplatePutsIt_data() {
        QTest::addColumn<int>("window");
        QTest::addColumn<int>("index");
        QTest::addColumn<int>("id");
        QTest::addColumn<ControlClass>("kind");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QRect>("units"); // x, y, width, height
        QTest::addColumn<uint>("style");
        QTest::addColumn<QString>("accessibleName");
        const auto row = [](const char* what, Window w, int index, int id, ControlClass kind,
                            QString text, QRect units, uint style, QString name) {
            QTest::newRow(what) << int(w) << index << id << kind << text << units << style << name;
        };
        using enum ControlClass;
        const uint list = kChild | kVisible | kBorder | kTabStop | kReport | kShowSelAlways;
        row("IDC_FOLDER", Main, 0, 1000, Edit, "", {10, 15, 160, 15}, kEdit, "変更元フォルダ");
        row("IDC_BROWSE", Main, 1, 1006, Button, "参照", {170, 15, 25, 15}, kButton, "参照");
        row("IDC_FILELIST", Main, 2, 1001, ListView, "List1", {10, 40, 160, 145}, list,
            "ファイル名");
        row("IDC_PREFIX", Main, 3, 1007, Edit, "", {10, 205, 50, 15}, kEdit, "前固定部");
        row("IDC_STARTNUMBER", Main, 4, 1008, Edit, "", {65, 205, 30, 15}, kEdit, "開始番号");
        row("IDC_FILTER", Main, 5, 1009, Edit, "", {130, 205, 35, 15}, kEdit, "表示拡張子");
        row("IDC_SELECTALL", Main, 6, 1002, Button, "全選択", {175, 50, 55, 15}, kButton, "全選択");
        row("IDC_DESELECTALL", Main, 7, 1003, Button, "全解除", {175, 65, 55, 15}, kButton,
            "全解除");
        row("IDC_UP", Main, 8, 1010, Button, "↑", {190, 90, 25, 15}, kButton, "↑");
        row("IDC_DOWN", Main, 9, 1011, Button, "↓", {190, 105, 25, 15}, kButton, "↓");
        row("IDC_START, the default button", Main, 10, 1004, Button, "変換開始", {175, 155, 55, 25},
            kButton | kDefPushButton, "変換開始");
        row("IDC_SETTINGS", Main, 11, 1005, Button, "設定", {175, 185, 55, 15}, kButton, "設定");
        row("folder label", Main, 12, -1, Static, "変更元フォルダ", {10, 5, 75, 10}, kLabel,
            "変更元フォルダ");
        row("prefix label", Main, 13, -1, Static, "前固定部", {10, 195, 30, 10}, kLabel,
            "前固定部");
        row("start number label, centred", Main, 14, -1, Static, "開始番号", {65, 195, 30, 10},
            kLabel | kCentre, "開始番号");
        row("pattern label", Main, 15, -1, Static, "表示拡張子", {130, 195, 35, 10}, kLabel,
            "表示拡張子");
        row("IDC_EXIT", Main, 16, 1012, Button, "終了", {175, 205, 55, 15}, kButton, "終了");
        row("IDC_REFRESH, last in the tab order", Main, 17, 1013, Button, "表示更新",
            {175, 130, 55, 15}, kButton, "表示更新");
        row("settings OK, the default button", Settings, 0, 1, Button, "OK", {20, 30, 45, 14},
            kButton | kDefPushButton, "OK");
        row("settings cancel, half-width katakana", Settings, 1, 2, Button, "ｷｬﾝｾﾙ",
            {65, 30, 45, 14}, kButton, "ｷｬﾝｾﾙ");
        row("IDC_LOWERCASE_EXT", Settings, 2, 1003, Button, "変換時に拡張子を小文字にする。",
            {10, 10, 110, 10}, kButton | kAutoCheckBox, "変換時に拡張子を小文字にする。");
        row("about icon, at the icon's own size", About, 0, -1, Static, "", {11, 17, 20, 20},
            kChild | kVisible | kIcon, "Quorvel");
        row("about version", About, 1, -1, Static, "Quorvel Version 2.1", {40, 10, 119, 8},
            kLabel | kNoPrefix, "Quorvel Version 2.1");
        row("about maker", About, 2, -1, Static, "The Quorvel developers", {40, 25, 119, 8}, kLabel,
            "The Quorvel developers");
        row("about OK, the default button", About, 3, 1, Button, "OK", {178, 7, 50, 14},
            kButton | kGroup | kDefPushButton, "OK");
    }
    void control_Should_StandWhereTheTemplatePutsIt() {
        QFETCH(int, window);
        QFETCH(int, index);
        QFETCH(int, id);
        QFETCH(ControlClass, kind);
        QFETCH(QString, text);
        QFETCH(QRect, units);
        QFETCH(uint, style);
        QFETCH(QString, accessibleName);
        Built b{Window(window)};
        const ControlTemplate& ct = b.dlg->Template().controls[std::size_t(index)];
        QCOMPARE(ct.id, id);
        QCOMPARE(ct.cls, kind);
        QCOMPARE(QByteArray(ct.text), text.toUtf8());
        QCOMPARE(QRect(ct.x, ct.y, ct.cx, ct.cy), units);
        QCOMPARE(uint(ct.style), style);

        QWidget* w = b.control(index);
        if (id != -1)
            QCOMPARE(b.dlg->GetDlgItem(id), w);
        const bool icon = kind == ControlClass::Static && (style & 0x1F) == kIcon;
        QCOMPARE(w->geometry(),
                 icon ? QRect(Pixels(units).topLeft(), QSize(32, 32)) : Pixels(units));
        QVERIFY(w->isVisibleTo(b.dlg));
        QCOMPARE(w->focusPolicy() == Qt::StrongFocus, bool(style & kTabStop));
        QString shown;
        switch (kind) {
        case ControlClass::Edit: { // its text is the loaded setting, checked with the start-up
            const auto* edit = qobject_cast<QLineEdit*>(w);
            QVERIFY(edit->hasFrame() && !edit->isReadOnly() && edit->maxLength() == 32767);
            shown = text;
            break;
        }
        case ControlClass::Button:
            if (auto* push = qobject_cast<QPushButton*>(w))
                QCOMPARE(push->isDefault(), (style & 0xF) == kDefPushButton);
            else
                QVERIFY(qobject_cast<QCheckBox*>(w) && (style & 0xF) == kAutoCheckBox);
            shown = qobject_cast<QAbstractButton*>(w)->text();
            break;
        case ControlClass::Static: {
            auto* label = qobject_cast<QLabel*>(w);
            shown = label->text();
            QCOMPARE(label->pixmap().isNull(), !icon);
            QCOMPARE(label->alignment() & Qt::AlignHorizontal_Mask,
                     (style & 0x1F) == kCentre ? Qt::AlignHCenter : Qt::AlignLeft);
            break;
        }
        case ControlClass::ListView:
            QVERIFY(qobject_cast<FileListView*>(w));
            shown = "List1"; // never shown
            break;
        }
        QCOMPARE(shown, text);
        QAccessibleInterface* reader = QAccessible::queryAccessibleInterface(w);
        QVERIFY(reader);
        QCOMPARE(reader->text(QAccessible::Name), accessibleName);
    }
};

QTEST_MAIN(TestTemplates)
#include "tst_templates.moc"
